#include "BenchClinic.h"

#include "Connection.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace bench {

Clinic::Clinic(const QStringList& arguments, const QStringList& ownOptions, const QString& fallbackClinic,
    int defaultRepeat, const QString& connectionName)
    : m_options(arguments, QStringList { u"db"_s, u"repeat"_s, u"only"_s } + ownOptions)
{
    if (!m_options.ok()) {
        print(m_options.error());
        m_exit = 2;
        return;
    }
    m_repeat = int(std::max<qint64>(1, m_options.number(u"repeat"_s, defaultRepeat)));
    m_path = clinicPath(m_options, fallbackClinic);
    if (m_path.isEmpty()) {
        m_exit = 2;
        return;
    }
    m_connection = std::make_unique<Connection>(m_path, connectionName);
    if (!openClinic(*m_connection))
        m_exit = 1;
}

Clinic::~Clinic()
{
    if (m_connection && Connection::defaultConnection() == m_connection.get())
        Connection::setDefaultConnection(nullptr);
}

int Clinic::exitCode() const
{
    return m_exit;
}

const Options& Clinic::options() const
{
    return m_options;
}

const QString& Clinic::path() const
{
    return m_path;
}

int Clinic::repeat() const
{
    return m_repeat;
}

Connection& Clinic::connection()
{
    return *m_connection;
}

QSqlDatabase& Clinic::db()
{
    return m_connection->database();
}

bool Clinic::picks(const QString& name) const
{
    return name.contains(m_options.text(u"only"_s, QString()), Qt::CaseInsensitive);
}

int Clinic::runAndPrint(std::vector<Row> rows) const
{
    std::erase_if(rows, [this](const Row& r) { return !picks(r.name); });
    const int failed = printTable(runRows(rows, m_repeat));
    print(u"peak memory %1 MB"_s.arg(peakMemoryMb(), 0, 'f', 0));
    return failed;
}

} // namespace bench
