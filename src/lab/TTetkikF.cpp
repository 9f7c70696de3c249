#include "TTetkikF.h"

#include "ui_TTetkikF.h"

#include "DataSet.h"
#include "DataSource.h"

using namespace Qt::StringLiterals;

TTetkikF::TTetkikF()
    : ui(new Ui::TTetkikF)
    , tetkikTTable(new DataSet(u"tetkikTTable"_s, this))
    , tetkikSource(new DataSource(u"tetkikSource"_s, tetkikTTable, this))
{
    setObjectName(u"TetkikF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);

    tetkikTTable->setTableName(u"laborana"_s);
}

TTetkikF::~TTetkikF() = default;
