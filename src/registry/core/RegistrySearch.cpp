#include "RegistrySearch.h"

#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "NameSearch.h"
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

QString RegistrySearch::filterCondition(const QString& typed, QVariantMap& binds)
{
    // NULL = text is never true, so a field without a value equals nothing.
    static const QString names[] = { u"adi"_s, u"adi2"_s, u"soyadi"_s, u"baba"_s, u"anne"_s };
    const QString asTyped = u":rs%1"_s.arg(binds.size());
    binds.insert(asTyped, typed);
    const QString capitals = u":rs%1"_s.arg(binds.size());
    binds.insert(capitals, TurkishText::buyukharf(typed));
    QStringList tests { u"\"hasta_kodu\" = "_s + asTyped };
    for (const QString& name : names)
        tests.append(u'"' + name + u"\" = "_s + asTyped);
    for (const QString& name : names)
        tests.append(u'"' + name + u"\" = "_s + capitals);
    return tests.join(u" OR "_s);
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
    const auto matchesAt = [&](int row) {
        return searchText(textAt(row, adi), textAt(row, soyadi), textAt(row, adi2)).contains(wanted);
    };

    // On the last record the first step goes past the end: that record is tried first, and a
    // match there leaves Eof set.
    const int rows = dataSet.rowCount();
    const int start = dataSet.RecNo() - 1;
    if (!dataSet.Eof() && start == rows - 1 && matchesAt(start)) {
        dataSet.Next();
        return true;
    }
    QVariantMap binds;
    const QString condition = NameSearch::condition(
        text, binds, dataSet.connection() ? dataSet.connection()->dialect() : SqlDialect::sqlite());
    if (!condition.isEmpty())
        return dataSet.locateNext(condition, binds);

    // A text the index cannot answer: the steps of Next and First are followed on the rows
    // themselves, so that the cursor (and everything bound to it) moves once, to where the
    // search stops. Such a short text matches almost at once.
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
        found = matchesAt(pos);
    }
    if (pos != start)
        dataSet.setRecNo(pos + 1);
    if (eof)
        dataSet.Next(); // on the last record: leaves Eof set, as the stepping did
    return found;
}
