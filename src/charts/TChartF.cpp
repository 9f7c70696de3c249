#include "TChartF.h"

#include "ui_TChartF.h"

#include "DataSet.h"
#include "DataSource.h"

using namespace Qt::StringLiterals;

TChartF::TChartF()
    : ui(new Ui::TChartF)
    , ffTable1(new DataSet(u"ffTable1"_s, this))
    , DataSource1(new DataSource(u"DataSource1"_s, ffTable1, this))
    , ffTable2(new DataSet(u"ffTable2"_s, this))
    , DataSource2(new DataSource(u"DataSource2"_s, ffTable2, this))
    , ffTable3(new DataSet(u"ffTable3"_s, this))
    , DataSource3(new DataSource(u"DataSource3"_s, ffTable3, this))
{
    setObjectName(u"ChartF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);

    ffTable1->setTableName(u"zkilobir"_s);
    ffTable2->setTableName(u"zuzunlukbir"_s);
    ffTable3->setTableName(u"zbas"_s);
}

TChartF::~TChartF()
{
    delete ui;
}

void TChartF::BitBtn2Click()
{
}
