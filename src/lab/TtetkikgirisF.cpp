#include "TtetkikgirisF.h"

#include "ui_TtetkikgirisF.h"

#include "DataSet.h"
#include "DataSource.h"

using namespace Qt::StringLiterals;

TtetkikgirisF::TtetkikgirisF()
    : ui(new Ui::TtetkikgirisF)
    , labTable(new DataSet(u"labTable"_s, this))
    , labSource(new DataSource(u"labSource"_s, labTable, this))
{
    setObjectName(u"tetkikgirisF"_s);
    ui->setupUi(this);

    labTable->setTableName(u"laboratuar"_s);
    labTable->setIndexFieldNames(u"muayeneno"_s);
}

TtetkikgirisF::~TtetkikgirisF() = default;
