#include "RegistrySearch.h"

#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "TurkishText.h"

using namespace Qt::StringLiterals;

QString RegistrySearch::initialStatement()
{
    return u"Select * from hastasicil Order By hid ASC;"_s;
}

QString RegistrySearch::defaultStatement()
{
    return u"Select * from hastasicil Order By hid ASC"_s;
}

const QStringList& RegistrySearch::gridFields()
{
    static const QStringList fields {
        u"hasta_kodu"_s,
        u"adi"_s,
        u"soyadi"_s,
        u"cinsiyeti"_s,
        u"dogumtarihi"_s,
        u"dogumsekli"_s,
        u"dogumhastahane"_s,
        u"kangrubu"_s,
        u"anne"_s,
        u"baba"_s,
        u"meslegi"_s,
        u"sosyalguvku"_s,
        u"evtel"_s,
        u"istel"_s,
        u"ceptel"_s,
        u"ozgecmis"_s,
        u"soygecmis"_s,
    };
    return fields;
}

QString RegistrySearch::nextDirection(const QString& current)
{
    return current == u"ASC"_s ? u"DESC"_s : u"ASC"_s;
}

QString RegistrySearch::sortStatement(const QString& fieldName, const QString& direction)
{
    const qsizetype i = gridFields().indexOf(fieldName);
    if (i < 0)
        throw DataError(u"Bu kolona göre sıralanamaz: %1"_s.arg(fieldName));
    if (direction != u"ASC"_s && direction != u"DESC"_s)
        throw DataError(u"Geçersiz sıralama yönü: %1"_s.arg(direction));
    // The name comes from the fixed list, not from the caller's text.
    return u"Select * from hastasicil order by "_s + gridFields().at(i) + u' ' + direction;
}

namespace {

// A field without a value equals nothing; one holding an empty text equals an empty text.
bool equalsText(const Field* field, const QString& text)
{
    const QVariant value = field->Value();
    return value.isValid() && !value.isNull() && value.toString() == text;
}

} // namespace

bool RegistrySearch::accepts(const DataSet& dataSet, const QString& typed)
{
    const Field* kod = dataSet.FieldByName(u"hasta_kodu"_s);
    const Field* names[] = {
        dataSet.FieldByName(u"adi"_s),
        dataSet.FieldByName(u"adi2"_s),
        dataSet.FieldByName(u"soyadi"_s),
        dataSet.FieldByName(u"baba"_s),
        dataSet.FieldByName(u"anne"_s),
    };
    if (equalsText(kod, typed))
        return true;
    for (const Field* f : names)
        if (equalsText(f, typed))
            return true;
    const QString capitals = TurkishText::buyukharf(typed);
    for (const Field* f : names)
        if (equalsText(f, capitals))
            return true;
    return false;
}

QString RegistrySearch::searchText(const QString& adi, const QString& soyadi, const QString& adi2)
{
    return TurkishText::kucukharf(adi) + u' ' + TurkishText::kucukharf(soyadi) + u' ' + TurkishText::kucukharf(adi2);
}

bool RegistrySearch::siraliara(DataSet& dataSet, const QString& text)
{
    if (!dataSet.Active() || dataSet.IsEmpty())
        return false;
    const QString wanted = TurkishText::kucukharf(text);
    const int adi = dataSet.FieldByName(u"adi"_s)->index();
    const int soyadi = dataSet.FieldByName(u"soyadi"_s)->index();
    const int adi2 = dataSet.FieldByName(u"adi2"_s)->index();
    const auto textAt = [&dataSet](int row, int column) {
        const QVariant v = dataSet.rawValueAt(row, column);
        return v.isNull() ? QString() : v.toString();
    };

    // The steps of Next and First are followed on the rows themselves, so that the cursor
    // (and everything bound to it) moves once, to where the search stops: Next from the last
    // record stays there with Eof set, and a step with Eof set goes to the first record.
    const int rows = dataSet.rowCount();
    const int start = dataSet.RecNo() - 1;
    int pos = start;
    bool eof = dataSet.Eof();
    const int steps = dataSet.RecordCount() + 1;
    bool found = false;
    for (int step = 0; step < steps && !found; ++step) {
        if (eof) {
            pos = 0;
            eof = false;
        } else if (pos + 1 >= rows) {
            eof = true;
        } else {
            ++pos;
        }
        found = searchText(textAt(pos, adi), textAt(pos, soyadi), textAt(pos, adi2)).contains(wanted);
    }
    if (pos != start)
        dataSet.setRecNo(pos + 1);
    if (eof)
        dataSet.Next(); // on the last record: leaves Eof set, as the stepping did
    return found;
}
