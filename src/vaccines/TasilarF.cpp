#include "TasilarF.h"

#include "ui_TasilarF.h"

#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

#include <QDate>

using namespace Qt::StringLiterals;

TasilarF::TasilarF()
    : ui(new Ui::TasilarF)
    , asiturTable(new DataSet(u"asiturTable"_s, this))
    , asiturSource(new DataSource(u"asiturSource"_s, asiturTable, this))
    , receTable(new DataSet(u"receTable"_s, this))
    , receSource(new DataSource(u"receSource"_s, receTable, this))
    , asiQuery(new DataSet(u"asiQuery"_s, this))
    , asiSource(new DataSource(u"asiSource"_s, asiQuery, this))
    , asi2Table(new DataSet(u"asi2Table"_s, this))
    , asi2Source(new DataSource(u"asi2Source"_s, asi2Table, this))
{
    setObjectName(u"asilarF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    setSeesKeysFirst(true);

    asiturTable->setTableName(u"asitur"_s);
    asiturTable->setIndexName(u"PrimaryKey"_s);

    receTable->setTableName(u"asitakip"_s);
    receTable->setIndexName(u"PrimaryKey"_s);
    Field* receTarih = receTable->FieldByName(u"tarih"_s);
    receTarih->DisplayFormat = u"dd.mm.yyyy"_s;
    receTarih->EditMask = u"!99/99/0000;1;_"_s;
    receTable->addLookupField(u"asilook"_s, 20, u"asiadi"_s, asiturTable, u"asiadi"_s, u"asiadi"_s);

    asiQuery->setSQL(u"select * FROM asitakip ORDER BY asiadi ASC;"_s);

    asi2Table->setTableName(u"asitakip2"_s);
    asi2Table->setIndexFieldNames(u"hkodu"_s);
    Field* doseTarih = asi2Table->FieldByName(u"tarih"_s);
    doseTarih->DisplayFormat = u"dd.mm.yyyy"_s;
    doseTarih->EditMask = u"!99/99/0000;1;_"_s;

    ui->JvDateTimePicker1->setDate(QDate::currentDate());
}

TasilarF::~TasilarF() = default;

void TasilarF::JvXPButton2Click()
{ }

void TasilarF::showForChild(const QString& ageText, Entry entry)
{
    ui->Label9->setText(ageText);
    ui->Label16->setText(ageText);
    show();
    raise();
    asiturTable->Open();
    receTable->Open();
    asi2Table->Open();
    JvXPButton2Click();
    if (entry == Entry::New)
        receTable->Append();
}
