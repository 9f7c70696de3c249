#include "Connection.h"
#include "DataError.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_Connection final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void createsFolderAndFile();
    void reopenKeepsData();
    void twoCopiesOnOneFile();
    void openFailures_data();
    void openFailures();
    void retriesAfterFileIsFixed();
    void refusesNewerFile();
    void upgradeOfOlderFileIsAnnounced();
    void closeAndDefaultConnection();
    void newDatabaseIsOwnersOnly();
    void existingPermissionsAreKept();

private:
    static QVariant scalar(QSqlDatabase& db, const QString& sql);
    static void writeGarbage(const QString& path);
    // Runs one test function of this executable again as the unprivileged user "nobody", on a
    // temporary folder of that user's own, and checks that it ran and passed there.
    static void runAsNobody(const QString& testFunction);

    QTemporaryDir* m_dir = nullptr;
    QString m_oldCurrent;
};

QVariant tst_Connection::scalar(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

void tst_Connection::writeGarbage(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QRandomGenerator gen(42);
    QByteArray bytes(8192, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(gen.bounded(256));
    f.write(bytes);
}

void tst_Connection::runAsNobody(const QString& testFunction)
{
    const QString runuser = QStandardPaths::findExecutable(u"runuser"_s, { u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s });
    QVERIFY2(!runuser.isEmpty(), "runuser is needed to run this case without root's rights");
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const uid_t nobody = 65534;
    QVERIFY(::chown(QFile::encodeName(home.path()).constData(), nobody, nobody) == 0);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, home.path());
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(home.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(runuser, { u"-u"_s, u"nobody"_s, u"--"_s, QCoreApplication::applicationFilePath(), testFunction });
    QVERIFY2(child.waitForFinished(120000), qPrintable(child.errorString()));
    const QString output = QString::fromUtf8(child.readAll());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
    // The case really ran as nobody: it passed, and nothing was skipped.
    QVERIFY2(
        output.contains(u"PASS   : tst_Connection::"_s + testFunction.section(u':', 0, 0) + u'('), qPrintable(output));
    QVERIFY2(!output.contains(u"SKIP"_s), qPrintable(output));
    QVERIFY2(output.contains(u"Totals: 3 passed, 0 failed, 0 skipped"_s), qPrintable(output));
}

// The program is told when an older file is being brought up to date, before and after, and
// only then: not for a new file, not for a current one.
void tst_Connection::upgradeOfOlderFileIsAnnounced()
{
    QList<bool> told;
    Connection::setUpgradeNotice([&told](bool busy) { told << busy; });
    const auto noNotice = qScopeGuard([] { Connection::setUpgradeNotice({}); });

    {
        Connection fresh;
        QVERIFY2(fresh.open(), qPrintable(fresh.lastError()));
    }
    QCOMPARE(told, QList<bool>());

    QVERIFY(QFile::remove(u"Data/Pediakay.db"_s));
    QFile::remove(u"Data/Pediakay.db-wal"_s);
    QFile::remove(u"Data/Pediakay.db-shm"_s);
    QVERIFY(QFile::copy(
        qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/tests/data/schema-version1.db"_s, u"Data/Pediakay.db"_s));
    QVERIFY(QFile::setPermissions(u"Data/Pediakay.db"_s, QFile::ReadOwner | QFile::WriteOwner));
    {
        Connection older;
        QVERIFY2(older.open(), qPrintable(older.lastError()));
        QCOMPARE(told, QList<bool>({ true, false }));
        QCOMPARE(Schema::version(older.database()), Schema::currentVersion);
    }
    {
        Connection current;
        QVERIFY2(current.open(), qPrintable(current.lastError()));
    }
    QCOMPARE(told, QList<bool>({ true, false }));
}

void tst_Connection::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void tst_Connection::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    QFile::setPermissions(m_dir->filePath(u"Data/Pediakay.db"_s), QFile::ReadOwner | QFile::WriteOwner);
    delete m_dir;
    m_dir = nullptr;
}

void tst_Connection::createsFolderAndFile()
{
    QVERIFY(!QFileInfo::exists(u"Data"_s));
    Connection c;
    QCOMPARE(c.path(), u"Data/Pediakay.db"_s);
    QVERIFY(!c.isOpen());
    QCOMPARE(c.generation(), 0);

    QVERIFY2(c.open(), qPrintable(c.lastError()));
    QVERIFY(c.isOpen());
    QVERIFY(c.lastError().isEmpty());
    QCOMPARE(c.generation(), 1);
    QVERIFY(QFileInfo(m_dir->filePath(u"Data/Pediakay.db"_s)).isFile());

    QSqlDatabase& db = c.database();
    QCOMPARE(db.connectionName(), c.connectionName());
    QCOMPARE(scalar(db, u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    QCOMPARE(scalar(db, u"PRAGMA foreign_keys"_s).toInt(), 0);
    QCOMPARE(scalar(db, u"PRAGMA busy_timeout"_s).toInt(), 5000);
    QCOMPARE(Schema::version(db), Schema::currentVersion);
    QCOMPARE(scalar(db, u"SELECT count(*) FROM zbas"_s).toInt(), 76);

    // Opening an open connection changes nothing.
    QVERIFY(c.open());
    QCOMPARE(c.generation(), 1);
}

void tst_Connection::reopenKeepsData()
{
    {
        Connection c;
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        QSqlQuery q(c.database());
        QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('12', 'Işık')"_s));

        c.close();
        QVERIFY(!c.isOpen());
        QVERIFY(!QSqlDatabase::contains(c.connectionName()));
        // database() opens again by itself, and the generation tells data sets to re-read.
        QCOMPARE(scalar(c.database(), u"SELECT adi FROM hastasicil"_s).toString(), u"Işık"_s);
        QCOMPARE(c.generation(), 2);
    }

    Connection again;
    QVERIFY2(again.open(), qPrintable(again.lastError()));
    QCOMPARE(scalar(again.database(), u"SELECT count(*) FROM hastasicil"_s).toInt(), 1);
    QCOMPARE(scalar(again.database(), u"SELECT count(*) FROM zbas"_s).toInt(), 76);
}

void tst_Connection::twoCopiesOnOneFile()
{
    Connection first;
    Connection second;
    QVERIFY(first.connectionName() != second.connectionName());
    QVERIFY2(first.open(), qPrintable(first.lastError()));
    QVERIFY2(second.open(), qPrintable(second.lastError()));

    // A row written by one copy is read by the other at once.
    QSqlQuery q(first.database());
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu) VALUES ('5')"_s));
    QCOMPARE(scalar(second.database(), u"SELECT hastakodu FROM muayene"_s).toString(), u"5"_s);
    QCOMPARE(scalar(second.database(), u"SELECT count(*) FROM zbas"_s).toInt(), 76);

    Connection named(Connection::defaultPath(), u"isimli"_s);
    QCOMPARE(named.connectionName(), u"isimli"_s);
    QVERIFY(named.open());
    QVERIFY(QSqlDatabase::contains(u"isimli"_s));
}

void tst_Connection::openFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder is a file") << u"folder"_s;
    QTest::newRow("damaged file") << u"garbage"_s;
    QTest::newRow("unreadable file") << u"unreadable"_s;
}

void tst_Connection::openFailures()
{
    QFETCH(QString, kind);

    QString path = Connection::defaultPath();
    if (kind == u"folder"_s) {
        QFile blocker(u"Data"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("x");
    } else {
        QVERIFY(QDir().mkpath(u"Data"_s));
        if (kind == u"garbage"_s) {
            writeGarbage(path);
        } else {
            // Root reads any file: the case runs again as an ordinary user.
            if (::geteuid() == 0) {
                runAsNobody(u"openFailures:unreadable file"_s);
                return;
            }
            {
                Connection maker;
                QVERIFY(maker.open());
            }
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
    }

    Connection c(path);
    QVERIFY(!c.open());
    QVERIFY(!c.isOpen());
    QVERIFY(!c.lastError().isEmpty());
    QCOMPARE(c.generation(), 0);
    // Nothing of the failed attempt is left registered.
    QVERIFY(!QSqlDatabase::contains(c.connectionName()));

    const QString text = c.lastError();
    try {
        c.database();
        QFAIL("database() returned without an open file");
    } catch (const DataError& e) {
        QCOMPARE(e.text(), text);
    }
    if (kind == u"garbage"_s) {
        QVERIFY2(c.lastError().contains(u"not a database"_s), qPrintable(c.lastError()));
        // The damaged file is left as it was.
        QCOMPARE(QFileInfo(path).size(), 8192);
    }
}

void tst_Connection::retriesAfterFileIsFixed()
{
    QFile blocker(u"Data"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    Connection c;
    QVERIFY(!c.open());
    QVERIFY_THROWS_EXCEPTION(DataError, c.database());

    // The folder appears, but with a damaged file in it.
    QVERIFY(blocker.remove());
    QVERIFY(QDir().mkpath(u"Data"_s));
    writeGarbage(c.path());
    QVERIFY_THROWS_EXCEPTION(DataError, c.database());
    QCOMPARE(c.generation(), 0);

    // A good file is put in place: the next use opens it.
    QVERIFY(QFile::remove(c.path()));
    QSqlDatabase& db = c.database();
    QVERIFY(c.isOpen());
    QVERIFY(c.lastError().isEmpty());
    QCOMPARE(c.generation(), 1);
    QCOMPARE(Schema::version(db), Schema::currentVersion);
}

void tst_Connection::refusesNewerFile()
{
    QVERIFY(QDir().mkpath(u"Data"_s));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"newer"_s);
        db.setDatabaseName(Connection::defaultPath());
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(u"CREATE TABLE gelecek (x INTEGER)"_s));
        QVERIFY(q.exec(u"PRAGMA user_version = %1"_s.arg(Schema::currentVersion + 5)));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"newer"_s);

    Connection c;
    QVERIFY(!c.open());
    QVERIFY2(c.lastError().contains(QString::number(Schema::currentVersion + 5)), qPrintable(c.lastError()));
    QVERIFY_THROWS_EXCEPTION(DataError, c.database());

    // The file was not touched.
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
    db.setDatabaseName(Connection::defaultPath());
    QVERIFY(db.open());
    QCOMPARE(scalar(db, u"SELECT count(*) FROM sqlite_master"_s).toInt(), 1);
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"check"_s);
}

void tst_Connection::newDatabaseIsOwnersOnly()
{
    const QFile::Permissions ownerOnlyFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions ownerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;
    {
        Connection c;
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        // The write-ahead log and its index exist while the connection writes.
        QSqlQuery q(c.database());
        QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu) VALUES ('1')"_s));
        const QString folder = m_dir->filePath(u"Data"_s);
        QCOMPARE(QFileInfo(folder).permissions() & 0x7077, ownerOnlyFolder & 0x7077);
        for (const QString& name : { u"Pediakay.db"_s, u"Pediakay.db-wal"_s, u"Pediakay.db-shm"_s }) {
            const QFileInfo file(folder + u'/' + name);
            QVERIFY2(file.exists(), qPrintable(name));
            QCOMPARE(file.permissions() & 0x7077, ownerOnlyFile & 0x7077);
        }
    }
    // A folder further down is created with its parents.
    Connection nested(u"Bir/Iki/Pediakay.db"_s);
    QVERIFY2(nested.open(), qPrintable(nested.lastError()));
    QCOMPARE(QFileInfo(m_dir->filePath(u"Bir/Iki"_s)).permissions() & 0x7077, ownerOnlyFolder & 0x7077);
}

void tst_Connection::existingPermissionsAreKept()
{
    const QFile::Permissions shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    const QFile::Permissions sharedFolder = shared | QFile::ExeOwner | QFile::ExeGroup;
    {
        Connection c;
        QVERIFY2(c.open(), qPrintable(c.lastError()));
    }
    const QString folder = m_dir->filePath(u"Data"_s);
    QVERIFY(QFile::setPermissions(folder, sharedFolder));
    QVERIFY(QFile::setPermissions(folder + u"/Pediakay.db"_s, shared));

    Connection again;
    QVERIFY2(again.open(), qPrintable(again.lastError()));
    QSqlQuery q(again.database());
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu) VALUES ('2')"_s));
    QCOMPARE(QFileInfo(folder).permissions() & 0x7077, sharedFolder & 0x7077);
    QCOMPARE(QFileInfo(folder + u"/Pediakay.db"_s).permissions() & 0x7077, shared & 0x7077);
    QCOMPARE(QFileInfo(folder + u"/Pediakay.db-wal"_s).permissions() & 0x7077, shared & 0x7077);
}

void tst_Connection::closeAndDefaultConnection()
{
    QCOMPARE(Connection::defaultConnection(), nullptr);
    {
        Connection c;
        Connection::setDefaultConnection(&c);
        QCOMPARE(Connection::defaultConnection(), &c);
        QVERIFY(c.open());
        const QString name = c.connectionName();
        QVERIFY(QSqlDatabase::contains(name));
        c.close();
        c.close();
        QVERIFY(!QSqlDatabase::contains(name));
        QVERIFY(c.open());
        QCOMPARE(c.generation(), 2);
    }
    // A destroyed connection is no longer the default.
    QCOMPARE(Connection::defaultConnection(), nullptr);
}

QTEST_GUILESS_MAIN(tst_Connection)
#include "tst_connection.moc"
