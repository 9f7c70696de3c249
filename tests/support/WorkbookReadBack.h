#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <QVariant>

// A spreadsheet workbook read back independently of the program, with Python's openpyxl
// (/usr/bin/python3 and support/read_workbook.py below PEDIAKAY_SOURCE_DIR), to check what an
// export wrote. Rows and columns count from 1, as on the sheet.
class WorkbookReadBack final
{
public:
    explicit WorkbookReadBack(const QString& path);

    bool ok() const;
    // Why the workbook could not be read (openpyxl's own text for a broken file).
    QString error() const;

    QStringList sheetNames() const;
    // Used rows and columns of the first sheet.
    int rowCount() const;
    int columnCount() const;
    // "str", "number", "date", "bool" or "empty" (also outside the used range).
    QString kind(int row, int column) const;
    // Texts as QString, numbers as double, dates in ISO form ("2012-03-20T00:00:00").
    QVariant value(int row, int column) const;
    // Every cell of a row as text; empty cells as "".
    QStringList rowTexts(int row) const;
    // The values of one column from row 2 down, as texts.
    QStringList columnTexts(int column) const;

private:
    QJsonArray cell(int row, int column) const;

    QString m_error;
    QStringList m_sheets;
    QJsonArray m_rows;
};
