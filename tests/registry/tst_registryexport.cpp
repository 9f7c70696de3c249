#include "Connection.h"
#include "DataSet.h"
#include "PediakayApplication.h"
#include "RegistryExport.h"
#include "RegistrySearch.h"
#include "WorkbookReadBack.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The workbook the registry export writes, read back with openpyxl: one record per case with
// one field set, and the files it makes, keeps and removes.
class tst_RegistryExport final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cellValues_data();
    void cellValues();
    void emptyListHeadingsOnly();
    void newFileEveryTime();
    void folderTakesNoFile();
    void stopsAndLeavesNoFile_data();
    void stopsAndLeavesNoFile();

private:
    QSqlQuery exec(const QString& statement, const QVariantList& binds = {});
    // Exports the registry in its default order into the folder; the workbook's path.
    QString exportAll(RegistryExport::Outcome expected = RegistryExport::Outcome::Written);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<DataSet> m_list;
    int m_cut = 0;
};

void tst_RegistryExport::init()
{
#ifndef PEDIAKAY_HAVE_XLSXWRITER
    QSKIP("built without libxlsxwriter");
#endif
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_conn = std::make_unique<Connection>(m_dir->filePath(u"Data/Pediakay.db"_s), u"export"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    Connection::setDefaultConnection(m_conn.get());
    m_list = std::make_unique<DataSet>(u"sicrapQuery"_s);
    m_list->setSQL(RegistrySearch::defaultStatement());
}

void tst_RegistryExport::cleanup()
{
    m_list.reset();
    Connection::setDefaultConnection(nullptr);
    m_conn.reset();
    m_dir.reset();
}

QSqlQuery tst_RegistryExport::exec(const QString& statement, const QVariantList& binds)
{
    QSqlQuery q(m_conn->database());
    bool ok = q.prepare(statement);
    for (const QVariant& b : binds)
        q.addBindValue(b);
    ok = ok && q.exec();
    if (!ok)
        qWarning("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
    return q;
}

QString tst_RegistryExport::exportAll(RegistryExport::Outcome expected)
{
    m_list->Open();
    QString error;
    const QString path = RegistryExport::reserveFile(m_dir->path(), QDateTime::currentDateTime(), &error);
    if (path.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return {};
    }
    RegistryExport exporter(*m_list);
    const RegistryExport::Outcome outcome = exporter.write(path);
    m_cut = exporter.textsCut();
    if (outcome != expected)
        qWarning("outcome %d: %s", int(outcome), qPrintable(exporter.error()));
    return outcome == expected ? path : QString();
}

void tst_RegistryExport::cellValues_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("shown");

    const QString longText = u"ş"_s.repeated(40000);
    const QString cutText
        = longText.left(RegistryExport::maxCellText - RegistryExport::cutMark.size()) + RegistryExport::cutMark;
    const QString fullText = u"ğ"_s.repeated(RegistryExport::maxCellText);
    // A text of pairs (a character outside the basic plane) is not cut inside a pair.
    const QString pairs = u"😀"_s.repeated(20000);
    QString pairsCut = pairs.left(RegistryExport::maxCellText - RegistryExport::cutMark.size());
    if (pairsCut.back().isHighSurrogate())
        pairsCut.chop(1);
    pairsCut += RegistryExport::cutMark;

    QTest::newRow("Turkish letters") << u"soyadi"_s << QVariant(u"Çağrı Şüküroğlu İĞÖ"_s) << u"str"_s
                                     << QVariant(u"Çağrı Şüküroğlu İĞÖ"_s);
    QTest::newRow("control characters dropped")
        << u"alerji"_s << QVariant(u"pen\u0001isilin\u0007\u001F\u000B"_s) << u"str"_s << QVariant(u"penisilin"_s);
    QTest::newRow("tab and line breaks kept")
        << u"ozgecmis"_s << QVariant(u"a\tb\nc"_s) << u"str"_s << QVariant(u"a\tb\nc"_s);
    QTest::newRow("markup characters") << u"aciklama1"_s << QVariant(u"<b>&amp; \"x\"</b>"_s) << u"str"_s
                                       << QVariant(u"<b>&amp; \"x\"</b>"_s);
    QTest::newRow("too long, cut with the mark")
        << u"soygecmis"_s << QVariant(longText) << u"str"_s << QVariant(cutText);
    QTest::newRow("as long as a cell takes") << u"soygecmis"_s << QVariant(fullText) << u"str"_s << QVariant(fullText);
    QTest::newRow("too long, pairs kept whole") << u"ozgecmis"_s << QVariant(pairs) << u"str"_s << QVariant(pairsCut);
    QTest::newRow("code that looks like a number")
        << u"hasta_kodu"_s << QVariant(u"0123"_s) << u"str"_s << QVariant(u"0123"_s);
    QTest::newRow("empty text") << u"adi2"_s << QVariant(u""_s) << u"empty"_s << QVariant();
    QTest::newRow("no value") << u"adi2"_s << QVariant(QMetaType(QMetaType::QString)) << u"empty"_s << QVariant();
    QTest::newRow("birth date") << u"dogumtarihi"_s << QVariant(u"2012-03-20 00:00:00.000"_s) << u"date"_s
                                << QVariant(u"2012-03-20T00:00:00"_s);
    QTest::newRow("birth date and time") << u"dogumtarihi"_s << QVariant(u"2012-03-20 14:30:00.000"_s) << u"date"_s
                                         << QVariant(u"2012-03-20T14:30:00"_s);
    QTest::newRow("first spreadsheet day") << u"dogumtarihi"_s << QVariant(u"1900-01-01 00:00:00.000"_s) << u"date"_s
                                           << QVariant(u"1900-01-01T00:00:00"_s);
    QTest::newRow("after the false leap day") << u"dogumtarihi"_s << QVariant(u"1900-03-01 00:00:00.000"_s) << u"date"_s
                                              << QVariant(u"1900-03-01T00:00:00"_s);
    QTest::newRow("before the spreadsheet's years, as text")
        << u"dogumtarihi"_s << QVariant(u"1899-12-31 00:00:00.000"_s) << u"str"_s << QVariant(u"31.12.1899"_s);
    QTest::newRow("date typed the Turkish way")
        << u"dogumtarihi"_s << QVariant(u"05.06.2019"_s) << u"date"_s << QVariant(u"2019-06-05T00:00:00"_s);
    QTest::newRow("no date at all, as text")
        << u"dogumtarihi"_s << QVariant(u"bilinmiyor"_s) << u"str"_s << QVariant(u"bilinmiyor"_s);
    QTest::newRow("no birth date") << u"dogumtarihi"_s << QVariant(QMetaType(QMetaType::QString)) << u"empty"_s
                                   << QVariant();
    QTest::newRow("weight") << u"dogumkilo"_s << QVariant(3.25) << u"number"_s << QVariant(3.25);
    QTest::newRow("identity number") << u"tckimlik"_s << QVariant(12345678950.0) << u"number"_s
                                     << QVariant(12345678950.0);
    QTest::newRow("postal code") << u"evpostakodu"_s << QVariant(34710) << u"number"_s << QVariant(34710.0);
    QTest::newRow("number stored as Turkish text")
        << u"dogumboy"_s << QVariant(u"50,5"_s) << u"number"_s << QVariant(50.5);
    QTest::newRow("no number, as text") << u"dogumbas"_s << QVariant(u"ölçülmedi"_s) << u"str"_s
                                        << QVariant(u"ölçülmedi"_s);
    QTest::newRow("no weight") << u"dogumkilo"_s << QVariant(QMetaType(QMetaType::Double)) << u"empty"_s << QVariant();
    QTest::newRow("picture") << u"resim"_s << QVariant(QByteArray(50000, '\xff')) << u"str"_s
                             << QVariant(RegistryExport::pictureMark);
    QTest::newRow("picture of no bytes") << u"resim"_s << QVariant(QByteArray("")) << u"empty"_s << QVariant();
    QTest::newRow("no picture") << u"resim"_s << QVariant(QMetaType(QMetaType::QByteArray)) << u"empty"_s << QVariant();
}

// Each value lands in its field's column of row 2 as a value of its kind, and nothing breaks
// the workbook.
void tst_RegistryExport::cellValues()
{
    QFETCH(QString, field);
    QFETCH(QVariant, stored);
    QFETCH(QString, kind);
    QFETCH(QVariant, shown);

    exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('7', 'Ali')"_s);
    exec(u"UPDATE hastasicil SET \"%1\" = ?"_s.arg(field), { stored });
    const QString path = exportAll();
    QVERIFY(!path.isEmpty());
    const WorkbookReadBack book(path);
    QVERIFY2(book.ok(), qPrintable(book.error()));
    QCOMPARE(book.rowCount(), 2);
    const int column = int(book.rowTexts(1).indexOf(field)) + 1;
    QVERIFY(column > 0);
    QCOMPARE(book.kind(2, column), kind);
    if (shown.isValid())
        QCOMPARE(book.value(2, column), shown);
    QCOMPARE(m_cut, book.value(2, column).toString().endsWith(RegistryExport::cutMark) ? 1 : 0);
    // The other fields of the record are as stored.
    if (field != u"hasta_kodu"_s)
        QCOMPARE(book.value(2, 1).toString(), u"7"_s);
    if (field != u"adi"_s)
        QCOMPARE(book.value(2, 2).toString(), u"Ali"_s);
}

void tst_RegistryExport::emptyListHeadingsOnly()
{
    const QString path = exportAll();
    const WorkbookReadBack book(path);
    QVERIFY2(book.ok(), qPrintable(book.error()));
    QCOMPARE(book.sheetNames().size(), 1);
    QCOMPARE(book.rowCount(), 1);
    QCOMPARE(book.columnCount(), 44);
    QCOMPARE(book.value(1, 1).toString(), u"hasta_kodu"_s);
    QCOMPARE(book.value(1, 44).toString(), u"ozgecmis"_s);
    QVERIFY(!m_list->ControlsDisabled());
}

// Every export gets a file of its own: a workbook the user may still have open is never
// overwritten, whatever the moment.
void tst_RegistryExport::newFileEveryTime()
{
    const QDateTime moment(QDate(2026, 12, 9), QTime(14, 30, 59));
    QFile mine(m_dir->filePath(u"Cocuk_Sicil_2026-12-09_1430.xlsx"_s));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("kullanıcının dosyası");
    mine.close();
    QString error;
    const QString second = RegistryExport::reserveFile(m_dir->path(), moment, &error);
    const QString third = RegistryExport::reserveFile(m_dir->path(), moment, &error);
    QCOMPARE(QFileInfo(second).fileName(), u"Cocuk_Sicil_2026-12-09_1430_2.xlsx"_s);
    QCOMPARE(QFileInfo(third).fileName(), u"Cocuk_Sicil_2026-12-09_1430_3.xlsx"_s);
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("kullanıcının dosyası"));

    exec(u"INSERT INTO hastasicil (hasta_kodu) VALUES ('1')"_s);
    m_list->Open();
    RegistryExport exporter(*m_list);
    QCOMPARE(exporter.write(third), RegistryExport::Outcome::Written);
    QVERIFY(WorkbookReadBack(third).ok());
}

void tst_RegistryExport::folderTakesNoFile()
{
    QString error;
    const QString missing = m_dir->filePath(u"yok"_s);
    QVERIFY(RegistryExport::reserveFile(missing, QDateTime::currentDateTime(), &error).isEmpty());
    QVERIFY2(error.contains(QDir::toNativeSeparators(missing)), qPrintable(error));
    QVERIFY(!QFileInfo::exists(missing));
    // No folder at all is not the working directory.
    QVERIFY(RegistryExport::reserveFile(QString(), QDateTime::currentDateTime(), &error).isEmpty());
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir::current().entryList({ u"Cocuk_Sicil_*"_s }), QStringList());
}

void tst_RegistryExport::stopsAndLeavesNoFile_data()
{
    QTest::addColumn<int>("stopAt"); // the count at which the progress says stop; -1: never
    QTest::addColumn<bool>("fileTaken"); // the file's place is taken while the export runs
    QTest::addColumn<int>("outcome");
    QTest::newRow("stopped at the start") << 0 << false << int(RegistryExport::Outcome::Cancelled);
    QTest::newRow("stopped half-way") << 1 << false << int(RegistryExport::Outcome::Cancelled);
    QTest::newRow("stopped while the file is packed") << 30000 << false << int(RegistryExport::Outcome::Cancelled);
    QTest::newRow("file cannot be written") << -1 << true << int(RegistryExport::Outcome::Failed);
}

// A cancelled or failed export removes its file and says why it failed; the grid follows the
// data set again and the walk stopped on the last record written.
void tst_RegistryExport::stopsAndLeavesNoFile()
{
    QFETCH(int, stopAt);
    QFETCH(bool, fileTaken);
    QFETCH(int, outcome);
    // Texts that pack badly, so that packing the file takes a while.
    exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000) "
         u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, aciklama1, ozgecmis) "
         u"SELECT i, 'Ad' || i, 'Soyad' || i, 'Uzun bir açıklama ' || i, hex(randomblob(300)) FROM n"_s);
    m_list->Open();
    QString error;
    const QString path = RegistryExport::reserveFile(m_dir->path(), QDateTime::currentDateTime(), &error);
    QVERIFY(QFileInfo::exists(path));
    RegistryExport exporter(*m_list);
    int calls = 0;
    int lastCount = -1;
    bool countRises = true;
    const RegistryExport::Outcome result = exporter.write(path, [&](int written) {
        countRises = countRises && written >= lastCount;
        lastCount = written;
        // A folder where the workbook is to go: the file cannot be written.
        if (fileTaken && calls++ == 0) {
            QFile::remove(path);
            QDir().mkpath(path);
        }
        return stopAt < 0 || written < stopAt;
    });
    QVERIFY(countRises);
    QCOMPARE(int(result), outcome);
    QVERIFY(!QFileInfo(path).isFile());
    QVERIFY(!m_list->ControlsDisabled());
    if (result == RegistryExport::Outcome::Failed) {
        QVERIFY2(exporter.error().contains(u"xlsx"_s), qPrintable(exporter.error()));
        QCOMPARE(m_list->RecNo(), 30000);
    } else {
        QVERIFY(exporter.error().isEmpty());
        QCOMPARE(m_list->RecNo(), std::max(exporter.rowsWritten(), 1));
        QCOMPARE(exporter.rowsWritten() == 30000, stopAt == 30000);
        QCOMPARE(exporter.rowsWritten() == 0, stopAt == 0);
    }
    QDir(path).removeRecursively();
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_RegistryExport test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registryexport.moc"
