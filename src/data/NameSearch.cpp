#include "NameSearch.h"

#include "Schema.h"
#include "TurkishText.h"

using namespace Qt::StringLiterals;

namespace {

// The folded names as the search reads them: first name, surname and second name, one blank
// between them.
QString foldedNamesSql()
{
    const auto part = [](const char16_t* column) {
        return Schema::foldSql(u"trim(coalesce(\"%1\", ''))"_s.arg(QString::fromUtf16(column)));
    };
    return part(u"adi") + u" || ' ' || "_s + part(u"soyadi") + u" || ' ' || "_s + part(u"adi2");
}

} // namespace

QString NameSearch::condition(const QString& text, QVariantMap& binds)
{
    const QString wanted = TurkishText::kucukharf(text);
    if (wanted.size() < 3)
        return {};
    const QString bind = u":ns%1"_s.arg(binds.size());
    binds.insert(bind, wanted);
    return u"\"hid\" IN (SELECT \"hid\" FROM \"hastasicil\" WHERE instr("_s + foldedNamesSql() + u", "_s + bind
        + u") > 0)"_s;
}
