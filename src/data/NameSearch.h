#pragma once

#include <QString>
#include <QVariantMap>

// The registry's name search: which children's names contain a typed text.
class NameSearch final
{
public:
    // An SQL condition on hastasicil's key column selecting the children whose folded names contain
    // the folded text; empty when the index cannot answer it (fewer than three letters), and the
    // caller then walks the list as before.
    static QString condition(const QString& text, QVariantMap& binds);
};
