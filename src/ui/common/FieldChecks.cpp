#include "FieldChecks.h"

#include "DataError.h"
#include "Field.h"

using namespace Qt::StringLiterals;

void FieldChecks::fitsLength(const Field* field, const QString& title)
{
    const QString text = field->AsString();
    if (field->Size() > 0 && text.size() > field->Size())
        throw DataError(u"\"%1\" en fazla %2 karakter olabilir; yazılan %3 karakter. Bilgiler kayıt edilmedi."_s.arg(
            title, QString::number(field->Size()), QString::number(text.size())));
}

void FieldChecks::smallInteger(const Field* field, const QString& title)
{
    const QString text = field->AsString().trimmed();
    if (text.isEmpty())
        return;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < -32768 || value > 32767)
        throw DataError(
            u"\"%1\" için -32768 ile 32767 arasında bir tam sayı yazılmalıdır; \"%2\" kayıt edilmedi."_s.arg(
                title, text));
}
