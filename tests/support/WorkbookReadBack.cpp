#include "WorkbookReadBack.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::StringLiterals;

WorkbookReadBack::WorkbookReadBack(const QString& path)
{
    const QString script = qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/tests/support/read_workbook.py"_s;
    QProcess python;
    python.start(u"/usr/bin/python3"_s, { script, path });
    if (!python.waitForFinished(60000)) {
        m_error = u"python3 did not finish: "_s + python.errorString();
        return;
    }
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        m_error = QString::fromUtf8(python.readAllStandardError());
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput(), &parseError);
    if (doc.isNull()) {
        m_error = parseError.errorString();
        return;
    }
    for (const QJsonValue& name : doc.object().value(u"sheets"_s).toArray())
        m_sheets.append(name.toString());
    m_rows = doc.object().value(u"rows"_s).toArray();
}

bool WorkbookReadBack::ok() const
{
    return m_error.isEmpty();
}

QString WorkbookReadBack::error() const
{
    return m_error;
}

QStringList WorkbookReadBack::sheetNames() const
{
    return m_sheets;
}

int WorkbookReadBack::rowCount() const
{
    return int(m_rows.size());
}

int WorkbookReadBack::columnCount() const
{
    qsizetype n = 0;
    for (const QJsonValue& row : m_rows)
        n = std::max(n, row.toArray().size());
    return int(n);
}

QJsonArray WorkbookReadBack::cell(int row, int column) const
{
    return m_rows.at(row - 1).toArray().at(column - 1).toArray();
}

QString WorkbookReadBack::kind(int row, int column) const
{
    const QJsonArray c = row >= 1 && row <= m_rows.size() ? cell(row, column) : QJsonArray();
    return c.isEmpty() ? u"empty"_s : c.at(0).toString();
}

QVariant WorkbookReadBack::value(int row, int column) const
{
    if (row < 1 || row > m_rows.size())
        return {};
    return cell(row, column).at(1).toVariant();
}

QStringList WorkbookReadBack::rowTexts(int row) const
{
    QStringList texts;
    for (int column = 1; column <= columnCount(); ++column) {
        const QVariant v = value(row, column);
        texts.append(v.isNull() ? QString() : v.toString());
    }
    return texts;
}

QStringList WorkbookReadBack::columnTexts(int column) const
{
    QStringList texts;
    for (int row = 2; row <= rowCount(); ++row) {
        const QVariant v = value(row, column);
        texts.append(v.isNull() ? QString() : v.toString());
    }
    return texts;
}
