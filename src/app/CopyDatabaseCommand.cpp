#include "CopyDatabaseCommand.h"

#include "Connection.h"
#include "DataError.h"
#include "DatabaseCopy.h"
#include "DatabaseLocation.h"
#include "Schema.h"
#include "TurkishText.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const auto optionName = u"--copy-database"_s;

QString count(qint64 n)
{
    return TurkishText::locale().toString(n);
}

// Opens one side; the source must already exist, the target is made when missing.
std::unique_ptr<Connection> openSide(const QString& address, bool mustExist, const QString& role)
{
    if (mustExist && !DatabaseLocation::isServerAddress(address) && !QFileInfo::exists(address))
        throw DataError(u"%1 veritabanı bulunamadı: %2"_s.arg(role, address));
    auto connection = std::make_unique<Connection>(address);
    if (!connection->open())
        throw DataError(u"%1 veritabanı açılamadı (%2): %3"_s.arg(role, address, connection->lastError()));
    return connection;
}

// Prints a table's progress when it starts and whenever another tenth of it is done.
class ProgressPrinter final
{
public:
    explicit ProgressPrinter(QTextStream& out)
        : m_out(out)
    { }

    void operator()(const QString& table, qint64 copied, qint64 total)
    {
        const int percent = total > 0 ? int(copied * 100 / total) : 100;
        if (table == m_table && percent / 10 == m_lastPercent / 10)
            return;
        m_table = table;
        m_lastPercent = percent;
        m_out << u"%1: %2 / %3 satır (%%4)"_s.arg(table, count(copied), count(total)).arg(percent) << Qt::endl;
    }

private:
    QTextStream& m_out;
    QString m_table;
    int m_lastPercent = -1;
};

} // namespace

bool CopyDatabaseCommand::requested(int argc, char** argv)
{
    const QByteArray option = optionName.toLatin1();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option.constData()) == 0)
            return true;
    }
    return false;
}

int CopyDatabaseCommand::run(const QStringList& arguments, QTextStream& out)
{
    const qsizetype at = arguments.indexOf(optionName);
    if (at < 0 || at + 2 >= arguments.size() || arguments.size() != at + 3) {
        out << u"Kullanım: pediakay --copy-database KAYNAK HEDEF\n"
               u"KAYNAK ve HEDEF: bir veritabanı dosyası ya da postgresql://kullanıcı@sunucu:port/veritabanı"_s
            << Qt::endl;
        return 2;
    }
    const QString from = arguments.at(at + 1);
    const QString to = arguments.at(at + 2);
    try {
        const QFileInfo fromFile(from);
        const QFileInfo toFile(to);
        if (fromFile.exists() && toFile.exists() && fromFile.canonicalFilePath() == toFile.canonicalFilePath())
            throw DataError(u"Kaynak ve hedef aynı veritabanı: %1"_s.arg(from));

        const std::unique_ptr<Connection> source = openSide(from, true, u"Kaynak"_s);
        const std::unique_ptr<Connection> target = openSide(to, false, u"Hedef"_s);
        DatabaseCopy copy(source->database(), target->database());
        copy.setProgress(ProgressPrinter(out));
        out << u"Kopyalanıyor: %1 → %2"_s.arg(from, to) << Qt::endl;
        copy.copy();

        out << u"Denetleniyor (satır sayıları ve sağlama toplamları):"_s << Qt::endl;
        QStringList failed;
        for (const TableDef& def : Schema::tables()) {
            const DatabaseCopy::TableCheck check = copy.check(def);
            if (check.matches()) {
                out << u"  %1: %2 satır, %3 tamam"_s.arg(def.name, count(check.source.rows), check.source.shortText())
                    << Qt::endl;
                continue;
            }
            failed << def.name;
            out << u"  %1: FARKLI (kaynak %2 satır %3, hedef %4 satır %5)"_s.arg(def.name, count(check.source.rows),
                check.source.shortText(), count(check.target.rows), check.target.shortText())
                << Qt::endl;
        }
        if (!copy.versionsMatch())
            failed << u"şema sürümü"_s;
        if (!failed.isEmpty()) {
            out << u"Kopya denetimden geçmedi: %1"_s.arg(failed.join(u", "_s)) << Qt::endl;
            return 1;
        }
        out << u"Kopyalama tamamlandı; bütün tablolar iki tarafta aynı."_s << Qt::endl;
        return 0;
    } catch (const DataError& e) {
        out << u"Kopyalama yapılamadı: %1"_s.arg(e.text()) << Qt::endl;
        return 1;
    }
}
