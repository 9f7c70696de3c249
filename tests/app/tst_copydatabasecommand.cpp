#include "Connection.h"
#include "CopyDatabaseCommand.h"
#include "Schema.h"

#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

class tst_CopyDatabaseCommand final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void copiesWithProgressAndChecks();
    void wrongArguments_data();
    void wrongArguments();
    void refusals_data();
    void refusals();
    void programRunsWithoutWindow();

private:
    // A clinic file with three children and their visits.
    QString makeClinic(const QString& fileName);
    static qint64 count(const QString& file, const QString& table);
    int run(const QStringList& arguments);

    QTemporaryDir* m_dir = nullptr;
    QString m_output;
};

QString tst_CopyDatabaseCommand::makeClinic(const QString& fileName)
{
    const QString path = m_dir->filePath(fileName);
    Connection connection(path);
    if (!connection.open())
        qFatal("%s", qPrintable(connection.lastError()));
    QSqlQuery q(connection.database());
    for (const QString& sql : { u"INSERT INTO hastasicil (hid, hasta_kodu, adi) VALUES (4, 'K4', 'Çiğdem'), "
                                u"(8, 'K8', 'Işıl'), (9, 'K9', NULL)"_s,
             u"INSERT INTO muayene (hastakodu, tarih, kilo) VALUES ('K4', '2025-01-02 00:00:00.000', 12.5)"_s }) {
        if (!q.exec(sql))
            qFatal("%s", qPrintable(q.lastError().text()));
    }
    return path;
}

qint64 tst_CopyDatabaseCommand::count(const QString& file, const QString& table)
{
    Connection connection(file);
    if (!connection.open())
        return -1;
    QSqlQuery q(connection.database());
    return q.exec(u"SELECT count(*) FROM "_s + table) && q.next() ? q.value(0).toLongLong() : -1;
}

int tst_CopyDatabaseCommand::run(const QStringList& arguments)
{
    m_output.clear();
    QTextStream out(&m_output);
    return CopyDatabaseCommand::run(QStringList { u"pediakay"_s } + arguments, out);
}

void tst_CopyDatabaseCommand::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_CopyDatabaseCommand::cleanup()
{
    delete m_dir;
    m_dir = nullptr;
}

void tst_CopyDatabaseCommand::copiesWithProgressAndChecks()
{
    const QString from = makeClinic(u"kaynak.db"_s);
    const QString to = m_dir->filePath(u"yeni/hedef.db"_s);
    QCOMPARE(run({ u"--copy-database"_s, from, to }), 0);

    QVERIFY2(
        m_output.contains(u"hastasicil: 0 / 3 satır (%0)\nhastasicil: 3 / 3 satır (%100)\n"_s), qPrintable(m_output));
    QVERIFY2(m_output.contains(u"muayene: 1 / 1 satır (%100)"_s), qPrintable(m_output));
    QVERIFY2(m_output.contains(u"  hastasicil: 3 satır, "_s), qPrintable(m_output));
    QVERIFY2(m_output.contains(u"  recete: 0 satır, "_s), qPrintable(m_output));
    QCOMPARE(m_output.count(u" tamam\n"_s), Schema::tables().size());
    QVERIFY2(m_output.endsWith(u"Kopyalama tamamlandı; bütün tablolar iki tarafta aynı.\n"_s), qPrintable(m_output));
    QCOMPARE(count(to, u"hastasicil"_s), 3);
    QCOMPARE(count(to, u"muayene"_s), 1);
}

void tst_CopyDatabaseCommand::wrongArguments_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("nothing to copy") << QStringList { u"--copy-database"_s };
    QTest::newRow("no target") << QStringList { u"--copy-database"_s, u"a.db"_s };
    QTest::newRow("one too many") << QStringList { u"--copy-database"_s, u"a.db"_s, u"b.db"_s, u"c.db"_s };
}

void tst_CopyDatabaseCommand::wrongArguments()
{
    QFETCH(QStringList, arguments);
    QCOMPARE(run(arguments), 2);
    QVERIFY2(m_output.startsWith(u"Kullanım: pediakay --copy-database KAYNAK HEDEF"_s), qPrintable(m_output));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"b.db"_s)));
}

void tst_CopyDatabaseCommand::refusals_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::addColumn<qint64>("targetChildren");

    QTest::newRow("no source") << u"yok.db"_s << u"hedef.db"_s << u"Kaynak veritabanı bulunamadı: "_s << qint64(-2);
    QTest::newRow("same file") << u"kaynak.db"_s << u"./kaynak.db"_s << u"Kaynak ve hedef aynı veritabanı"_s
                               << qint64(3);
    QTest::newRow("target holds a clinic") << u"kaynak.db"_s << u"dolu.db"_s
                                           << u"Hedef veritabanında klinik verisi var; hiçbir şey yazılmadı: "
                                              u"hastasicil (3 satır), muayene (1 satır)"_s
                                           << qint64(3);
    QTest::newRow("target is no database")
        << u"kaynak.db"_s << u"bozuk.db"_s << u"Hedef veritabanı açılamadı ("_s << qint64(-1);
}

void tst_CopyDatabaseCommand::refusals()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, message);
    QFETCH(qint64, targetChildren);
    makeClinic(u"kaynak.db"_s);
    makeClinic(u"dolu.db"_s);
    QFile garbage(m_dir->filePath(u"bozuk.db"_s));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, '\x5a'));
    garbage.close();

    const QString targetPath = m_dir->filePath(target);
    QCOMPARE(run({ u"--copy-database"_s, m_dir->filePath(source), targetPath }), 1);
    QVERIFY2(m_output.contains(u"Kopyalama yapılamadı: "_s + message), qPrintable(m_output));
    QVERIFY2(!m_output.contains(u"Denetleniyor"_s), qPrintable(m_output));
    if (targetChildren == -2)
        QVERIFY2(!QFileInfo::exists(targetPath), "a target was made for a source that does not exist");
    else
        QCOMPARE(count(targetPath, u"hastasicil"_s), targetChildren);
}

// The command needs no display: it runs where the program's windows could not open.
void tst_CopyDatabaseCommand::programRunsWithoutWindow()
{
    const QString program = qEnvironmentVariable("PEDIAKAY_BUILD_DIR") + u"/pediakay"_s;
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    const QString from = makeClinic(u"kaynak.db"_s);
    const QString to = m_dir->filePath(u"hedef.db"_s);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : { u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s })
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(program, { u"--copy-database"_s, from, to });
    QVERIFY2(process.waitForFinished(60000), qPrintable(process.errorString()));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, qPrintable(output + QString::fromUtf8(process.readAllStandardError())));
    QVERIFY2(output.contains(u"hastasicil: 3 / 3 satır (%100)"_s), qPrintable(output));
    QCOMPARE(count(to, u"hastasicil"_s), 3);

    // Copied once, the target is a clinic now and a second copy is refused.
    process.start(program, { u"--copy-database"_s, from, to });
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(u"klinik verisi var"_s));
}

QTEST_GUILESS_MAIN(tst_CopyDatabaseCommand)
#include "tst_copydatabasecommand.moc"
