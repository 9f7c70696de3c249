#include "Tozluk.h"

#include "ui_Tozluk.h"

#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

using namespace Qt::StringLiterals;

Tozluk::Tozluk()
    : ui(new Ui::Tozluk)
    , sicilTable(new DataSet(u"sicilTable"_s, this))
    , sicilSource(new DataSource(u"sicilSource"_s, sicilTable, this))
{
    setObjectName(u"ozluk"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    hideTitleBarButtons();
    setSeesKeysFirst(true);

    sicilTable->setTableName(u"hastasicil"_s);
    sicilTable->setIndexName(u"PrimaryKey"_s);
    Field* dogumtarihi = sicilTable->FieldByName(u"dogumtarihi"_s);
    dogumtarihi->DisplayFormat = u"dd.mm.yyyy"_s;
    dogumtarihi->EditMask = u"!99/99/0000;1;_"_s;
    for (const QString& phone : {u"evtel"_s, u"istel"_s, u"ceptel"_s, u"fax"_s})
        sicilTable->FieldByName(phone)->EditMask = u"(999) 999 99 99;1;*"_s;
}

Tozluk::~Tozluk()
{
    delete ui;
}

void Tozluk::JvXPButton3Click()
{
}
