#include "TsifrelerF.h"

#include "ui_TsifrelerF.h"

#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

using namespace Qt::StringLiterals;

TsifrelerF::TsifrelerF()
    : ui(new Ui::TsifrelerF)
    , sifreTable(new DataSet(u"sifreTable"_s, this))
    , DataSource1(new DataSource(u"DataSource1"_s, sifreTable, this))
    , masterTable(new DataSet(u"masterTable"_s, this))
    , DataSource2(new DataSource(u"DataSource2"_s, masterTable, this))
{
    setObjectName(u"sifrelerF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    hideTitleBarButtons();
    setStaysOnTop();

    sifreTable->setTableName(u"sifre"_s);
    sifreTable->setIndexName(u"PrimaryKey"_s);
    for (const QString& phone : {u"firmatel"_s, u"firmafax"_s})
        sifreTable->FieldByName(phone)->EditMask = u"(999) 999 99 99;0;*"_s;

    masterTable->setTableName(u"master"_s);
}

TsifrelerF::~TsifrelerF()
{
    delete ui;
}
