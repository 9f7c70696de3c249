#include "DataError.h"
#include "NameSearch.h"
#include "QueryPlan.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "TestDatabase.h"
#include "TurkishText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

class tst_Schema final : public QObject
{
    Q_OBJECT

public:
    // What a damaged file's repair is checked by.
    enum Part {
        Column, // table.column
        IndexOrTrigger,
        Rows, // the number a statement counts
    };

private Q_SLOTS:
    void init();
    void cleanup();

    void tableDefinitions_data();
    void tableDefinitions();
    void fieldLookup();
    void newFileMatchesDefinitions();
    void newFileRecordsVersionAndIndexes();
    void referenceRows_data();
    void referenceRows();
    void referenceSpotValues();
    void ensureTwiceAddsNothing();
    void foldSql_data();
    void foldSql();
    void foldIndexesAreUsed_data();
    void foldIndexesAreUsed();
    void sortKeysUseTheirIndexes_data();
    void sortKeysUseTheirIndexes();
    void adoptsFileWithoutVersion();
    void refusesNewerFile();
    void failureLeavesFileUntouched();
    void repairsMissingParts_data();
    void repairsMissingParts();
    void upgradeAddsGrowthColumns();
    void refusesMissingTable_data();
    void refusesMissingTable();
    void repairRefillsNameSearch();
    void upgradesVersionOneFile();
    void registryFilterFieldsAreIndexed_data();
    void registryFilterFieldsAreIndexed();
    void registryFilterIsAnsweredFromIndexes();

private:
    // Another connection on the test's database, as a second start of the program opens.
    QSqlDatabase openAgain();
    // The test's database becomes one without even the clinic's tables on the server.
    void startEmpty();
    QVariant scalar(const QString& sql);
    QStringList texts(const QString& sql);
    const SqlDialect& dialect() const;
    int tableCount();
    // Tables, indexes and triggers of the database (not views).
    QStringList objects();
    int measure(Part part, const QString& name);
    // Indexes of the table whose first column is the column.
    int indexesStartingWith(const QString& table, const QString& column);
    // A registry of that many children, each name and code different, with the engine's figures on
    // it, so that its plans are those of a clinic's registry.
    void seedRegistry(int children);
    QList<QList<double>> csvRows(const QString& file, const std::function<bool(double)>& takesAge);

    std::unique_ptr<TestDatabase> m_base;
    QSqlDatabase m_db;
    int m_counter = 0;
};

Q_DECLARE_METATYPE(tst_Schema::Part)

QSqlDatabase tst_Schema::openAgain()
{
    QSqlDatabase db = m_base->open(u"schema-%1"_s.arg(++m_counter));
    if (!db.isOpen())
        qFatal("cannot open test database: %s", qPrintable(db.lastError().text()));
    return db;
}

void tst_Schema::startEmpty()
{
    cleanup();
    m_base = std::make_unique<TestDatabase>(TestDatabase::Content::Empty);
    QVERIFY2(m_base->error().isEmpty(), qPrintable(m_base->error()));
    m_db = openAgain();
}

const SqlDialect& tst_Schema::dialect() const
{
    return SqlDialect::of(m_db);
}

QStringList tst_Schema::texts(const QString& sql)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql))
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString();
    return rows;
}

// The program's tables, without the parts of SQLite's name search index.
int tst_Schema::tableCount()
{
    const QStringList tables = texts(dialect().tablesSql());
    return int(std::count_if(
        tables.cbegin(), tables.cend(), [](const QString& name) { return !name.startsWith(u"hastasicil_ara"_s); }));
}

QStringList tst_Schema::objects()
{
    QStringList names = texts(TestDatabase::postgresqlChosen()
            ? u"SELECT c.relname FROM pg_class AS c JOIN pg_namespace AS n ON n.oid = c.relnamespace "
              u"WHERE n.nspname = current_schema() AND c.relkind <> 'v' UNION ALL "
              u"SELECT t.tgname FROM pg_trigger AS t JOIN pg_class AS c ON c.oid = t.tgrelid "
              u"JOIN pg_namespace AS n ON n.oid = c.relnamespace WHERE n.nspname = current_schema()"_s
            : u"SELECT name FROM sqlite_master WHERE type <> 'view'"_s);
    names.sort();
    return names;
}

int tst_Schema::measure(Part part, const QString& name)
{
    QSqlQuery q(m_db);
    switch (part) {
    case Column: {
        if (!q.exec(dialect().columnsSql()))
            return -1;
        int found = 0;
        while (q.next())
            found += q.value(0).toString() + u'.' + q.value(1).toString() == name ? 1 : 0;
        return found;
    }
    case IndexOrTrigger: {
        if (!q.exec(dialect().indexesAndTriggersSql()))
            return -1;
        int found = 0;
        while (q.next())
            found += q.value(0).toString() == name ? 1 : 0;
        return found;
    }
    case Rows: {
        const QVariant rows = scalar(name);
        return rows.isValid() ? rows.toInt() : -1;
    }
    }
    return -1;
}

int tst_Schema::indexesStartingWith(const QString& table, const QString& column)
{
    QSqlQuery q(m_db);
    q.prepare(TestDatabase::postgresqlChosen()
            ? u"SELECT count(*) FROM pg_index AS i JOIN pg_class AS t ON t.oid = i.indrelid "
              u"JOIN pg_namespace AS n ON n.oid = t.relnamespace "
              u"JOIN pg_attribute AS a ON a.attrelid = t.oid AND a.attnum = i.indkey[0] "
              u"WHERE n.nspname = current_schema() AND t.relname = ? AND a.attname = ?"_s
            : u"SELECT count(*) FROM pragma_index_list(?) AS l, pragma_index_xinfo(l.name) AS x "
              u"WHERE x.seqno = 0 AND x.name = ?"_s);
    q.addBindValue(table);
    q.addBindValue(column);
    return q.exec() && q.next() ? q.value(0).toInt() : -1;
}

QVariant tst_Schema::scalar(const QString& sql)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

// The test reads the shipped CSV files from the source tree, by header name.
void tst_Schema::seedRegistry(int children)
{
    QVERIFY(m_db.transaction());
    QSqlQuery q(m_db);
    QVERIFY(
        q.prepare(u"INSERT INTO hastasicil (hasta_kodu, adi, adi2, soyadi, baba, anne) VALUES (?, ?, ?, ?, ?, ?)"_s));
    for (int i = 1; i <= children; ++i) {
        for (const QString& prefix : { u"K"_s, u"A"_s, u"B"_s, u"S"_s, u"F"_s, u"M"_s })
            q.addBindValue(prefix + QString::number(i));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(m_db.commit());
    QVERIFY2(q.exec(u"ANALYZE"_s), qPrintable(q.lastError().text()));
}

QList<QList<double>> tst_Schema::csvRows(const QString& file, const std::function<bool(double)>& takesAge)
{
    QFile f(qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/data/"_s + file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(file));
    const QStringList lines = QString::fromLatin1(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList header = lines.first().split(u',');
    const QStringList wanted { u"Sex"_s, u"Agemos"_s, u"P3"_s, u"P5"_s, u"P10"_s, u"P25"_s, u"P50"_s, u"P75"_s,
        u"P90"_s, u"P95"_s, u"P97"_s };
    QList<QList<double>> rows;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines.at(i).split(u',');
        QList<double> row;
        for (const QString& name : wanted)
            row << cells.at(header.indexOf(name)).toDouble();
        if (!takesAge || takesAge(row.at(1)))
            rows << row;
    }
    return rows;
}

void tst_Schema::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_base = std::make_unique<TestDatabase>();
    QVERIFY2(m_base->error().isEmpty(), qPrintable(m_base->error()));
    m_db = openAgain();
}

void tst_Schema::cleanup()
{
    const QString name = m_db.connectionName();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    m_base.reset();
}

void tst_Schema::tableDefinitions_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("fieldCount");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<QStringList>("primaryKey");

    QTest::newRow("hastasicil") << u"hastasicil"_s << 48 << u"hid"_s << QStringList { u"hid"_s };
    QTest::newRow("muayene") << u"muayene"_s << 15 << u"mid"_s << QStringList {};
    QTest::newRow("recete") << u"recete"_s << 10 << u"rrid"_s << QStringList {};
    QTest::newRow("laboratuar") << u"laboratuar"_s << 7 << u"lids"_s << QStringList {};
    QTest::newRow("laborana") << u"laborana"_s << 5 << u"lid"_s << QStringList {};
    QTest::newRow("asitur") << u"asitur"_s << 5 << u"asit"_s << QStringList { u"asit"_s };
    QTest::newRow("asitakip") << u"asitakip"_s << 6 << u"asid"_s << QStringList { u"asid"_s };
    QTest::newRow("asitakip2") << u"asitakip2"_s << 13 << u"asid"_s << QStringList {};
    QTest::newRow("sifre") << u"sifre"_s << 14 << u"sid"_s << QStringList { u"sid"_s };
    QTest::newRow("master") << u"master"_s << 1 << QString() << QStringList {};
    QTest::newRow("zkilobir") << u"zkilobir"_s << 11 << QString() << QStringList {};
    QTest::newRow("zuzunlukbir") << u"zuzunlukbir"_s << 11 << QString() << QStringList {};
    QTest::newRow("zbas") << u"zbas"_s << 12 << u"ID"_s << QStringList {};
    QTest::newRow("degisiklik") << u"degisiklik"_s << 8 << u"did"_s << QStringList { u"did"_s };
}

void tst_Schema::tableDefinitions()
{
    QFETCH(QString, table);
    QFETCH(int, fieldCount);
    QFETCH(QString, keyField);
    QFETCH(QStringList, primaryKey);

    QCOMPARE(Schema::tables().size(), 14);
    const TableDef* def = Schema::table(table);
    QVERIFY(def);
    QCOMPARE(def->fields.size(), fieldCount);
    QCOMPARE(def->keyField, keyField);
    QCOMPARE(def->primaryKey, primaryKey);
    QCOMPARE(def->rowKey(), keyField.isEmpty() ? u"rowid"_s : keyField);

    // Only the key may be AutoInc, and it stands first.
    for (qsizetype i = 0; i < def->fields.size(); ++i) {
        const FieldDef& f = def->fields.at(i);
        QCOMPARE(f.type == FieldType::AutoInc, !keyField.isEmpty() && i == 0);
        if (f.type == FieldType::WideString)
            QVERIFY2(f.size > 0, qPrintable(f.name));
    }
}

void tst_Schema::fieldLookup()
{
    const TableDef* lab = Schema::table(u"laboratuar"_s);
    QVERIFY(lab);
    // The child code is as wide as everywhere else.
    QCOMPARE(lab->field(u"hastakodu"_s)->size, 16);
    QCOMPARE(Schema::table(u"recete"_s)->field(u"hastakodu"_s)->size, 16);

    const TableDef* child = Schema::table(u"HastaSicil"_s);
    QVERIFY(child);
    QCOMPARE(child->indexOf(u"HID"_s), 0);
    QCOMPARE(child->field(u"OZGECMIS"_s)->name, u"ozgecmis"_s);
    QVERIFY(!child->field(u"yok"_s));
    QCOMPARE(child->indexOf(u"yok"_s), -1);

    // "not" is a Memo in the visits and a short text in the prescription lines.
    QCOMPARE(Schema::table(u"muayene"_s)->field(u"not"_s)->type, FieldType::Memo);
    QCOMPARE(Schema::table(u"recete"_s)->field(u"not"_s)->size, 30);
    QVERIFY(!Schema::table(u"yok"_s));
}

void tst_Schema::newFileMatchesDefinitions()
{
    Schema::ensure(m_db);
    const bool server = TestDatabase::postgresqlChosen();

    // On the server every text compares byte by byte, as in SQLite.
    const auto sqlType = [server](const FieldDef& f) -> QString {
        switch (f.type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
        case FieldType::Smallint:
            return server ? u"integer"_s : u"INTEGER"_s;
        case FieldType::WideString:
            return server ? u"character varying(%1) C"_s.arg(f.size) : u"VARCHAR(%1)"_s.arg(f.size);
        case FieldType::Float:
            return server ? u"double precision"_s : u"REAL"_s;
        case FieldType::DateTime:
        case FieldType::Memo:
            return server ? u"text C"_s : u"TEXT"_s;
        case FieldType::Blob:
            return server ? u"bytea"_s : u"BLOB"_s;
        }
        return {};
    };

    for (const TableDef& def : Schema::tables()) {
        QSqlQuery q(m_db);
        if (server) {
            QVERIFY(q.prepare(u"SELECT column_name AS name, data_type || coalesce('(' || character_maximum_length "
                              u"|| ')', '') || coalesce(' ' || collation_name, '') AS type, "
                              u"CASE is_nullable WHEN 'NO' THEN 1 ELSE 0 END AS notnull, "
                              u"CASE is_identity WHEN 'YES' THEN 1 ELSE 0 END AS pk FROM information_schema.columns "
                              u"WHERE table_schema = current_schema() AND table_name = ? ORDER BY ordinal_position"_s));
            q.addBindValue(def.name.toLower());
            QVERIFY(q.exec());
        } else {
            QVERIFY(q.exec(u"PRAGMA table_info(\"%1\")"_s.arg(def.name)));
        }
        // A table without a key gets a record identity of its own on the server, first.
        if (server && def.keyField.isEmpty()) {
            QVERIFY(q.next());
            QCOMPARE(q.value(u"name"_s).toString(), u"rowid"_s);
            QCOMPARE(q.value(u"type"_s).toString(), u"bigint"_s);
            QCOMPARE(q.value(u"pk"_s).toInt(), 1);
        }
        int i = 0;
        bool longSeen = false;
        while (q.next()) {
            const QString name = q.value(u"name"_s).toString();
            const FieldDef* f = def.field(name);
            QVERIFY2(f, qPrintable(def.name + u'.' + name));
            const QString where = def.name + u'.' + f->name;
            const bool key = q.value(u"pk"_s).toInt() == 1;
            QVERIFY2(q.value(u"type"_s).toString() == sqlType(*f), qPrintable(where));
            // Only the server's key column is declared required.
            QVERIFY2(q.value(u"notnull"_s).toInt() == (server && key ? 1 : 0), qPrintable(where));
            QVERIFY2(key == (f->type == FieldType::AutoInc), qPrintable(where));
            // Long texts and pictures come after every short column.
            const bool isLong = f->type == FieldType::Memo || f->type == FieldType::Blob;
            QVERIFY2(isLong || !longSeen, qPrintable(where));
            longSeen = longSeen || isLong;
            ++i;
        }
        QVERIFY2(i == def.fields.size(), qPrintable(def.name));
    }

    // Ids come from the engine and keep increasing; "not" is usable as a column.
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, \"not\") VALUES ('1', 'x')"_s));
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, \"not\") VALUES ('2', 'y')"_s));
    QCOMPARE(texts(u"SELECT mid FROM muayene ORDER BY hastakodu"_s), QStringList({ u"1"_s, u"2"_s }));
    QVERIFY(q.exec(u"INSERT INTO master (mids) VALUES ('gizli')"_s));
    QCOMPARE(scalar(u"SELECT \"not\" FROM muayene WHERE mid = 1"_s).toString(), u"x"_s);
}

void tst_Schema::newFileRecordsVersionAndIndexes()
{
    startEmpty();
    QCOMPARE(Schema::version(m_db), 0);
    QElapsedTimer timer;
    timer.start();
    Schema::ensure(m_db);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed < 1000, qPrintable(u"ensure took %1 ms"_s.arg(elapsed)));

    QCOMPARE(Schema::version(m_db), Schema::currentVersion);
    QCOMPARE(tableCount(), 14);

    // Every lookup column has an index whose first column is that column.
    const QList<QPair<QString, QString>> indexed {
        { u"muayene"_s, u"hastakodu"_s },
        { u"recete"_s, u"muayeneno"_s },
        { u"laboratuar"_s, u"muayeneno"_s },
        { u"asitakip"_s, u"hkodu"_s },
        { u"asitakip2"_s, u"hkodu"_s },
        { u"asitur"_s, u"asiadi"_s },
        { u"laborana"_s, u"tetkikturu"_s },
        { u"sifre"_s, u"kullanici"_s },
        { u"hastasicil"_s, u"hasta_kodu"_s },
        { u"hastasicil"_s, u"soyadi"_s },
        { u"hastasicil"_s, u"adi"_s },
    };
    for (const auto& [table, column] : indexed)
        QVERIFY2(indexesStartingWith(table, column) >= 1, qPrintable(table + u'.' + column));
    QCOMPARE(scalar(TestDatabase::postgresqlChosen()
                     ? u"SELECT i.indnkeyatts FROM pg_index AS i JOIN pg_class AS c ON c.oid = i.indexrelid "
                       u"WHERE c.relname LIKE 'muayene%tarih%'"_s
                     : u"SELECT count(*) FROM pragma_index_xinfo((SELECT name FROM pragma_index_list('muayene') "
                       u"WHERE name LIKE '%tarih%')) WHERE key = 1"_s)
                 .toInt(),
        2);
}

void tst_Schema::referenceRows_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<QList<double>>>("expected");

    const auto all = std::function<bool(double)>();
    QList<QList<double>> weight = csvRows(u"cdc_wtageinf.csv"_s, all);
    QCOMPARE(weight.size(), 76);
    weight << csvRows(u"cdc_wtage.csv"_s, [](double age) { return age > 36; });
    QList<QList<double>> length = csvRows(u"cdc_lenageinf.csv"_s, all);
    QCOMPARE(length.size(), 74);
    length << csvRows(u"cdc_statage.csv"_s, [](double age) { return age >= 36; });

    QTest::newRow("zkilobir") << u"zkilobir"_s << weight;
    QTest::newRow("zuzunlukbir") << u"zuzunlukbir"_s << length;
    QTest::newRow("zbas") << u"zbas"_s << csvRows(u"cdc_hcageinf.csv"_s, all);
}

void tst_Schema::referenceRows()
{
    QFETCH(QString, table);
    QFETCH(QList<QList<double>>, expected);

    Schema::ensure(m_db);
    QCOMPARE(scalar(u"SELECT count(*) FROM \"%1\""_s.arg(table)).toInt(), expected.size());

    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"SELECT Sex, Age, P3, P5, P10, P25, P50, P75, P90, P95, P97 FROM \"%1\" ORDER BY %2"_s.arg(
        table, Schema::table(table)->rowKey())));
    int row = 0;
    while (q.next()) {
        for (int c = 0; c < 11; ++c) {
            if (q.value(c).toDouble() != expected.at(row).at(c))
                QFAIL(qPrintable(u"row %1 column %2: %3 != %4"_s.arg(row)
                                     .arg(c)
                                     .arg(q.value(c).toDouble())
                                     .arg(expected.at(row).at(c))));
        }
        ++row;
    }
    QCOMPARE(row, expected.size());
}

void tst_Schema::referenceSpotValues()
{
    Schema::ensure(m_db);

    // Boys at birth.
    QCOMPARE(scalar(u"SELECT P50 FROM zkilobir WHERE Sex = 1 AND Age = 0"_s).toDouble(), 3.530203168);
    QCOMPARE(scalar(u"SELECT P50 FROM zuzunlukbir WHERE Sex = 1 AND Age = 0"_s).toDouble(), 49.98888408);
    QCOMPARE(scalar(u"SELECT P50 FROM zbas WHERE Sex = 1 AND Age = 0"_s).toDouble(), 35.81366835);
    // Length: the corrected P columns, not the originally published ones.
    QCOMPARE(scalar(u"SELECT P3 FROM zuzunlukbir WHERE Sex = 1 AND Age = 0"_s).toDouble(), 44.9250978);

    // Each sex runs from birth to 20 years without a repeated age where the tables meet.
    for (const QString& table : { u"zkilobir"_s, u"zuzunlukbir"_s }) {
        for (int sex = 1; sex <= 2; ++sex) {
            const QString where = u"FROM %1 WHERE Sex = %2"_s.arg(table).arg(sex);
            QCOMPARE(scalar(u"SELECT min(Age) "_s + where).toDouble(), 0.0);
            QCOMPARE(scalar(u"SELECT max(Age) "_s + where).toDouble(), 240.0);
            QCOMPARE(scalar(u"SELECT count(*) - count(DISTINCT Age) "_s + where).toInt(), 0);
        }
    }
    QCOMPARE(scalar(u"SELECT count(*) FROM zkilobir WHERE Sex = 1 AND Age = 36"_s).toInt(), 1);
    QCOMPARE(scalar(u"SELECT max(Age) FROM zbas"_s).toDouble(), 36.0);
}

void tst_Schema::ensureTwiceAddsNothing()
{
    Schema::ensure(m_db);
    const int weights = scalar(u"SELECT count(*) FROM zkilobir"_s).toInt();
    const int heads = scalar(u"SELECT count(*) FROM zbas"_s).toInt();
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu) VALUES ('1')"_s));

    Schema::ensure(m_db);
    // Opened again in another connection, as a second start of the program would.
    QSqlDatabase second = openAgain();
    Schema::ensure(second);
    second.close();

    QCOMPARE(scalar(u"SELECT count(*) FROM zkilobir"_s).toInt(), weights);
    QCOMPARE(scalar(u"SELECT count(*) FROM zbas"_s).toInt(), heads);
    QCOMPARE(scalar(u"SELECT count(*) FROM hastasicil"_s).toInt(), 1);
    QCOMPARE(Schema::version(m_db), Schema::currentVersion);
}

void tst_Schema::foldSql_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");

    QTest::newRow("ALİ") << u"ALİ"_s << u"ali"_s;
    QTest::newRow("Işık") << u"Işık"_s << u"ışık"_s;
    QTest::newRow("ÇİĞDEM") << u"ÇİĞDEM"_s << u"çiğdem"_s;
    QTest::newRow("ışık") << u"ışık"_s << u"ışık"_s;
    QTest::newRow("pairs") << u"IİıiÇçĞğÖöŞşÜü"_s << u"ıiıiççğğööşşüü"_s;
    QTest::newRow("abc") << u"abc"_s << u"abc"_s;
    QTest::newRow("circumflex") << u"ÂLÎ ÛMİT"_s << u"âlî ûmit"_s;
    QTest::newRow("kept as typed") << u"  KOD-12/É "_s << u"  kod-12/É "_s;
    QTest::newRow("empty") << QString(u""_s) << QString(u""_s);
}

void tst_Schema::foldSql()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);

    QCOMPARE(Schema::foldSql(u"?"_s), Schema::foldSql(u"?"_s));
    // Folded as the indexes fold the stored names (on the server with the columns' byte order, which
    // leaves letters outside ASCII to the replacements).
    Schema::ensure(m_db);
    QSqlQuery q(m_db);
    QVERIFY(q.prepare(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('1', ?)"_s));
    q.addBindValue(text);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QVERIFY2(
        q.exec(u"SELECT "_s + Schema::foldSql(u"\"adi\""_s) + u" FROM hastasicil"_s), qPrintable(q.lastError().text()));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), folded);
    // The program folds the text it searches for in C++; both sides must agree.
    QCOMPARE(TurkishText::fold(text), folded);
}

void tst_Schema::foldIndexesAreUsed_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("index");

    const QString code = Schema::foldSql(u"\"hasta_kodu\""_s);
    const QString name = Schema::foldSql(u"\"adi\""_s) + u" = ? AND "_s + Schema::foldSql(u"\"soyadi\""_s) + u" = ?"_s;
    QTest::newRow("code") << code + u" = ?"_s << u"hastasicil_fold_hasta_kodu"_s;
    QTest::newRow("code unquoted") << Schema::foldSql(u"hasta_kodu"_s) + u" = ?"_s << u"hastasicil_fold_hasta_kodu"_s;
    QTest::newRow("code prefix") << code + u" >= ? AND "_s + code + u" < ?"_s << u"hastasicil_fold_hasta_kodu"_s;
    QTest::newRow("name") << name << u"hastasicil_fold_adi_soyadi"_s;
    QTest::newRow("first name alone") << Schema::foldSql(u"\"adi\""_s) + u" = ?"_s << u"hastasicil_fold_adi_soyadi"_s;
}

void tst_Schema::foldIndexesAreUsed()
{
    QFETCH(QString, where);
    QFETCH(QString, index);

    Schema::ensure(m_db);
    QVariantList binds;
    for (qsizetype i = where.count(u'?'); i > 0; --i)
        binds << u"ışık"_s;
    const QString plan = QueryPlan::of(m_db, u"SELECT hid FROM hastasicil WHERE "_s + where, binds);
    if (TestDatabase::postgresqlChosen()) {
        QVERIFY2(QueryPlan::readsIndex(plan, index), qPrintable(plan));
        return;
    }
    // A search on the expression, not merely a scan through the index.
    QVERIFY2(plan.contains(u"SEARCH hastasicil USING INDEX "_s + index + u" (<expr>"_s), qPrintable(plan));
}

void tst_Schema::sortKeysUseTheirIndexes_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QString>("index");
    QTest::newRow("surname") << u"soyadi"_s << QString() << u"hastasicil_sort_soyadi"_s;
    QTest::newRow("surname descending") << u"soyadi"_s << u" DESC"_s << u"hastasicil_sort_soyadi"_s;
    QTest::newRow("name") << u"adi"_s << QString() << u"hastasicil_sort_adi"_s;
}

// A list sorted by name is read through the index on its sort key, with no sorting step.
void tst_Schema::sortKeysUseTheirIndexes()
{
    QFETCH(QString, column);
    QFETCH(QString, direction);
    QFETCH(QString, index);
    Schema::ensure(m_db);
    seedRegistry(2000);
    // The order as the data sets write it: the sort key, then the record key.
    const QString order = dialect().orderTermSql(Schema::sortKeySql(u"\"%1\""_s.arg(column)), direction) + u", "_s
        + dialect().orderTermSql(u"\"hid\""_s, direction);
    const QString plan = QueryPlan::of(m_db, u"SELECT hid FROM hastasicil ORDER BY "_s + order);
    if (TestDatabase::postgresqlChosen()) {
        QVERIFY2(QueryPlan::readsIndex(plan, index), qPrintable(plan));
        // Rows of one name are put in key order as they come; the whole list is never sorted.
        QVERIFY2(!plan.contains(QRegularExpression(u"(^|-> *)Sort "_s, QRegularExpression::MultilineOption)),
            qPrintable(plan));
        return;
    }
    QVERIFY2(plan.contains(u"USING INDEX "_s + index), qPrintable(plan));
    QVERIFY2(!plan.contains(u"TEMP B-TREE"_s), qPrintable(plan));
}

void tst_Schema::adoptsFileWithoutVersion()
{
    startEmpty();
    // A file that got its tables some other way: the missing ones are added, nothing is lost.
    const auto columns = [this](const QString& table, const QStringList& names) {
        QStringList sql;
        for (const QString& name : names)
            sql << name + u' ' + dialect().columnType(*Schema::table(table)->field(name));
        return u"CREATE TABLE %1 (%2)"_s.arg(table, sql.join(u", "_s));
    };
    QSqlQuery q(m_db);
    QVERIFY(q.exec(columns(u"hastasicil"_s, { u"hid"_s, u"hasta_kodu"_s })));
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu) VALUES ('77')"_s));
    QVERIFY(q.exec(columns(u"zbas"_s,
        { u"ID"_s, u"Sex"_s, u"Age"_s, u"P3"_s, u"P5"_s, u"P10"_s, u"P25"_s, u"P50"_s, u"P75"_s, u"P90"_s, u"P95"_s,
            u"P97"_s })));
    QVERIFY(q.exec(u"INSERT INTO zbas (Sex, Age, P50) VALUES (1, 0, 35)"_s));

    Schema::ensure(m_db);

    QCOMPARE(Schema::version(m_db), Schema::currentVersion);
    QCOMPARE(scalar(u"SELECT hasta_kodu FROM hastasicil"_s).toString(), u"77"_s);
    QCOMPARE(scalar(u"SELECT count(*) FROM zbas"_s).toInt(), 1);
    QVERIFY(scalar(u"SELECT count(*) FROM zkilobir"_s).toInt() > 400);
    QCOMPARE(tableCount(), 14);
}

void tst_Schema::refusesNewerFile()
{
    startEmpty();
    // The server records the version on the registry's table.
    QSqlQuery q(m_db);
    if (TestDatabase::postgresqlChosen())
        QVERIFY(q.exec(u"CREATE TABLE hastasicil (hid INTEGER)"_s));
    for (const QString& sql : dialect().setVersionStatements(Schema::currentVersion + 1))
        QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
    const QStringList before = objects();

    try {
        Schema::ensure(m_db);
        QFAIL("a file of a newer program was accepted");
    } catch (const DataError& e) {
        QVERIFY(e.text().contains(u"yeni"_s));
    }
    QCOMPARE(Schema::version(m_db), Schema::currentVersion + 1);
    QCOMPARE(objects(), before);
}

void tst_Schema::failureLeavesFileUntouched()
{
    startEmpty();
    // A view in the place of a reference table stops the creation after ten tables have been
    // made; none of them may stay.
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"CREATE VIEW zkilobir AS SELECT 1 AS Sex"_s));

    QVERIFY_THROWS_EXCEPTION(DataError, Schema::ensure(m_db));
    QCOMPARE(Schema::version(m_db), 0);
    QCOMPARE(objects(), QStringList());

    // The file is still usable: with the view gone it is created normally.
    QVERIFY(q.exec(u"DROP VIEW zkilobir"_s));
    Schema::ensure(m_db);
    QCOMPARE(Schema::version(m_db), Schema::currentVersion);
}

void tst_Schema::repairsMissingParts_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<Part>("part");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected");
    QTest::newRow("dropped column") << u"ALTER TABLE hastasicil DROP COLUMN annekizlik"_s << Column
                                    << u"hastasicil.annekizlik"_s << 1;
    QTest::newRow("dropped memo column") << u"ALTER TABLE muayene DROP COLUMN \"not\""_s << Column << u"muayene.not"_s
                                         << 1;
    QTest::newRow("dropped index") << u"DROP INDEX hastasicil_fold_adi_soyadi"_s << IndexOrTrigger
                                   << u"hastasicil_fold_adi_soyadi"_s << 1;
    QTest::newRow("dropped growth column")
        << u"ALTER TABLE hastasicil DROP COLUMN anneboy"_s << Column << u"hastasicil.anneboy"_s << 1;
    QTest::newRow("emptied reference rows") << u"DELETE FROM zbas"_s << Rows << u"SELECT count(*) FROM zbas"_s << 76;
    QTest::newRow("dropped filter index")
        << u"DROP INDEX hastasicil_baba"_s << IndexOrTrigger << u"hastasicil_baba"_s << 1;
    if (TestDatabase::postgresqlChosen()) {
        // The server's name search index is an index on the records, filled as it is made.
        QTest::newRow("dropped name search index")
            << u"DROP INDEX hastasicil_ara"_s << IndexOrTrigger << u"hastasicil_ara"_s << 1;
        return;
    }
    // The index is made again and filled from the records.
    QTest::newRow("dropped name search index") << u"DROP TABLE hastasicil_ara"_s << Rows
                                               << u"SELECT count(*) FROM hastasicil_ara WHERE adlar = 'ayşe  '"_s << 1;
    QTest::newRow("dropped name search trigger")
        << u"DROP TRIGGER hastasicil_ara_degistir"_s << IndexOrTrigger << u"hastasicil_ara_degistir"_s << 1;
}

void tst_Schema::repairsMissingParts()
{
    QFETCH(QString, damage);
    QFETCH(Part, part);
    QFETCH(QString, name);
    QFETCH(int, expected);
    Schema::ensure(m_db);
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('5', 'Ayşe')"_s));
    QVERIFY2(q.exec(damage), qPrintable(q.lastError().text()));
    QVERIFY(measure(part, name) != expected);

    // The next start finds the gap and fills it; the records stay.
    QSqlDatabase second = openAgain();
    Schema::ensure(second);
    second.close();
    QCOMPARE(measure(part, name), expected);
    QCOMPARE(scalar(u"SELECT adi FROM hastasicil WHERE hasta_kodu = '5'"_s).toString(), u"Ayşe"_s);
    QVERIFY(q.exec(u"UPDATE hastasicil SET annekizlik = 'Fatma' WHERE hasta_kodu = '5'"_s));
    QCOMPARE(Schema::version(m_db), Schema::currentVersion);
}

// A file of version 1 (a small clinic written by that version, kept as test data) gets the
// growth columns on its first start, empty for every child; a second start changes nothing.
void tst_Schema::upgradeAddsGrowthColumns()
{
    if (TestDatabase::postgresqlChosen())
        QSKIP("the clinic file of version 1 is an SQLite file; no server database was made by that version");
    m_db.close();
    QFile::remove(m_base->location());
    QVERIFY(QFile::copy(
        qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/tests/data/schema-version1.db"_s, m_base->location()));
    QFile::setPermissions(m_base->location(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(m_db.open());
    QCOMPARE(Schema::version(m_db), 1);
    const QString growthColumns = u"SELECT count(*) FROM pragma_table_info('hastasicil') "
                                  u"WHERE name IN ('dogumhaftasi', 'anneboy', 'bababoy')"_s;
    QCOMPARE(scalar(growthColumns).toInt(), 0);
    const int children = scalar(u"SELECT count(*) FROM hastasicil"_s).toInt();
    const int visits = scalar(u"SELECT count(*) FROM muayene"_s).toInt();
    QVERIFY(children > 0 && visits > 0);

    for (int start = 0; start < 2; ++start) {
        QSqlDatabase db = openAgain();
        Schema::ensure(db);
        db.close();
        QCOMPARE(Schema::version(m_db), Schema::currentVersion);
        QCOMPARE(scalar(growthColumns).toInt(), 3);
        QCOMPARE(scalar(u"SELECT count(*) FROM hastasicil WHERE dogumhaftasi IS NULL AND anneboy IS NULL "
                        u"AND bababoy IS NULL"_s)
                     .toInt(),
            children);
        QCOMPARE(scalar(u"SELECT count(*) FROM muayene"_s).toInt(), visits);
        QVERIFY(scalar(u"SELECT count(*) FROM zkilobir"_s).toInt() > 0);
    }
    QSqlQuery q(m_db);
    QVERIFY2(q.exec(u"UPDATE hastasicil SET dogumhaftasi = 32, anneboy = 160.5, bababoy = 181"_s),
        qPrintable(q.lastError().text()));
    QCOMPARE(scalar(u"SELECT sum(anneboy) FROM hastasicil"_s).toDouble(), 160.5 * children);
}

void tst_Schema::refusesMissingTable_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("named");
    QTest::newRow("visits") << u"DROP TABLE muayene"_s << u"muayene"_s;
    QTest::newRow("registry") << u"DROP TABLE hastasicil"_s << u"hastasicil"_s;
    QTest::newRow("record key") << u"ALTER TABLE recete RENAME COLUMN rrid TO eski"_s << u"recete.rrid"_s;
}

void tst_Schema::refusesMissingTable()
{
    QFETCH(QString, damage);
    QFETCH(QString, named);
    Schema::ensure(m_db);
    QSqlQuery q(m_db);
    QVERIFY2(q.exec(damage), qPrintable(q.lastError().text()));
    const QStringList before = objects();

    try {
        Schema::ensure(m_db);
        QFAIL("a file lacking a table was accepted");
    } catch (const DataError& e) {
        QVERIFY2(e.text().contains(named), qPrintable(e.text()));
        QVERIFY2(e.text().startsWith(u"Veritabanı dosyası eksik ve onarılamıyor"_s), qPrintable(e.text()));
    }
    // Nothing was created in its place.
    QCOMPARE(objects(), before);
}

// An index that lost a trigger missed the changes made meanwhile: the repair fills it anew.
void tst_Schema::repairRefillsNameSearch()
{
    if (TestDatabase::postgresqlChosen())
        QSKIP("the server keeps its name search index itself, with no trigger to lose");
    Schema::ensure(m_db);
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('5', 'Ayşe', 'Kaya')"_s));
    QVERIFY(q.exec(u"DROP TRIGGER hastasicil_ara_degistir"_s));
    QVERIFY(q.exec(u"UPDATE hastasicil SET soyadi = 'Şen' WHERE hasta_kodu = '5'"_s));
    QCOMPARE(scalar(u"SELECT adlar FROM hastasicil_ara"_s).toString(), u"ayşe kaya "_s);

    QSqlDatabase second = openAgain();
    Schema::ensure(second);
    second.close();
    QCOMPARE(scalar(u"SELECT group_concat(adlar, '|') FROM hastasicil_ara"_s).toString(), u"ayşe şen "_s);
    QVERIFY(q.exec(u"UPDATE hastasicil SET soyadi = 'Öz' WHERE hasta_kodu = '5'"_s));
    QCOMPARE(scalar(u"SELECT group_concat(adlar, '|') FROM hastasicil_ara"_s).toString(), u"ayşe öz "_s);
}

// A file written by the version before the registry's search indexes: its records stay, the
// indexes are added and the name search index holds every child; a second start adds nothing.
void tst_Schema::upgradesVersionOneFile()
{
    if (TestDatabase::postgresqlChosen())
        QSKIP("the clinic file of version 1 is an SQLite file; no server database was made by that version");
    const QString path = QFileInfo(m_base->location()).dir().filePath(u"version1.db"_s);
    QVERIFY(QFile::copy(qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/tests/data/schema-version1.db"_s, path));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const auto texts = [](QSqlDatabase& db, const QString& sql) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString();
        return rows;
    };

    for (int start = 1; start <= 2; ++start) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"version1-%1"_s.arg(start));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QCOMPARE(Schema::version(db), start == 1 ? 1 : Schema::currentVersion);
        Schema::ensure(db);
        QCOMPARE(Schema::version(db), Schema::currentVersion);

        QCOMPARE(texts(db, u"SELECT hasta_kodu || ':' || adi FROM hastasicil ORDER BY hid"_s),
            QStringList({ u"1:ALİ"_s, u"2:Ayşe"_s, u"3: Işıl "_s, u"4:Çağrı"_s }));
        QCOMPARE(texts(db, u"SELECT rowid || ':' || adlar FROM hastasicil_ara ORDER BY rowid"_s),
            QStringList({ u"1:ali yılmaz mehmet"_s, u"2:ayşe şahin "_s, u"3:ışıl doğan gül"_s, u"4:çağrı öztürk "_s }));
        QCOMPARE(texts(db,
                     u"SELECT name FROM sqlite_master WHERE type = 'index' AND name IN "
                     u"('hastasicil_adi2', 'hastasicil_baba', 'hastasicil_anne') ORDER BY name"_s),
            QStringList({ u"hastasicil_adi2"_s, u"hastasicil_anne"_s, u"hastasicil_baba"_s }));
        // The reference rows the file lacked are filled as for any file.
        QVERIFY(texts(db, u"SELECT count(*) FROM zbas"_s).value(0).toInt() > 0);
        const QString name = db.connectionName();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
}

void tst_Schema::registryFilterFieldsAreIndexed_data()
{
    QTest::addColumn<QString>("column");
    for (const char* column : { "hasta_kodu", "adi", "adi2", "soyadi", "baba", "anne" })
        QTest::newRow(column) << QString::fromLatin1(column);
}

// Each field the registry list's filter compares is found through an index of its own.
void tst_Schema::registryFilterFieldsAreIndexed()
{
    QFETCH(QString, column);
    Schema::ensure(m_db);
    const QString plan
        = QueryPlan::of(m_db, u"SELECT hid FROM hastasicil WHERE \"%1\" = ?"_s.arg(column), { u"Ali"_s });
    if (TestDatabase::postgresqlChosen()) {
        QVERIFY2(QueryPlan::readsIndex(plan, u"hastasicil_"_s + column), qPrintable(plan));
        return;
    }
    QVERIFY2(plan.contains(u"INDEX hastasicil_%1 (%1=?)"_s.arg(column)), qPrintable(plan));
}

// The list's filter as one statement, its eleven comparisons joined by OR: every one is looked up
// on an index, and the table is never read through.
void tst_Schema::registryFilterIsAnsweredFromIndexes()
{
    Schema::ensure(m_db);
    seedRegistry(2000);
    const QString plan = QueryPlan::of(m_db,
        u"SELECT hid FROM hastasicil WHERE hasta_kodu = :t OR adi = :t OR adi2 = :t OR soyadi = :t OR baba = :t "
        u"OR anne = :t OR adi = :c OR adi2 = :c OR soyadi = :c OR baba = :c OR anne = :c ORDER BY hid"_s,
        QVariantMap { { u":t"_s, u"Ali"_s }, { u":c"_s, u"ALİ"_s } });
    if (TestDatabase::postgresqlChosen()) {
        QVERIFY2(plan.contains(u"BitmapOr"_s), qPrintable(plan));
        QVERIFY2(!plan.contains(u"Seq Scan"_s), qPrintable(plan));
        for (const char* column : { "hasta_kodu", "adi", "adi2", "soyadi", "baba", "anne" })
            QVERIFY2(QueryPlan::readsIndex(plan, u"hastasicil_"_s + QLatin1StringView(column)), qPrintable(plan));
        return;
    }
    QVERIFY2(plan.contains(u"MULTI-INDEX OR"_s), qPrintable(plan));
    QVERIFY2(!plan.contains(u"SCAN hastasicil\n"_s), qPrintable(plan));
    for (const char* column : { "hasta_kodu", "adi", "adi2", "soyadi", "baba", "anne" })
        QVERIFY2(plan.contains(u"INDEX hastasicil_%1 (%1=?)"_s.arg(QLatin1StringView(column))), qPrintable(plan));
}

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
