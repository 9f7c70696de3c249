#include "Schema.h"

#include "DataError.h"
#include "NameSearch.h"
#include "SqlDialect.h"

#include <QFile>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

// The reference CSV files are compiled into the static core library; their registration has to
// be pulled in explicitly or the linker drops it.
static void initReferenceResources()
{
    Q_INIT_RESOURCE(reference);
}

namespace {

FieldDef autoInc(const QString& name)
{
    return FieldDef { name, FieldType::AutoInc, 0 };
}

// A text field declared without a size holds 20 characters.
FieldDef str(const QString& name, int size = 20)
{
    return FieldDef { name, FieldType::WideString, size };
}

FieldDef integer(const QString& name)
{
    return FieldDef { name, FieldType::Integer, 0 };
}

FieldDef smallint(const QString& name)
{
    return FieldDef { name, FieldType::Smallint, 0 };
}

FieldDef flt(const QString& name)
{
    return FieldDef { name, FieldType::Float, 0 };
}

FieldDef dateTime(const QString& name)
{
    return FieldDef { name, FieldType::DateTime, 0 };
}

FieldDef memo(const QString& name)
{
    return FieldDef { name, FieldType::Memo, 0 };
}

FieldDef blob(const QString& name)
{
    return FieldDef { name, FieldType::Blob, 0 };
}

QList<FieldDef> percentileFields()
{
    return { flt(u"Sex"_s), flt(u"Age"_s), flt(u"P3"_s), flt(u"P5"_s), flt(u"P10"_s), flt(u"P25"_s), flt(u"P50"_s),
        flt(u"P75"_s), flt(u"P90"_s), flt(u"P95"_s), flt(u"P97"_s) };
}

TableDef makeTable(const QString& name, QList<FieldDef> fields, const QStringList& primaryKey = {})
{
    TableDef def;
    def.name = name;
    def.fields = std::move(fields);
    for (const FieldDef& f : std::as_const(def.fields)) {
        if (f.type == FieldType::AutoInc) {
            def.keyField = f.name;
            break;
        }
    }
    def.primaryKey = primaryKey;
    return def;
}

QList<TableDef> buildTables()
{
    QList<TableDef> t;

    t << makeTable(u"hastasicil"_s,
        { autoInc(u"hid"_s), str(u"hasta_kodu"_s, 16), str(u"adi"_s, 16), str(u"adi2"_s, 16), str(u"soyadi"_s, 16),
            blob(u"resim"_s), str(u"cinsiyeti"_s, 7), dateTime(u"dogumtarihi"_s), flt(u"tckimlik"_s),
            flt(u"dogumkilo"_s), flt(u"dogumboy"_s), flt(u"dogumbas"_s), str(u"dogumsekli"_s, 12),
            str(u"dogumhastahane"_s, 20), str(u"kangrubu"_s, 12), memo(u"alerji"_s), str(u"anne"_s, 16),
            str(u"annekizlik"_s, 16), str(u"baba"_s, 16), str(u"meslegi"_s, 10), str(u"sosyalguvku"_s, 16),
            flt(u"sosyalguv"_s), str(u"evtel"_s, 20), str(u"istel"_s, 20), str(u"ceptel"_s, 20), str(u"fax"_s, 20),
            str(u"isyeri"_s, 20), str(u"evadresi"_s, 40), str(u"semt"_s, 15), str(u"ilce"_s, 15), str(u"il"_s, 15),
            integer(u"evpostakodu"_s), str(u"isadresi"_s, 40), str(u"issemt"_s, 15), str(u"isilce"_s, 15),
            str(u"isil"_s, 15), integer(u"ispostakodu"_s), str(u"email"_s, 25), str(u"web"_s, 30),
            str(u"aciklama1"_s, 40), str(u"aciklama2"_s, 40), str(u"aciklama3"_s, 40), str(u"doktoru"_s, 40),
            memo(u"soygecmis"_s), memo(u"ozgecmis"_s), smallint(u"dogumhaftasi"_s), flt(u"anneboy"_s),
            flt(u"bababoy"_s) },
        { u"hid"_s });

    t << makeTable(u"muayene"_s,
        { autoInc(u"mid"_s), str(u"hastakodu"_s, 16), dateTime(u"tarih"_s), flt(u"yas"_s), flt(u"boy"_s),
            flt(u"kilo"_s), flt(u"basc"_s), memo(u"beslenme"_s), memo(u"sikayetbulgu"_s), memo(u"bulgu"_s),
            memo(u"tani"_s), memo(u"tedavi"_s), memo(u"not"_s), str(u"doktoru"_s, 40), integer(u"randevuno"_s) });

    t << makeTable(u"recete"_s,
        { autoInc(u"rrid"_s), integer(u"muayeneno"_s), str(u"hastakodu"_s, 16), str(u"ilackodu"_s, 20),
            str(u"ilacadi"_s, 25), str(u"ilacfirma"_s, 25), smallint(u"doz"_s), smallint(u"sure"_s),
            integer(u"muayenekodu"_s), str(u"not"_s, 30) });

    // The child code is 16 characters here as everywhere else, so that a full code copied
    // from the visit fits.
    t << makeTable(u"laboratuar"_s,
        { autoInc(u"lids"_s), integer(u"muayeneno"_s), str(u"hastakodu"_s, 16), str(u"tetkikturu"_s, 15),
            str(u"tetkiksonucu"_s, 15), str(u"aciklama"_s, 100), str(u"detay"_s, 255) });

    t << makeTable(u"laborana"_s,
        { autoInc(u"lid"_s), str(u"tetkikturu"_s, 15), str(u"normaldegalt"_s, 15), str(u"normaldegust"_s, 15),
            str(u"aciklama"_s, 255) });

    t << makeTable(u"asitur"_s,
        { autoInc(u"asit"_s), str(u"asiadi"_s, 15), integer(u"asiaraligi"_s), smallint(u"asiadedi"_s),
            str(u"aciklama"_s, 50) },
        { u"asit"_s });

    t << makeTable(u"asitakip"_s,
        { autoInc(u"asid"_s), str(u"hkodu"_s, 16), str(u"asiadi"_s, 15), dateTime(u"tarih"_s), memo(u"aciklama"_s),
            memo(u"not"_s) },
        { u"asid"_s });

    t << makeTable(u"asitakip2"_s,
        { autoInc(u"asid"_s), str(u"hkodu"_s, 16), str(u"asiadi"_s, 15), str(u"doz1"_s, 15), str(u"doz2"_s, 15),
            str(u"doz3"_s, 15), str(u"doz4"_s, 15), str(u"rapel1"_s, 15), str(u"rapel2"_s, 15), dateTime(u"tarih"_s),
            memo(u"aciklama"_s), memo(u"not"_s), integer(u"asiturid"_s) });

    t << makeTable(u"sifre"_s,
        { autoInc(u"sid"_s), str(u"kullanici"_s, 16), str(u"sifre"_s, 16), str(u"adi"_s, 16), str(u"soyadi"_s, 16),
            str(u"firmaadi"_s, 50), str(u"firmaadres"_s, 70), str(u"firmatel"_s, 20), str(u"firmafax"_s, 20),
            str(u"ekle"_s, 1), str(u"degistir"_s, 1), str(u"herksesigor"_s, 1), str(u"herkesidegistir"_s, 1),
            str(u"baskasirandevuver"_s, 1) },
        { u"sid"_s });

    t << makeTable(u"master"_s, { str(u"mids"_s, 16) });

    t << makeTable(u"zkilobir"_s, percentileFields());
    t << makeTable(u"zuzunlukbir"_s, percentileFields());

    QList<FieldDef> zbas = percentileFields();
    zbas.prepend(autoInc(u"ID"_s));
    t << makeTable(u"zbas"_s, zbas);

    // The change history: one row for every record the program inserts, changes or deletes.
    t << makeTable(u"degisiklik"_s,
        { autoInc(u"did"_s), dateTime(u"zaman"_s), str(u"kullanici"_s, 16), str(u"islem"_s, 10), str(u"tablo"_s, 20),
            integer(u"kayit"_s), str(u"hastakodu"_s, 16), memo(u"degisen"_s) },
        { u"did"_s });

    return t;
}

struct IndexDef {
    QString name;
    QString table;
    // Column expressions, already in SQL.
    QStringList terms;
};

// In small letters, as the program names every table and column: PostgreSQL would keep a quoted
// capital, and then not find the column named without quotes; SQLite ignores the case anyway.
QString quoteId(const QString& identifier)
{
    QString quoted = identifier.toLower();
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

QList<IndexDef> indexes()
{
    const auto col = [](const char16_t* name) { return quoteId(QString::fromUtf16(name)); };
    const auto fold = [&col](const char16_t* name) { return Schema::foldSql(col(name)); };
    return {
        { u"muayene_hastakodu_tarih"_s, u"muayene"_s, { col(u"hastakodu"), col(u"tarih") } },
        { u"recete_muayeneno"_s, u"recete"_s, { col(u"muayeneno") } },
        { u"laboratuar_muayeneno"_s, u"laboratuar"_s, { col(u"muayeneno") } },
        { u"asitakip_hkodu"_s, u"asitakip"_s, { col(u"hkodu") } },
        { u"asitakip2_hkodu"_s, u"asitakip2"_s, { col(u"hkodu") } },
        { u"asitur_asiadi"_s, u"asitur"_s, { col(u"asiadi") } },
        { u"laborana_tetkikturu"_s, u"laborana"_s, { col(u"tetkikturu") } },
        { u"sifre_kullanici"_s, u"sifre"_s, { col(u"kullanici") } },
        { u"hastasicil_hasta_kodu"_s, u"hastasicil"_s, { col(u"hasta_kodu") } },
        { u"hastasicil_soyadi"_s, u"hastasicil"_s, { col(u"soyadi") } },
        { u"hastasicil_adi"_s, u"hastasicil"_s, { col(u"adi") } },
        { u"hastasicil_fold_hasta_kodu"_s, u"hastasicil"_s, { fold(u"hasta_kodu") } },
        { u"hastasicil_fold_adi_soyadi"_s, u"hastasicil"_s, { fold(u"adi"), fold(u"soyadi") } },
        { u"hastasicil_sort_soyadi"_s, u"hastasicil"_s, { Schema::sortKeySql(col(u"soyadi")) } },
        { u"hastasicil_sort_adi"_s, u"hastasicil"_s, { Schema::sortKeySql(col(u"adi")) } },
        // With hasta_kodu, adi and soyadi above: the six fields the registry list's filter compares.
        { u"hastasicil_adi2"_s, u"hastasicil"_s, { col(u"adi2") } },
        { u"hastasicil_baba"_s, u"hastasicil"_s, { col(u"baba") } },
        { u"hastasicil_anne"_s, u"hastasicil"_s, { col(u"anne") } },
        // The history screen lists a child's changes, and a child's own record by its key.
        { u"degisiklik_hastakodu"_s, u"degisiklik"_s, { col(u"hastakodu") } },
        { u"degisiklik_tablo_kayit"_s, u"degisiklik"_s, { col(u"tablo"), col(u"kayit") } },
    };
}

QString sqlType(QSqlDatabase& db, const FieldDef& field)
{
    return SqlDialect::of(db).columnType(field);
}

// Long texts and pictures are stored after the other columns: SQLite keeps a row's columns in
// order, and a large value before a short one would make every read of the short one walk the
// large one's overflow pages. The program always names its columns, so their order is free.
QString createTableSql(QSqlDatabase& db, const TableDef& def)
{
    QStringList columns;
    const QString rowId = SqlDialect::of(db).rowIdColumnSql();
    if (def.keyField.isEmpty() && !rowId.isEmpty())
        columns << rowId;
    columns.reserve(def.fields.size());
    const auto weight = [](FieldType type) { return type == FieldType::Blob ? 2 : type == FieldType::Memo ? 1 : 0; };
    for (int pass = 0; pass < 3; ++pass)
        for (const FieldDef& f : def.fields)
            if (weight(f.type) == pass)
                columns << quoteId(f.name) + u' ' + sqlType(db, f);
    return u"CREATE TABLE IF NOT EXISTS %1 (%2)"_s.arg(quoteId(def.name), columns.join(u", "_s));
}

QString createIndexSql(QSqlDatabase& db, const IndexDef& index)
{
    QStringList terms;
    for (const QString& term : index.terms)
        terms << SqlDialect::of(db).indexTermSql(term);
    return u"CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)"_s.arg(
        quoteId(index.name), quoteId(index.table), terms.join(u", "_s));
}

void exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DataError(DataError::engineText(q.lastError()));
}

QVariant scalar(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DataError(DataError::engineText(q.lastError()));
    return q.next() ? q.value(0) : QVariant();
}

// Type of the schema object with that name ("table", "view", ...), empty when there is none.
QString objectType(QSqlDatabase& db, const QString& name)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(SqlDialect::of(db).objectTypeSql());
    q.addBindValue(name);
    if (!q.exec())
        throw DataError(DataError::engineText(q.lastError()));
    return q.next() ? q.value(0).toString() : QString();
}

void setVersion(QSqlDatabase& db, int version)
{
    for (const QString& sql : SqlDialect::of(db).setVersionStatements(version))
        exec(db, sql);
}

// Rows of one reference CSV, those whose age passes the filter (all when there is none).
struct CsvSource {
    QString file;
    std::function<bool(double)> takesAge;
};

const QStringList& percentileColumns()
{
    static const QStringList columns { u"Sex"_s, u"Agemos"_s, u"P3"_s, u"P5"_s, u"P10"_s, u"P25"_s, u"P50"_s, u"P75"_s,
        u"P90"_s, u"P95"_s, u"P97"_s };
    return columns;
}

QList<QList<double>> readReference(const CsvSource& source)
{
    const QString path = u":/reference/"_s + source.file;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(u"Referans tablosu okunamadı: %1"_s.arg(source.file));

    const QList<QByteArray> lines = file.readAll().split('\n');
    const QList<QByteArray> header = lines.first().trimmed().split(',');
    QList<qsizetype> positions;
    for (const QString& column : percentileColumns()) {
        const qsizetype pos = header.indexOf(column.toLatin1());
        if (pos < 0)
            throw DataError(u"Referans tablosunda %1 sütunu yok: %2"_s.arg(column, source.file));
        positions << pos;
    }
    const qsizetype agePos = percentileColumns().indexOf(u"Agemos"_s);

    QList<QList<double>> rows;
    rows.reserve(lines.size());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> cells = line.split(',');
        if (cells.size() != header.size())
            throw DataError(u"Referans tablosunun %1. satırı bozuk: %2"_s.arg(i + 1).arg(source.file));
        QList<double> values;
        values.reserve(positions.size());
        for (qsizetype pos : std::as_const(positions)) {
            bool ok = false;
            const double v = cells.at(pos).toDouble(&ok);
            if (!ok)
                throw DataError(u"Referans tablosunun %1. satırı bozuk: %2"_s.arg(i + 1).arg(source.file));
            values << v;
        }
        if (!source.takesAge || source.takesAge(values.at(agePos)))
            rows << values;
    }
    return rows;
}

void fillReferenceTable(QSqlDatabase& db, const QString& table, const QList<CsvSource>& sources)
{
    const TableDef* def = Schema::table(table);
    Q_ASSERT(def);
    // Only an empty table is filled, so that an adopted file keeps whatever rows it has.
    if (scalar(db, u"SELECT count(*) FROM %1"_s.arg(quoteId(def->name))).toLongLong() > 0)
        return;

    QStringList columns;
    QStringList marks;
    for (const FieldDef& f : def->fields) {
        if (f.type == FieldType::AutoInc)
            continue;
        columns << quoteId(f.name);
        marks << u"?"_s;
    }
    Q_ASSERT(columns.size() == percentileColumns().size());

    QSqlQuery insert(db);
    if (!insert.prepare(
            u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(quoteId(def->name), columns.join(u", "_s), marks.join(u", "_s))))
        throw DataError(DataError::engineText(insert.lastError()));

    for (const CsvSource& source : sources) {
        const QList<QList<double>> rows = readReference(source);
        for (const QList<double>& row : rows) {
            for (qsizetype c = 0; c < row.size(); ++c)
                insert.bindValue(int(c), row.at(c));
            if (!insert.exec())
                throw DataError(DataError::engineText(insert.lastError()));
        }
    }
}

// A server's database shared with another program is left as it is: nothing of the clinic's is
// made among tables the program does not know. (A file without a version may be one this program
// made before it recorded versions, and is adopted.)
void refuseForeignTables(QSqlDatabase& db)
{
    if (!SqlDialect::of(db).isPostgreSQL())
        return;
    QStringList foreign;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(SqlDialect::of(db).tablesSql()))
        throw DataError(DataError::engineText(q.lastError()));
    while (q.next())
        if (!Schema::table(q.value(0).toString()))
            foreign << q.value(0).toString();
    if (foreign.isEmpty())
        return;
    foreign.sort();
    throw DataError(u"Veritabanında bu programa ait olmayan tablolar var (%1); hiçbir şey oluşturulmadı. "
                    u"Programa boş bir veritabanı ayırın."_s.arg(foreign.join(u", "_s)));
}

// Creates a table when it is missing, with what keeps its automatic numbers ahead of its keys.
void createTable(QSqlDatabase& db, const TableDef& def)
{
    // CREATE TABLE IF NOT EXISTS would quietly accept a view or index of the same name.
    const QString type = objectType(db, def.name);
    if (!type.isEmpty() && type != u"table"_s)
        throw DataError(
            u"Veritabanında %1 adında tablo olmayan bir nesne var; dosya bu programa ait değil."_s.arg(def.name));
    exec(db, createTableSql(db, def));
    if (!def.keyField.isEmpty())
        for (const QString& sql : SqlDialect::of(db).keyFollowsRowsStatements(quoteId(def.name), quoteId(def.keyField)))
            exec(db, sql);
}

// Creates the tables that are missing.
void createTables(QSqlDatabase& db)
{
    for (const TableDef& def : Schema::tables())
        createTable(db, def);
}

// What a file lacks of the schema the program uses.
struct MissingParts {
    QStringList tables;
    // Columns an upgrade can add, and those it cannot (a table's record key).
    QList<std::pair<const TableDef*, const FieldDef*>> columns;
    QStringList keyColumns;
    QStringList indexes;
    QStringList emptyReferenceTables;
    // The name search index or one of its triggers.
    bool nameSearch = false;

    bool repairable() const
    {
        return tables.isEmpty() && keyColumns.isEmpty();
    }
    bool complete() const
    {
        return repairable() && columns.isEmpty() && indexes.isEmpty() && emptyReferenceTables.isEmpty() && !nameSearch;
    }
};

// Reads the file's tables, columns and indexes in two statements and compares them with the
// schema; reads nothing of the records but the reference tables' first rows.
MissingParts findMissingParts(QSqlDatabase& db)
{
    QHash<QString, QSet<QString>> columnsOf;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const SqlDialect& dialect = SqlDialect::of(db);
    if (!q.exec(dialect.columnsSql()))
        throw DataError(DataError::engineText(q.lastError()));
    while (q.next())
        columnsOf[q.value(0).toString()].insert(q.value(1).toString());

    QStringList indexNames;
    QStringList triggerNames;
    if (!q.exec(dialect.indexesAndTriggersSql()))
        throw DataError(DataError::engineText(q.lastError()));
    while (q.next())
        (q.value(1).toString() == u"index"_s ? indexNames : triggerNames).append(q.value(0).toString());

    MissingParts missing;
    for (const TableDef& def : Schema::tables()) {
        const auto table = columnsOf.constFind(def.name.toLower());
        if (table == columnsOf.cend()) {
            missing.tables << def.name;
            continue;
        }
        for (const FieldDef& field : def.fields) {
            if (table->contains(field.name.toLower()))
                continue;
            if (field.type == FieldType::AutoInc)
                missing.keyColumns << def.name + u'.' + field.name;
            else
                missing.columns.append({ &def, &field });
        }
    }
    for (const IndexDef& index : indexes()) {
        if (!indexNames.contains(index.name.toLower()) && columnsOf.contains(index.table.toLower()))
            missing.indexes << index.name;
    }
    if (columnsOf.contains(u"hastasicil"_s)) {
        missing.nameSearch = !dialect.hasNameSearch(
            NameSearch::indexTable(), NameSearch::triggers(), columnsOf.keys(), indexNames, triggerNames);
    }
    for (const QString& name : Schema::referenceTables()) {
        if (columnsOf.contains(name) && !scalar(db, u"SELECT 1 FROM %1 LIMIT 1"_s.arg(quoteId(name))).isValid())
            missing.emptyReferenceTables << name;
    }
    return missing;
}

QString missingPartsText(const MissingParts& missing)
{
    QStringList parts;
    if (!missing.tables.isEmpty())
        parts << u"tablolar: %1"_s.arg(missing.tables.join(u", "_s));
    if (!missing.keyColumns.isEmpty())
        parts << u"anahtar alanlar: %1"_s.arg(missing.keyColumns.join(u", "_s));
    return u"Veritabanı dosyası eksik ve onarılamıyor (%1). Dosya bozulmuş ya da bu programa ait değil; "
           u"bir yedeğini kullanın."_s.arg(parts.join(u"; "_s));
}

// A server records the version on the registry's table, so a database that lost that table reads
// as one without a version. Holding the program's other tables, it is refused as a file lacking a
// table is, rather than started on an empty registry.
void refuseLostRegistry(QSqlDatabase& db)
{
    if (!SqlDialect::of(db).isPostgreSQL())
        return;
    const MissingParts missing = findMissingParts(db);
    if (missing.tables.contains(u"hastasicil"_s) && missing.tables.size() < Schema::tables().size())
        throw DataError(missingPartsText(missing));
}

void fillReferenceTables(QSqlDatabase& db)
{
    initReferenceResources();
    fillReferenceTable(db, u"zkilobir"_s,
        { CsvSource { u"cdc_wtageinf.csv"_s, {} },
            CsvSource { u"cdc_wtage.csv"_s, [](double age) { return age > 36; } } });
    fillReferenceTable(db, u"zuzunlukbir"_s,
        { CsvSource { u"cdc_lenageinf.csv"_s, {} },
            CsvSource { u"cdc_statage.csv"_s, [](double age) { return age >= 36; } } });
    fillReferenceTable(db, u"zbas"_s, { CsvSource { u"cdc_hcageinf.csv"_s, {} } });
}

// Makes the name search index and its triggers anew and fills it from the registry: what is
// left of an index that lost a trigger may have missed changes.
void makeNameSearch(QSqlDatabase& db)
{
    for (const QStringList& statements : { NameSearch::dropStatements(SqlDialect::of(db)),
             NameSearch::createStatements(SqlDialect::of(db)), NameSearch::fillStatements(SqlDialect::of(db)) })
        for (const QString& sql : statements)
            exec(db, sql);
}

// Adds what an upgrade can add: columns, indexes, the name search index and the reference rows.
void repair(QSqlDatabase& db, const MissingParts& missing)
{
    for (const auto& [table, field] : missing.columns)
        exec(db,
            u"ALTER TABLE %1 ADD COLUMN %2 %3"_s.arg(quoteId(table->name), quoteId(field->name), sqlType(db, *field)));
    for (const IndexDef& index : indexes())
        exec(db, createIndexSql(db, index));
    if (missing.nameSearch)
        makeNameSearch(db);
    fillReferenceTables(db);
}

// Version 2: the registry list's filter and its sequential search are answered from indexes.
// The name search index is made here and filled once from the file's records; the indexes on
// the six fields the filter compares are in the index list, which repair() adds after the
// steps, once any column a damaged file lacks is back.
void addRegistrySearchIndexes(QSqlDatabase& db)
{
    makeNameSearch(db);
}

// Version 3: the child's gestational weeks at birth and the parents' heights, for the growth
// assessment. A file made by this version already has them.
void addGrowthColumns(QSqlDatabase& db)
{
    const TableDef* sicil = Schema::table(u"hastasicil"_s);
    QSet<QString> present;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(SqlDialect::of(db).columnsSql()))
        throw DataError(DataError::engineText(q.lastError()));
    while (q.next())
        if (q.value(0).toString() == u"hastasicil"_s)
            present.insert(q.value(1).toString());
    for (const QString& name : Schema::growthColumns()) {
        if (present.contains(name.toLower()))
            continue;
        const FieldDef* field = sicil->field(name);
        exec(db,
            u"ALTER TABLE %1 ADD COLUMN %2 %3"_s.arg(quoteId(sicil->name), quoteId(field->name), sqlType(db, *field)));
    }
}

// Version 4: the change history. Its indexes are in the index list, which repair() adds.
void addChangeHistory(QSqlDatabase& db)
{
    createTable(db, *Schema::table(u"degisiklik"_s));
}

// Brings a file from one version to the next. Each step only adds to what the previous left.
void migrateStep(QSqlDatabase& db, int fromVersion)
{
    switch (fromVersion) {
    case 1:
        addRegistrySearchIndexes(db);
        break;
    case 2:
        addGrowthColumns(db);
        break;
    case 3:
        addChangeHistory(db);
        break;
    default:
        break;
    }
}

QString newerFileText(int fileVersion)
{
    return u"Veritabanı dosyası programın daha yeni bir sürümüyle oluşturulmuş (dosya sürümü %1, "
           u"bu sürümün tanıdığı en yüksek sürüm %2). Dosyayı açmak için programın yeni sürümünü kurun."_s
               .arg(fileVersion)
               .arg(Schema::currentVersion);
}

// SQL that replaces each text of the pairs in the expression by its partner, in order.
template <std::size_t N> QString replacedSql(QString sql, const std::pair<const char16_t*, const char16_t*> (&pairs)[N])
{
    for (const auto& [from, to] : pairs)
        sql = u"replace(%1, '%2', '%3')"_s.arg(sql, QString::fromUtf16(from), QString::fromUtf16(to));
    return sql;
}

} // namespace

const FieldDef* TableDef::field(const QString& fieldName) const
{
    const int i = indexOf(fieldName);
    return i < 0 ? nullptr : &fields.at(i);
}

int TableDef::indexOf(const QString& fieldName) const
{
    // Column names are case-insensitive in SQL, so they are here too.
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QString TableDef::rowKey() const
{
    return keyField.isEmpty() ? u"rowid"_s : keyField;
}

const QList<TableDef>& Schema::tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef* Schema::table(const QString& name)
{
    for (const TableDef& def : tables()) {
        if (def.name.compare(name, Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

QString Schema::foldSql(const QString& columnSql)
{
    // The dotless/dotted pairs go first, then the other Turkish capitals; lower() handles ASCII.
    static const std::pair<const char16_t*, const char16_t*> pairs[] = {
        { u"I", u"ı" },
        { u"İ", u"i" },
        { u"Ç", u"ç" },
        { u"Ğ", u"ğ" },
        { u"Ö", u"ö" },
        { u"Ş", u"ş" },
        { u"Ü", u"ü" },
        { u"Â", u"â" },
        { u"Î", u"î" },
        { u"Û", u"û" },
    };
    return u"lower(%1)"_s.arg(replacedSql(columnSql, pairs));
}

QString Schema::sortKeySql(const QString& columnSql)
{
    // Each Turkish letter becomes its Latin base followed by '{', which sorts after 'z': so ç
    // comes after every c and before d, and ı after every h and before i. The circumflexed
    // vowels sort with their plain ones.
    static const std::pair<const char16_t*, const char16_t*> keys[] = {
        { u"ç", u"c{" },
        { u"ğ", u"g{" },
        { u"ı", u"h{" },
        { u"ö", u"o{" },
        { u"ş", u"s{" },
        { u"ü", u"u{" },
        { u"â", u"a" },
        { u"î", u"i" },
        { u"û", u"u" },
    };
    return replacedSql(foldSql(columnSql), keys);
}

const QStringList& Schema::referenceTables()
{
    static const QStringList names { u"zkilobir"_s, u"zuzunlukbir"_s, u"zbas"_s };
    return names;
}

const QStringList& Schema::growthColumns()
{
    static const QStringList names { u"dogumhaftasi"_s, u"anneboy"_s, u"bababoy"_s };
    return names;
}

int Schema::version(QSqlDatabase& db)
{
    return scalar(db, SqlDialect::of(db).versionSql()).toInt();
}

void Schema::ensure(QSqlDatabase& db, const std::function<void(bool busy)>& busy)
{
    // The usual case reads the version and the file's columns and takes no write lock.
    int fileVersion = version(db);
    if (fileVersion > currentVersion)
        throw DataError(newerFileText(fileVersion));
    if (fileVersion == currentVersion) {
        const MissingParts missing = findMissingParts(db);
        if (missing.complete())
            return;
        if (!missing.repairable())
            throw DataError(missingPartsText(missing));
    }

    // Another copy of the program may be creating the same file: take the write lock first and
    // decide on what is in the file then.
    for (const QString& sql : SqlDialect::of(db).beginSchemaChange())
        exec(db, sql);
    try {
        fileVersion = version(db);
        if (fileVersion > currentVersion)
            throw DataError(newerFileText(fileVersion));
        // An older file's steps and the refilling of a lost name index read every record.
        const bool slow = fileVersion > 0 && (fileVersion < currentVersion || findMissingParts(db).nameSearch);
        if (fileVersion == 0) {
            refuseForeignTables(db);
            refuseLostRegistry(db);
            // Empty, or tables made without a recorded version: the tables are made as this
            // version has them and the repair below adds the rest, so no step applies.
            createTables(db);
            fileVersion = currentVersion;
        }
        if (slow && busy)
            busy(true);
        const auto notBusy = qScopeGuard([&] {
            if (slow && busy)
                busy(false);
        });
        for (int v = fileVersion; v < currentVersion; ++v)
            migrateStep(db, v);
        // A table gone from a file the program made means lost records: refuse the file rather
        // than start on an empty table. Columns, indexes and reference rows can be added.
        const MissingParts missing = findMissingParts(db);
        if (!missing.repairable())
            throw DataError(missingPartsText(missing));
        repair(db, missing);
        setVersion(db, currentVersion);
        exec(db, u"COMMIT"_s);
    } catch (...) {
        QSqlQuery rollback(db);
        rollback.exec(u"ROLLBACK"_s);
        throw;
    }
}
