#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "Field.h"
#include "TestDatabase.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The grid model over real data sets on a clinic database file.
class tst_DataSetModel final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void followsDataSet_data();
    void followsDataSet();
    void appendAndCancelAreRowChangesNotResets();
    void editedRowShowsBuffer();
    void displayTexts_data();
    void displayTexts();
    void setDataMovesAndEdits();
    void setDataWithSameTextStartsNoEdit();
    void refusedValueReportsError_data();
    void refusedValueReportsError();
    void flags();
    void columnsAndTitles();
    void readsOnlyRowsAsked();
    void lookupColumn();
    void farRowsOfASortedList();

private:
    void addVisits(const QStringList& codes);
    QStringList shownCodes(const DataSetModel& model) const;
    QVariant scalar(const QString& sql);

    std::unique_ptr<TestDatabase> m_dir;
    std::unique_ptr<Connection> m_conn;
};

void tst_DataSetModel::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = std::make_unique<TestDatabase>();
    QVERIFY2(m_dir->error().isEmpty(), qPrintable(m_dir->error()));
    m_conn = std::make_unique<Connection>(m_dir->location(), u"modeltest"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    Connection::setDefaultConnection(m_conn.get());
}

void tst_DataSetModel::cleanup()
{
    Connection::setDefaultConnection(nullptr);
    m_conn.reset();
    m_dir.reset();
}

void tst_DataSetModel::addVisits(const QStringList& codes)
{
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"BEGIN"_s));
    QVERIFY(q.prepare(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo) VALUES (?, ?, ?, ?)"_s));
    int day = 1;
    for (const QString& code : codes) {
        q.addBindValue(code);
        q.addBindValue(u"2011-03-%1 14:30:00.000"_s.arg(day, 2, 10, QLatin1Char('0')));
        q.addBindValue(24.05);
        q.addBindValue(12.5);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        day = day % 28 + 1;
    }
    QVERIFY(q.exec(u"COMMIT"_s));
}

QStringList tst_DataSetModel::shownCodes(const DataSetModel& model) const
{
    QStringList codes;
    const int column = model.columnOf(u"hastakodu"_s);
    for (int row = 0; row < model.rowCount(); ++row)
        codes.append(model.index(row, column).data().toString());
    return codes;
}

QVariant tst_DataSetModel::scalar(const QString& sql)
{
    QSqlQuery q(m_conn->database());
    if (!q.exec(sql) || !q.next())
        return {};
    return q.value(0);
}

void tst_DataSetModel::followsDataSet_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");

    QTest::newRow("append, type, post") << u"append;set A;post"_s << u"1,2,3,A"_s;
    QTest::newRow("append, cancel") << u"append;cancel"_s << u"1,2,3"_s;
    QTest::newRow("append, leave untouched") << u"append;first"_s << u"1,2,3"_s;
    QTest::newRow("append, type, leave stores") << u"append;set A;first"_s << u"1,2,3,A"_s;
    QTest::newRow("two appends in a row") << u"append;set A;append;set B;post"_s << u"1,2,3,A,B"_s;
    QTest::newRow("delete middle") << u"goto 2;delete"_s << u"1,3"_s;
    QTest::newRow("delete last") << u"last;delete"_s << u"1,2"_s;
    QTest::newRow("delete everything, append") << u"first;delete;delete;delete;append;set A;post"_s << u"A"_s;
    QTest::newRow("delete while appending drops new") << u"append;set A;delete"_s << u"1,2,3"_s;
    QTest::newRow("edit, cancel") << u"goto 2;edit;set X;cancel"_s << u"1,2,3"_s;
    QTest::newRow("edit, post") << u"goto 2;edit;set X;post"_s << u"1,X,3"_s;
    QTest::newRow("another copy adds, refresh") << u"sql Z;refresh"_s << u"1,2,3,Z"_s;
    QTest::newRow("filter on, off") << u"filter hastakodu='2';unfilter"_s << u"1,2,3"_s;
    QTest::newRow("filter") << u"filter hastakodu='2'"_s << u"2"_s;
    QTest::newRow("filter matching nothing, append") << u"filter hastakodu='9';append;set 9;post"_s << u"9"_s;
    QTest::newRow("close") << u"close"_s << QString();
    QTest::newRow("close, open") << u"close;open"_s << u"1,2,3"_s;
    QTest::newRow("held notices") << u"disable;append;set A;post;goto 1;delete;enable"_s << u"2,3,A"_s;
}

void tst_DataSetModel::followsDataSet()
{
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    addVisits({ u"1"_s, u"2"_s, u"3"_s });

    DataSource source(u"DataSource1"_s); // outlives the data set, which detaches from it
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    ds.Open();
    QCOMPARE(shownCodes(model), (QStringList { u"1"_s, u"2"_s, u"3"_s }));

    for (const QString& step : steps.split(u';')) {
        const QString argument = step.section(u' ', 1);
        if (step == u"append")
            ds.Append();
        else if (step.startsWith(u"set "))
            ds.FieldByName(u"hastakodu"_s)->setAsString(argument);
        else if (step == u"post")
            ds.Post();
        else if (step == u"cancel")
            ds.Cancel();
        else if (step == u"edit")
            ds.Edit();
        else if (step == u"delete")
            ds.Delete();
        else if (step == u"first")
            ds.First();
        else if (step == u"last")
            ds.Last();
        else if (step.startsWith(u"goto "))
            ds.setRecNo(argument.toInt());
        else if (step == u"refresh")
            ds.Refresh();
        else if (step.startsWith(u"sql "))
            addVisits({ argument });
        else if (step.startsWith(u"filter ")) {
            ds.setFilter(argument);
            ds.setFiltered(true);
        } else if (step == u"unfilter")
            ds.setFiltered(false);
        else if (step == u"close")
            ds.Close();
        else if (step == u"open")
            ds.Open();
        else if (step == u"disable")
            ds.DisableControls();
        else if (step == u"enable")
            ds.EnableControls();
        else
            QFAIL(qPrintable(u"unknown step "_s + step));
        if (!ds.ControlsDisabled())
            QCOMPARE(model.rowCount(), ds.rowCount());
    }
    const QStringList expectedCodes = expected.isEmpty() ? QStringList() : expected.split(u',');
    QCOMPARE(shownCodes(model), expectedCodes);
}

void tst_DataSetModel::appendAndCancelAreRowChangesNotResets()
{
    addVisits({ u"1"_s, u"2"_s });
    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    ds.Open();
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    ds.Append();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 2);
    ds.Cancel();
    QCOMPARE(removed.count(), 1);
    ds.First();
    ds.Delete();
    QCOMPARE(removed.count(), 2);
    QCOMPARE(removed.at(1).at(1).toInt(), 0);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(shownCodes(model), QStringList { u"2"_s });
}

void tst_DataSetModel::editedRowShowsBuffer()
{
    addVisits({ u"1"_s, u"2"_s });
    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    ds.Open();
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int column = model.columnOf(u"hastakodu"_s);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    ds.setRecNo(2);
    ds.Edit();
    ds.FieldByName(u"hastakodu"_s)->setAsString(u"yeni"_s);
    QCOMPARE(model.index(1, column).data().toString(), u"yeni"_s);
    QCOMPARE(model.index(0, column).data().toString(), u"1"_s);
    bool rowTwoRepainted = false;
    for (const QList<QVariant>& args : std::as_const(changed)) {
        const auto topLeft = args.at(0).value<QModelIndex>();
        const auto bottomRight = args.at(1).value<QModelIndex>();
        rowTwoRepainted |= topLeft.row() <= 1 && bottomRight.row() >= 1 && topLeft.column() <= column
            && bottomRight.column() >= column;
    }
    QVERIFY(rowTwoRepainted);

    changed.clear();
    ds.Cancel();
    QCOMPARE(model.index(1, column).data().toString(), u"2"_s);
    QVERIFY(!changed.isEmpty());
}

void tst_DataSetModel::displayTexts_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("displayFormat");
    QTest::addColumn<QString>("editFormat");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("edit");

    QTest::newRow("age months and days") << u"yas"_s << u"#,###.00"_s << u"#.00"_s << QVariant(24.05) << u"24,05"_s
                                         << u"24,05"_s;
    QTest::newRow("age below one month") << u"yas"_s << u"#,###.00"_s << u"#.00"_s << QVariant(0.19) << u",19"_s
                                         << u",19"_s;
    QTest::newRow("age grouped") << u"yas"_s << u"#,###.00"_s << u"#.00"_s << QVariant(1234.5) << u"1.234,50"_s
                                 << u"1234,50"_s;
    QTest::newRow("age without format") << u"yas"_s << QString() << QString() << QVariant(24.05) << u"24,05"_s
                                        << u"24,05"_s;
    QTest::newRow("null age") << u"yas"_s << u"#,###.00"_s << u"#.00"_s << QVariant() << QString() << QString();
    QTest::newRow("date and time") << u"tarih"_s << u"dd.mm.yyyy-HH:MM"_s << QString()
                                   << QVariant(u"2011-03-05 14:30:00.000"_s) << u"05.03.2011-14:30"_s
                                   << u"05.03.2011-14:30"_s;
    QTest::newRow("date only") << u"tarih"_s << u"dd.mm.yyyy"_s << QString() << QVariant(u"2011-03-05 14:30:00.000"_s)
                               << u"05.03.2011"_s << u"05.03.2011"_s;
    QTest::newRow("null date") << u"tarih"_s << u"dd.mm.yyyy"_s << QString() << QVariant() << QString() << QString();
    QTest::newRow("weight") << u"kilo"_s << QString() << QString() << QVariant(12.5) << u"12,5"_s << u"12,5"_s;
}

void tst_DataSetModel::displayTexts()
{
    QFETCH(QString, field);
    QFETCH(QString, displayFormat);
    QFETCH(QString, editFormat);
    QFETCH(QVariant, stored);
    QFETCH(QString, display);
    QFETCH(QString, edit);

    QSqlQuery q(m_conn->database());
    QVERIFY(q.prepare(u"INSERT INTO muayene (hastakodu, \"%1\") VALUES ('1', ?)"_s.arg(field)));
    q.addBindValue(stored);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));

    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    ds.FieldByName(field)->DisplayFormat = displayFormat;
    ds.FieldByName(field)->EditFormat = editFormat;
    source.setDataSet(&ds);
    DataSetModel model(&source);
    ds.Open();
    const QModelIndex cell = model.index(0, model.columnOf(field));
    QCOMPARE(cell.data(Qt::DisplayRole).toString(), display);
    QCOMPARE(cell.data(Qt::EditRole).toString(), edit);

    // The record being edited shows the same texts from its buffer.
    ds.Edit();
    QCOMPARE(cell.data(Qt::DisplayRole).toString(), display);
}

void tst_DataSetModel::setDataMovesAndEdits()
{
    addVisits({ u"1"_s, u"2"_s, u"3"_s });
    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    ds.Open();
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int kilo = model.columnOf(u"kilo"_s);

    QVERIFY(model.setData(model.index(2, kilo), u"13,75"_s));
    QCOMPARE(ds.RecNo(), 3);
    QCOMPARE(ds.State(), dsEdit);
    QVERIFY(ds.Modified());
    QCOMPARE(model.index(2, kilo).data().toString(), u"13,75"_s);

    // Editing another row leaves this one, which stores it.
    QVERIFY(model.setData(model.index(0, kilo), u"9"_s));
    QCOMPARE(ds.RecNo(), 1);
    QCOMPARE(scalar(u"SELECT kilo FROM muayene WHERE hastakodu = '3'"_s).toDouble(), 13.75);
    ds.Post();
    QCOMPARE(scalar(u"SELECT kilo FROM muayene WHERE hastakodu = '1'"_s).toDouble(), 9.0);

    // An empty text empties the field.
    QVERIFY(model.setData(model.index(1, kilo), QString()));
    ds.Post();
    QVERIFY(scalar(u"SELECT kilo FROM muayene WHERE hastakodu = '2'"_s).isNull());
    QVERIFY(model.lastError().isEmpty());
}

void tst_DataSetModel::setDataWithSameTextStartsNoEdit()
{
    addVisits({ u"1"_s, u"2"_s });
    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    ds.Open();
    int beforePost = 0;
    ds.BeforePost = [&](DataSet&) { ++beforePost; };
    DataSetModel model(&source);
    const QModelIndex cell = model.index(0, model.columnOf(u"hastakodu"_s));
    QVERIFY(model.setData(cell, cell.data(Qt::EditRole)));
    QCOMPARE(ds.State(), dsBrowse);
    ds.Next();
    QCOMPARE(beforePost, 0);
}

void tst_DataSetModel::refusedValueReportsError_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");

    QTest::newRow("not a number") << u"kilo"_s << u"on iki"_s;
    QTest::newRow("too long") << u"hastakodu"_s << u"12345678901234567"_s;
    QTest::newRow("not a date") << u"tarih"_s << u"31.02.2011"_s;
}

void tst_DataSetModel::refusedValueReportsError()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    addVisits({ u"1"_s, u"2"_s });
    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    ds.Open();
    DataSetModel model(&source);
    QSignalSpy errors(&model, &DataSetModel::error);

    // The bad value is taken into the record; leaving the record to edit another one stores
    // it, which the data set refuses.
    QVERIFY(model.setData(model.index(0, model.columnOf(field)), text));
    QCOMPARE(model.index(0, model.columnOf(field)).data().toString(), text);
    QVERIFY(!model.setData(model.index(1, model.columnOf(u"doktoru"_s)), u"Dr. Ayşe"_s));
    QCOMPARE(errors.count(), 1);
    QVERIFY(!model.lastError().isEmpty());
    QCOMPARE(errors.at(0).at(0).toString(), model.lastError());
    QCOMPARE(ds.RecNo(), 1);
    QCOMPARE(ds.State(), dsEdit);
    QVERIFY(model.index(1, model.columnOf(u"doktoru"_s)).data().toString().isEmpty());

    // Once corrected, the same edit goes through and clears the error.
    QVERIFY(model.setData(model.index(0, model.columnOf(field)), QString()));
    QVERIFY(model.setData(model.index(1, model.columnOf(u"doktoru"_s)), u"Dr. Ayşe"_s));
    QVERIFY(model.lastError().isEmpty());
    QCOMPARE(ds.RecNo(), 2);
}

void tst_DataSetModel::flags()
{
    addVisits({ u"1"_s });
    DataSource source(u"sicilSource"_s);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.FieldByName(u"doktoru"_s)->ReadOnly = true;
    source.setDataSet(&ds);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu) VALUES ('1')"_s));
    ds.Open();
    DataSetModel model(&source);
    auto editable = [&model](const QString& field) {
        return bool(model.flags(model.index(0, model.columnOf(field))) & Qt::ItemIsEditable);
    };
    QVERIFY(editable(u"adi"_s));
    QVERIFY(!editable(u"hid"_s)); // AutoInc
    QVERIFY(!editable(u"doktoru"_s)); // read-only field
    QVERIFY(!editable(u"resim"_s)); // picture
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);

    model.setReadOnly(true);
    QVERIFY(!editable(u"adi"_s));
    QVERIFY(!model.setData(model.index(0, model.columnOf(u"adi"_s)), u"Ali"_s));
    QCOMPARE(ds.State(), dsBrowse);
}

void tst_DataSetModel::columnsAndTitles()
{
    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    ds.FieldByName(u"mid"_s)->Visible = false;
    ds.FieldByName(u"tarih"_s)->DisplayLabel = u"Tarih - Saat"_s;
    source.setDataSet(&ds);
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    // Default: every visible field.
    QCOMPARE(model.columnCount(), ds.Fields().size() - 1);
    QCOMPARE(model.columnOf(u"mid"_s), -1);

    model.setColumns({ u"tarih"_s, u"YAS"_s, u"nosuch"_s, u"mid"_s });
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.fieldAt(1)->FieldName(), u"yas"_s);
    QCOMPARE(model.columnOf(u"mid"_s), 2); // named columns show hidden fields too
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Tarih - Saat"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"yas"_s);

    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    model.setColumnTitle(u"yas"_s, u"Yaş"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"Yaş"_s);
    QCOMPARE(header.count(), 1);
    model.setColumnTitle(u"yas"_s, QString());
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"yas"_s);
    QVERIFY(model.fieldAt(7) == nullptr);
}

void tst_DataSetModel::readsOnlyRowsAsked()
{
    QStringList codes;
    for (int i = 0; i < 20000; ++i)
        codes.append(QString::number(i));
    addVisits(codes);

    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    source.setDataSet(&ds);
    ds.Open();
    DataSetModel model(&source);
    QCOMPARE(model.rowCount(), 20000);
    const int column = model.columnOf(u"hastakodu"_s);
    for (int row = 15000; row < 15030; ++row)
        QCOMPARE(model.index(row, column).data().toString(), QString::number(row));
    QVERIFY2(ds.cachedRowCount() < 2000, qPrintable(QString::number(ds.cachedRowCount())));
}

void tst_DataSetModel::lookupColumn()
{
    QSqlQuery q(m_conn->database());
    QVERIFY(
        q.exec(u"INSERT INTO laborana (tetkikturu, normaldegalt, normaldegust) VALUES ('Hemoglobin', '11', '16')"_s));
    QVERIFY(q.exec(u"INSERT INTO laborana (tetkikturu, normaldegalt, normaldegust) VALUES ('Demir', '50', '120')"_s));
    QVERIFY(q.exec(u"INSERT INTO laboratuar (muayeneno, tetkikturu) VALUES (1, 'Demir')"_s));

    DataSet types(u"tetkikTTable"_s);
    types.setTableName(u"laborana"_s);
    types.Open();
    DataSource source(u"labSource"_s);
    DataSet results(u"labTable"_s);
    results.setTableName(u"laboratuar"_s);
    results.addLookupField(u"tur"_s, 20, u"tetkikturu"_s, &types, u"tetkikturu"_s, u"tetkikturu"_s);
    results.addLookupField(u"tetkikalt"_s, 15, u"tetkikturu"_s, &types, u"tetkikturu"_s, u"normaldegalt"_s);
    source.setDataSet(&results);
    results.Open();
    DataSetModel model(&source);
    model.setColumns({ u"tur"_s, u"tetkikalt"_s, u"tetkiksonucu"_s });
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model.index(0, 0).data().toString(), u"Demir"_s);
    QCOMPARE(model.index(0, 1).data().toString(), u"50"_s);
    QCOMPARE(model.lookupChoices(0), (QStringList { u"Hemoglobin"_s, u"Demir"_s }));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    // Choosing a value sets the key field; the other lookup follows it.
    QVERIFY(model.setData(model.index(0, 0), u"Hemoglobin"_s));
    QCOMPARE(results.FieldByName(u"tetkikturu"_s)->AsString(), u"Hemoglobin"_s);
    QCOMPARE(model.index(0, 1).data().toString(), u"11"_s);
    QVERIFY(!model.setData(model.index(0, 0), u"Kalsiyum"_s));
    QVERIFY(!model.lastError().isEmpty());
    results.Post();
    QCOMPARE(scalar(u"SELECT tetkikturu FROM laboratuar"_s).toString(), u"Hemoglobin"_s);
}

// A grid over a long list sorted by a text shows far rows, a record found far away and the row
// after a deleted one as the plain sorted statement has them.
void tst_DataSetModel::farRowsOfASortedList()
{
    QStringList codes;
    for (int i = 0; i < 3000; ++i)
        codes.append(QString::number((i * 7919) % 3000));
    addVisits(codes);
    QStringList sorted;
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"SELECT hastakodu FROM muayene ORDER BY hastakodu, mid"_s));
    while (q.next())
        sorted.append(q.value(0).toString());

    DataSource source(u"DataSource1"_s);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    ds.setIndexFieldNames(u"hastakodu"_s);
    source.setDataSet(&ds);
    ds.Open();
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int column = model.columnOf(u"hastakodu"_s);
    QCOMPARE(model.rowCount(), 3000);
    for (const int row : { 2999, 1500, 1499, 10, 2000 })
        QCOMPARE(model.index(row, column).data().toString(), sorted.at(row));

    QVERIFY(ds.Locate(u"hastakodu"_s, sorted.at(2500), {}));
    QCOMPARE(ds.currentRow(), 2500);
    ds.Delete();
    QCOMPARE(model.rowCount(), 2999);
    QCOMPARE(ds.currentRow(), 2500);
    QCOMPARE(model.index(2500, column).data().toString(), sorted.at(2501));
    QCOMPARE(model.index(2998, column).data().toString(), sorted.last());
    QVERIFY(!ds.allKeysRead());
}

QTEST_GUILESS_MAIN(tst_DataSetModel)
#include "tst_datasetmodel.moc"
