#pragma once

#include "FieldType.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <functional>

class DataSet;

// One field of a data set: its type and size, presentation properties, and access to its
// value in the data set's current record (or the record being edited).
class Field final
{
public:
    Field(DataSet* owner, int index, const QString& name, FieldType type, int size);

    DataSet* dataSet() const;
    int index() const;
    const QString& FieldName() const;
    FieldType DataType() const;
    int Size() const;
    FieldKind kind() const;
    bool isStored() const;

    // Presentation.
    bool ReadOnly = false;
    bool Visible = true;
    QString DisplayLabel;
    QString DisplayFormat;
    QString EditFormat;
    QString EditMask;
    int DisplayWidth = 0;

    // Lookup fields (fkLookup).
    QString KeyFields;
    DataSet* LookupDataSet = nullptr;
    QString LookupKeyFields;
    QString LookupResultField;

    bool IsNull() const;
    QVariant Value() const;
    void setValue(const QVariant& value);
    void Clear();

    // A null value reads as "", 0 or 30.12.1899 00:00.
    QString AsString() const;
    void setAsString(const QString& text); // an empty text clears the field
    double AsFloat() const;
    void setAsFloat(double value);
    int AsInteger() const;
    QDateTime AsDateTime() const;
    void setAsDateTime(const QDateTime& value);
    QByteArray AsBytes() const;
    void setAsBytes(const QByteArray& bytes);

    // The value as shown (DisplayFormat applied, Turkish separators); empty for null.
    QString DisplayText() const;
    // The value as put into an edit box (EditFormat, or the plain value).
    QString EditText() const;

    // Formats a raw stored value of this field the way DisplayText does.
    QString formatDisplay(const QVariant& raw) const;
    QString formatEdit(const QVariant& raw) const;

    // The base date a null date reads as.
    static QDateTime nullDate();

    void makeLookup(const QString& keyFields, DataSet* lookupDataSet, const QString& lookupKeyFields,
        const QString& lookupResultField);

    // Calculated fields (fkCalculated): the value of the row (a row number of the data set).
    using Calculation = std::function<QVariant(const DataSet& dataSet, int row)>;
    void makeCalculated(Calculation calculation);
    QVariant calculatedAt(int row) const;

private:
    DataSet* m_owner;
    int m_index;
    QString m_name;
    FieldType m_type;
    int m_size;
    FieldKind m_kind = FieldKind::fkData;
    Calculation m_calculation;
};
