#include "NameSearch.h"

#include "TurkishText.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Placeholder of the search text in the condition.
const QString textBind = u":adlarda"_s;

// SQL of TurkishText::kucukharf on one column: blanks and control characters cut from both ends,
// then the Turkish capitals to their small letters before lower() takes the ASCII ones (which it
// would otherwise turn I into i). A missing value is an empty text. The circumflexed capitals
// stay as they are, as they do in kucukharf.
QString smallLettersSql(const QString& columnSql)
{
    static const std::pair<const char16_t*, const char16_t*> pairs[] = {
        { u"I", u"ı" },
        { u"İ", u"i" },
        { u"Ç", u"ç" },
        { u"Ğ", u"ğ" },
        { u"Ö", u"ö" },
        { u"Ş", u"ş" },
        { u"Ü", u"ü" },
    };
    QStringList blanks;
    for (int code = 1; code <= 32; ++code)
        blanks << QString::number(code);
    QString sql = u"trim(coalesce(%1, ''), char(%2))"_s.arg(columnSql, blanks.join(u", "_s));
    for (const auto& [from, to] : pairs)
        sql = u"replace(%1, '%2', '%3')"_s.arg(sql, QString::fromUtf16(from), QString::fromUtf16(to));
    return u"lower(%1)"_s.arg(sql);
}

} // namespace

QString NameSearch::indexTable()
{
    return u"hastasicil_ara"_s;
}

QStringList NameSearch::triggers()
{
    return { u"hastasicil_ara_ekle"_s, u"hastasicil_ara_degistir"_s, u"hastasicil_ara_sil"_s };
}

QString NameSearch::namesSql(const QString& rowName)
{
    const auto column
        = [&rowName](const char16_t* name) { return u"%1.\"%2\""_s.arg(rowName, QString::fromUtf16(name)); };
    return u"%1 || ' ' || %2 || ' ' || %3"_s.arg(
        smallLettersSql(column(u"adi")), smallLettersSql(column(u"soyadi")), smallLettersSql(column(u"adi2")));
}

QStringList NameSearch::createStatements()
{
    const QString table = indexTable();
    const QStringList names = triggers();
    // A row of the record's key is removed before one is written, so that a record written over
    // another (INSERT OR REPLACE) or a stale row never leaves two.
    const QString write = u"DELETE FROM %1 WHERE rowid IN (old.hid, new.hid); "
                          u"INSERT INTO %1 (rowid, adlar) VALUES (new.hid, %2);"_s.arg(table, namesSql(u"new"_s));
    return {
        // Case-sensitive: the text and the searched text are both in small letters already, and
        // the index's own folding would make "â" find "Â", which the search never did.
        u"CREATE VIRTUAL TABLE %1 USING fts5(adlar, tokenize = 'trigram case_sensitive 1')"_s.arg(table),
        u"CREATE TRIGGER %1 AFTER INSERT ON hastasicil BEGIN "
        u"DELETE FROM %2 WHERE rowid = new.hid; "
        u"INSERT INTO %2 (rowid, adlar) VALUES (new.hid, %3); END"_s.arg(names.at(0), table, namesSql(u"new"_s)),
        u"CREATE TRIGGER %1 AFTER UPDATE OF hid, adi, soyadi, adi2 ON hastasicil BEGIN %2 END"_s.arg(
            names.at(1), write),
        u"CREATE TRIGGER %1 AFTER DELETE ON hastasicil BEGIN DELETE FROM %2 WHERE rowid = old.hid; END"_s.arg(
            names.at(2), table),
    };
}

QStringList NameSearch::fillStatements()
{
    return {
        u"DELETE FROM %1"_s.arg(indexTable()),
        u"INSERT INTO %1 (rowid, adlar) SELECT hid, %2 FROM hastasicil"_s.arg(indexTable(), namesSql(u"hastasicil"_s)),
    };
}

QStringList NameSearch::dropStatements()
{
    QStringList statements;
    for (const QString& trigger : triggers())
        statements << u"DROP TRIGGER IF EXISTS %1"_s.arg(trigger);
    statements << u"DROP TABLE IF EXISTS %1"_s.arg(indexTable());
    return statements;
}

QString NameSearch::condition(const QString& text, QVariantMap& binds)
{
    const QString wanted = TurkishText::kucukharf(text);
    // A trigram index answers only texts of three characters or more.
    if (wanted.toUcs4().size() < 3)
        return {};
    // One quoted phrase: every character in it is taken as written, a quote mark doubled.
    QString phrase = wanted;
    phrase.replace(u'"', u"\"\""_s);
    binds.insert(textBind, QString(u'"' + phrase + u'"'));
    return u"hid IN (SELECT rowid FROM %1 WHERE %1 MATCH %2)"_s.arg(indexTable(), textBind);
}
