#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class DataSet;
class Field;
class ReportBindings;

// The text of a text box, compiled once per report: literal characters and the expressions in
// square brackets, with every data set and field already found.
//
//   [dataset."field"]          field of a data set of the report's screen
//   [screen.dataset."field"]   field of another screen's data set
//   [DATE] [TIME]              when the report is made
//   [Line#] [LINE#]            number of the data row being printed, from 1
//   [Page#] [TotalPages]       page number and page count
//
// A condition (a box's highlight) is one such text, optionally followed by "mod n"; it holds
// when its value is a number other than 0 (or, without a number, any text).
class ReportExpression final
{
public:
    // What the page being made knows.
    struct Context {
        const DataSet* master = nullptr; // the master data band's data set
        int row = -1; // its row being printed, -1 outside the band
        int line = 0;
        int page = 0;
        int totalPages = 0;
        QDateTime now;
    };

    ReportExpression();
    ~ReportExpression();
    ReportExpression(const ReportExpression& other);
    ReportExpression& operator=(const ReportExpression& other);
    ReportExpression(ReportExpression&&) noexcept;
    ReportExpression& operator=(ReportExpression&&) noexcept;

    // format ("dd.mm.yyyy", "#,##0.00") applies to every field of the text. Throws ReportError.
    static ReportExpression compile(const QString& text, const QString& format, const ReportBindings& bindings);
    static ReportExpression compileCondition(const QString& condition, const ReportBindings& bindings);

    QString evaluate(const Context& context) const;
    bool holds(const Context& context) const;

    bool isEmpty() const;
    bool usesTotalPages() const;

private:
    struct Token;

    QList<Token> m_tokens;
    qint64 m_modulo = 0; // conditions: "mod n"
    bool m_totalPages = false;
    std::unique_ptr<Field> m_format; // formats values, when a display format is given
};
