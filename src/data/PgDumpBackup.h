#pragma once

#include <QString>

// A backup of a PostgreSQL database: pg_dump's custom format (-Fc) through the server's tools
// where they are installed on this computer, checked by reading its table of contents back with
// pg_restore --list before it gets its name. The tools are started through ProcessRunner.
class PgDumpBackup final
{
public:
    // address: the connection's server address ("postgresql://user@host:5432/klinik"), which the
    // tools take as it is. false gives the reason in Turkish.
    static bool copy(const QString& address, const QString& destination, QString& error);
};
