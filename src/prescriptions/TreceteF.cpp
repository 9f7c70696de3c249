#include "TreceteF.h"

#include "ui_TreceteF.h"

#include "DataSet.h"
#include "DataSource.h"

using namespace Qt::StringLiterals;

TreceteF::TreceteF()
    : ui(new Ui::TreceteF)
    , recTable(new DataSet(u"recTable"_s, this))
    , recSource(new DataSource(u"recSource"_s, recTable, this))
{
    setObjectName(u"receteF"_s);
    ui->setupUi(this);

    recTable->setTableName(u"recete"_s);
    recTable->setIndexFieldNames(u"muayeneno"_s);
}

TreceteF::~TreceteF() = default;
