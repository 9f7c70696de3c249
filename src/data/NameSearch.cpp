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
QString smallLettersSql(const QString& columnSql, const SqlDialect& dialect)
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
    QString sql = dialect.trimmedSql(u"coalesce(%1, '')"_s.arg(columnSql));
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

QString NameSearch::namesSql(const QString& rowName, const SqlDialect& dialect)
{
    const auto column
        = [&rowName](const char16_t* name) { return u"%1.\"%2\""_s.arg(rowName, QString::fromUtf16(name)); };
    return u"%1 || ' ' || %2 || ' ' || %3"_s.arg(smallLettersSql(column(u"adi"), dialect),
        smallLettersSql(column(u"soyadi"), dialect), smallLettersSql(column(u"adi2"), dialect));
}

QStringList NameSearch::createStatements(const SqlDialect& dialect)
{
    return dialect.nameSearchCreate(
        indexTable(), triggers(), [&dialect](const QString& rowName) { return namesSql(rowName, dialect); });
}

QStringList NameSearch::fillStatements(const SqlDialect& dialect)
{
    return dialect.nameSearchFill(indexTable(), namesSql(u"hastasicil"_s, dialect));
}

QStringList NameSearch::dropStatements(const SqlDialect& dialect)
{
    return dialect.nameSearchDrop(indexTable(), triggers());
}

QString NameSearch::condition(const QString& text, QVariantMap& binds, const SqlDialect& dialect)
{
    const QString wanted = TurkishText::kucukharf(text);
    // A trigram index answers only texts of three characters or more.
    if (wanted.toUcs4().size() < 3)
        return {};
    return dialect.nameSearchCondition(indexTable(), namesSql(u"hastasicil"_s, dialect), wanted, textBind, binds);
}
