#include "TfrmMain.h"

#include "ui_TfrmMain.h"

#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

TfrmMain::TfrmMain()
    : ui(new Ui::TfrmMain)
    , muayeneTable(new DataSet(u"muayeneTable"_s, this))
    , DataSource1(new DataSource(u"DataSource1"_s, muayeneTable, this))
    , muayeneRQuery(new DataSet(u"muayeneRQuery"_s, this))
    , muayeneRSource(new DataSource(u"muayeneRSource"_s, muayeneRQuery, this))
    , DataSource2(new DataSource(u"DataSource2"_s, nullptr, this))
{
    setObjectName(u"frmMain"_s);
    ui->setupUi(this);
    ui->mainLayout->removeWidget(ui->MainMenu1);
    ui->mainLayout->setMenuBar(ui->MainMenu1);
    setPlacement(Placement::Maximised);
    setSeesKeysFirst(true);

    muayeneTable->setTableName(u"muayene"_s);
    muayeneTable->setIndexFieldNames(u"hastakodu"_s);
    Field* tarih = muayeneTable->FieldByName(u"tarih"_s);
    tarih->DisplayFormat = u"dd.mm.yyyy-HH:MM"_s;
    tarih->DisplayWidth = 18;
    tarih->EditMask = u"!99/99/9999! 90:00;1;_"_s;
    Field* yas = muayeneTable->FieldByName(u"yas"_s);
    yas->DisplayFormat = u"#,###.00"_s;
    yas->EditFormat = u"#.00"_s;

    muayeneRQuery->setSQL(u"select * from muayene ORDER BY tarih DESC;"_s);
    muayeneRQuery->setStaticCursor(true);
    Field* historyTarih = muayeneRQuery->FieldByName(u"tarih"_s);
    historyTarih->DisplayFormat = u"dd.mm.yyyy"_s;
    historyTarih->EditMask = u"!99/99/0000 !90:00;1;_"_s;

    ui->JvDateTimePicker1->setDateTime(QDateTime::currentDateTime());
}

TfrmMain::~TfrmMain()
{
    delete ui;
}

void TfrmMain::Button1Click()
{
}

void TfrmMain::Button2Click()
{
}
