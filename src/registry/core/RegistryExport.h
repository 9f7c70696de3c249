#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class DataSet;

// Writes the registry list into a new spreadsheet workbook (.xlsx): the rows of the list's data
// set as they stand, through its filter and in its order. Row 1 holds the field names, each
// record a row below; every field but the first (the record key) and the growth columns
// (Schema::growthColumns) is a column, in field order.
// Cells are typed: texts as text, dates as date cells, numbers as numbers, a stored picture as
// the mark "(resim)", no value as an empty cell. Nothing else is set on the sheet.
class RegistryExport final
{
public:
    enum class Outcome {
        Written,
        Cancelled, // the progress callback said stop; the file is removed
        Failed, // the file could not be written; it is removed, error() says why
    };

    // Called with the number of records written, at the start and then about every 40 ms, also
    // while the finished sheet is packed into the file; returning false stops the export.
    using Progress = std::function<bool(int written)>;

    // A cell takes at most this many characters; a longer text is cut and ends with cutMark.
    static constexpr int maxCellText = 32767;
    static const QString cutMark;
    static const QString pictureMark;

    explicit RegistryExport(DataSet& dataSet);

    // Creates a new, empty file in folder named after the list and the moment
    // ("Cocuk_Sicil_2026-12-09_1430.xlsx", then "..._1430_2.xlsx" and on when taken), so that no
    // existing file is ever overwritten. Empty, with error set, when the folder takes no file or
    // is not given.
    static QString reserveFile(const QString& folder, const QDateTime& moment, QString* error);

    // Walks the data set from its first record to its end, which leaves it on its last record,
    // and writes the workbook into path (a file made by reserveFile). The grid does not follow
    // the data set during the walk. A cancelled or failed export leaves no file behind; an error
    // of the data set itself is thrown as it comes, after the file is removed.
    Outcome write(const QString& path, const Progress& progress = {});

    int rowsWritten() const;
    // Texts longer than a cell takes, cut with cutMark.
    int textsCut() const;
    // The writer's or the file system's own text of a failure.
    QString error() const;

private:
    DataSet& m_dataSet;
    int m_rows = 0;
    int m_cut = 0;
    QString m_error;
};
