#include "WriteBatch.h"

#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "SqlDialect.h"
#include "Statement.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

QSet<QString>& openBatches()
{
    static QSet<QString> names;
    return names;
}

QSqlDatabase& databaseOf(const DataSet& dataSet)
{
    Connection* c = dataSet.connection();
    if (!c)
        throw DataError(u"Veritabanı bağlantısı yok."_s);
    return c->database();
}

} // namespace

WriteBatch::WriteBatch(DataSet& dataSet)
{
    QSqlDatabase& db = databaseOf(dataSet);
    // A batch inside a batch adds nothing: the outer one writes.
    if (active(db.connectionName()))
        return;
    QSqlQuery begin(db);
    Statement::exec(begin, SqlDialect::of(db).beginWrite());
    m_connectionName = db.connectionName();
    openBatches().insert(m_connectionName);
}

WriteBatch::~WriteBatch()
{
    if (m_connectionName.isEmpty())
        return;
    openBatches().remove(m_connectionName);
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery commit(db);
    if (!commit.exec(u"COMMIT"_s))
        QSqlQuery(db).exec(u"ROLLBACK"_s);
}

bool WriteBatch::active(const QString& connectionName)
{
    return openBatches().contains(connectionName);
}
