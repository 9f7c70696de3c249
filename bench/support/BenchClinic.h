#pragma once

#include "BenchSupport.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Connection;

namespace bench {

// How a benchmark program on a clinic starts and ends: its options (--db and --repeat, with
// --only when it has rows to pick, plus its own), the clinic opened as the default connection,
// and the rows run and printed with the peak memory.
class Clinic final
{
public:
    Clinic(const QStringList& arguments, const QStringList& ownOptions, const QString& fallbackClinic,
        int defaultRepeat, const QString& connectionName);
    ~Clinic();

    // 0 when the clinic is open; otherwise, after saying why, the program's exit code: 2 for a
    // wrong option or a missing file, 1 for a clinic that does not open.
    int exitCode() const;

    const Options& options() const;
    const QString& path() const;
    int repeat() const;
    Connection& connection();
    QSqlDatabase& db();

    // Whether --only picks the row of that name (its text in the name; every row without it).
    bool picks(const QString& name) const;
    // Runs the rows whose name contains the --only text (all without it), prints their table
    // and the peak memory; returns the number of rows that failed.
    int runAndPrint(std::vector<Row> rows) const;

private:
    Options m_options;
    QString m_path;
    int m_repeat = 1;
    std::unique_ptr<Connection> m_connection;
    int m_exit = 0;
};

} // namespace bench
