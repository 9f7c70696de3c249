// The automatic backup of a large clinic while the program works: the backup (copy, integrity
// check) runs on its worker thread while this thread stores visits and looks children up through
// the data-set layer, timing every such user action. The clinic is copied first, so the file the
// other benchmarks use is never written.
#include "AutoBackup.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DataSet.h"
#include "Field.h"
#include "ProgramSettings.h"
#include "SqliteHandle.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Actions {
    std::vector<double> ms;
    int stored = 0;
};

// One user action: a visit stored for a child, then the child's record found by its code.
double userAction(DataSet& visits, DataSet& registry, int n)
{
    const double start = bench::nowMs();
    visits.Append();
    visits.FieldByName(u"hastakodu"_s)->setAsString(QString::number(1 + n % 1000));
    visits.FieldByName(u"tarih"_s)->setAsDateTime(QDateTime::currentDateTime());
    visits.FieldByName(u"tani"_s)->setAsString(u"Üst solunum yolu enfeksiyonu"_s);
    visits.Post();
    registry.Locate(u"hasta_kodu"_s, QString::number(1 + (n * 7919) % 100000), {});
    bench::touch(registry.FieldByName(u"adi"_s)->Value());
    return bench::nowMs() - start;
}

qint64 visitCount(QSqlDatabase& db)
{
    QSqlQuery q = bench::run(db, u"SELECT count(*) FROM muayene"_s);
    return q.next() ? q.value(0).toLongLong() : -1;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bench::Options options(app.arguments(), { u"db"_s, u"pause"_s });
    if (!options.ok()) {
        bench::print(options.error());
        return 2;
    }
    const QString clinic = bench::clinicPath(options, u"/work/clinic/clinic-100k.db"_s);
    if (clinic.isEmpty())
        return 2;
    const int pauseMs = int(options.number(u"pause"_s, 20));

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    QDir().mkpath(u"Data"_s);
    double start = bench::nowMs();
    if (!QFile::copy(clinic, u"Data/Pediakay.db"_s)) {
        bench::print(u"cannot copy %1"_s.arg(clinic));
        return 2;
    }
    const double fileCopyMs = bench::nowMs() - start;

    Connection connection(u"Data/Pediakay.db"_s);
    if (!bench::openClinic(connection))
        return 2;
    const qint64 visitsBefore = visitCount(connection.database());
    DataSet visits(u"visits"_s);
    visits.setTableName(u"muayene"_s);
    visits.Open();
    DataSet registry(u"registry"_s);
    registry.setTableName(u"hastasicil"_s);
    registry.Open();

    // The same actions with no backup running: the baseline.
    Actions idle;
    for (int n = 0; n < 100; ++n) {
        idle.ms.push_back(userAction(visits, registry, n));
        QThread::msleep(pauseMs);
    }

    ProgramSettings::setValue(AutoBackup::folderKey(), u"Yedek"_s);
    AutoBackup backup(u"Data/Pediakay.db"_s);
    QString copyFile;
    bool copied = false;
    QObject::connect(&backup, &AutoBackup::finished, [&](bool ok, const QString& text) {
        copied = ok;
        copyFile = text;
    });
    Actions during;
    start = bench::nowMs();
    backup.backUpNow();
    while (backup.running()) {
        during.ms.push_back(userAction(visits, registry, 1000 + int(during.ms.size())));
        QCoreApplication::processEvents();
        QThread::msleep(pauseMs);
    }
    const double backupMs = bench::nowMs() - start;
    if (!copied) {
        bench::print(u"backup failed: %1"_s.arg(copyFile));
        return 1;
    }
    const qint64 visitsAfter = visitCount(connection.database());
    SqliteHandle copy(copyFile, SqliteHandle::Mode::ReadOnly);
    QStringList copyVisits;
    copy.rows(u"SELECT count(*) FROM muayene"_s, copyVisits);
    const qint64 inCopy = copyVisits.value(0).toLongLong();

    bench::print(u"clinic %1 (%2 MB), file copy beforehand %3 ms"_s.arg(clinic)
                     .arg(double(bench::databaseFileSize(clinic)) / 1e6, 0, 'f', 0)
                     .arg(fileCopyMs, 0, 'f', 0));
    bench::print(u"| measure | value | target |"_s);
    bench::print(u"|---|---|---|"_s);
    bench::print(u"| backup: copy + integrity check, wall | %1 s | < 30 s |"_s.arg(backupMs / 1000, 0, 'f', 1));
    bench::print(u"| user actions during the backup | %1 |  |"_s.arg(during.ms.size()));
    bench::print(u"| action median / p99 / max during backup | %1 / %2 / %3 ms | max < 100 ms |"_s
                     .arg(percentile(during.ms, 0.5), 0, 'f', 1)
                     .arg(percentile(during.ms, 0.99), 0, 'f', 1)
                     .arg(percentile(during.ms, 1.0), 0, 'f', 1));
    const auto slow = std::count_if(during.ms.begin(), during.ms.end(), [](double ms) { return ms > 100; });
    bench::print(u"| actions over 100 ms during backup | %1 |  |"_s.arg(slow));
    bench::print(
        u"| action median / p99 / max without backup | %1 / %2 / %3 ms |  |"_s.arg(percentile(idle.ms, 0.5), 0, 'f', 1)
            .arg(percentile(idle.ms, 0.99), 0, 'f', 1)
            .arg(percentile(idle.ms, 1.0), 0, 'f', 1));
    bench::print(u"| visits: before idle run / in copy / after | %1 / %2 / %3 |  |"_s.arg(visitsBefore)
                     .arg(inCopy)
                     .arg(visitsAfter));
    bench::print(u"| peak memory | %1 MB |  |"_s.arg(bench::peakMemoryMb(), 0, 'f', 0));
    const bool pass
        = backupMs < 30000 && percentile(during.ms, 1.0) < 100 && inCopy >= visitsBefore + 100 && inCopy <= visitsAfter;
    bench::print(pass ? u"PASS"_s : u"FAIL"_s);
    return pass ? 0 : 1;
}
