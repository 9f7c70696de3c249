#include "RegistryExport.h"

#include "DataSet.h"
#include "Field.h"
#include "Schema.h"
#include "ValueFormats.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#ifdef PEDIAKAY_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

using namespace Qt::StringLiterals;

const QString RegistryExport::cutMark = u"…(kısaltıldı)"_s;
const QString RegistryExport::pictureMark = u"(resim)"_s;

namespace {

constexpr qint64 progressIntervalMs = 40;
// Records handed to the writer's thread at a time.
constexpr int rowsPerBatch = 256;

// A character a spreadsheet file cannot hold: control characters other than tab and line breaks,
// and the two non-characters at the end of the basic plane.
bool unfitForCell(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
}

// The text as a cell takes it: unfit characters dropped, cut to maxCellText with the mark.
QString cellText(const QString& text, bool& cut)
{
    QString out = text;
    if (std::any_of(out.cbegin(), out.cend(), unfitForCell))
        out.removeIf(unfitForCell);
    cut = out.size() > RegistryExport::maxCellText;
    if (cut) {
        qsizetype keep = RegistryExport::maxCellText - RegistryExport::cutMark.size();
        if (out.at(keep - 1).isHighSurrogate())
            --keep;
        out = out.left(keep) + RegistryExport::cutMark;
    }
    return out;
}

// A stored date as its calendar date and clock time; invalid when the text is no date.
QDateTime storedDateTime(const QVariant& raw)
{
    if (raw.typeId() == QMetaType::QDateTime)
        return raw.toDateTime();
    const QString text = raw.toString();
    const QDateTime stored = ValueFormats::readStoredDate(text);
    if (stored.isValid())
        return stored;
    const QDateTime typed = ValueFormats::readDate(text);
    return typed.isValid() ? QDateTime(typed.date(), typed.time(), Qt::UTC) : QDateTime();
}

bool isNumberType(FieldType type)
{
    return type == FieldType::Float || type == FieldType::Integer || type == FieldType::Smallint
        || type == FieldType::AutoInc;
}

} // namespace

RegistryExport::RegistryExport(DataSet& dataSet)
    : m_dataSet(dataSet)
{ }

QString RegistryExport::reserveFile(const QString& folder, const QDateTime& moment, QString* error)
{
    // An empty folder would be the working directory, the program's own folder.
    if (folder.isEmpty()) {
        if (error)
            *error = u"Sistemin geçici dosya klasörü bulunamadı."_s;
        return {};
    }
    const QString stem = u"Cocuk_Sicil_"_s + moment.toString(u"yyyy-MM-dd_HHmm"_s);
    const QDir dir(folder);
    QString lastError = u"%1: bu klasöre dosya yazılamıyor."_s.arg(QDir::toNativeSeparators(folder));
    for (int n = 1; n <= 1000; ++n) {
        const QString name = n == 1 ? stem + u".xlsx"_s : u"%1_%2.xlsx"_s.arg(stem).arg(n);
        const QString path = dir.filePath(name);
        if (QFileInfo::exists(path))
            continue;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        // Taken in the meantime by another copy of the program: try the next name.
        if (QFileInfo::exists(path))
            continue;
        lastError = u"%1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString());
        break;
    }
    if (error)
        *error = lastError;
    return {};
}

int RegistryExport::rowsWritten() const
{
    return m_rows;
}

int RegistryExport::textsCut() const
{
    return m_cut;
}

QString RegistryExport::error() const
{
    return m_error;
}

#ifdef PEDIAKAY_HAVE_XLSXWRITER

namespace {

// The writer's own text, with the system's reason when it gave one.
QString writerError(lxw_error error, int systemError)
{
    QString text = QString::fromUtf8(lxw_strerror(error));
    if (systemError != 0)
        text += u" ("_s + QString::fromLocal8Bit(std::strerror(systemError)) + u')';
    return text;
}

// Frees a workbook that is not written (a cancelled or failed export).
struct WorkbookDeleter {
    void operator()(lxw_workbook* workbook) const
    {
        lxw_workbook_free(workbook);
    }
};

// Lets the grid follow the data set again however the walk ends.
class ControlsDisabled final
{
public:
    explicit ControlsDisabled(DataSet& dataSet)
        : m_dataSet(dataSet)
    {
        m_dataSet.DisableControls();
    }
    ~ControlsDisabled()
    {
        m_dataSet.EnableControls();
    }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    DataSet& m_dataSet;
};

// A cell made ready on the interface thread, for the writer's thread.
struct Cell {
    enum class Kind {
        Text,
        Number,
        Date,
        DateTime,
    };
    lxw_row_t row = 0;
    lxw_col_t col = 0;
    Kind kind = Kind::Text;
    QByteArray text;
    double number = 0;
    lxw_datetime date {};
};

// Writes the cells it is handed into the sheet, in order, on a thread of its own, and then packs
// the workbook into its file; meanwhile the interface thread reads the next records. Abandoned
// (destroyed before finishing), it frees the workbook unwritten.
class SheetWriter final
{
public:
    using Result = std::pair<lxw_error, int>; // the writer's status and the system's error number

    SheetWriter(lxw_workbook* book, lxw_worksheet* sheet, lxw_format* date, lxw_format* dateTime)
        : m_book(book)
        , m_sheet(sheet)
        , m_date(date)
        , m_dateTime(dateTime)
    {
        m_done = std::async(std::launch::async, [this] { return run(); });
    }
    ~SheetWriter()
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_finishing)
                m_abandoned = true;
        }
        m_changed.notify_all();
        if (m_done.valid())
            m_done.wait();
    }
    SheetWriter(const SheetWriter&) = delete;
    SheetWriter& operator=(const SheetWriter&) = delete;

    // Hands over cells; waits while the writer is far behind. False once writing failed.
    bool hand(std::vector<Cell>&& cells)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < maxQueued || m_failed; });
        if (m_failed)
            return false;
        m_queue.push_back(std::move(cells));
        lock.unlock();
        m_changed.notify_all();
        return true;
    }
    // No more cells: the rest is written and the workbook packed.
    void finish()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_finishing = true;
        }
        m_changed.notify_all();
    }
    bool waitDone(std::chrono::milliseconds wait)
    {
        return m_done.wait_for(wait) == std::future_status::ready;
    }
    Result result()
    {
        return m_done.get();
    }

private:
    static constexpr size_t maxQueued = 16;

    Result run()
    {
        lxw_error status = LXW_NO_ERROR;
        bool abandoned = false;
        for (;;) {
            std::vector<Cell> cells;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_queue.empty() || m_finishing || m_abandoned; });
                abandoned = m_abandoned;
                if (abandoned || (m_queue.empty() && m_finishing))
                    break;
                cells = std::move(m_queue.front());
                m_queue.pop_front();
            }
            m_changed.notify_all();
            for (const Cell& c : cells) {
                status = write(c);
                if (status != LXW_NO_ERROR)
                    break;
            }
            if (status != LXW_NO_ERROR) {
                const std::lock_guard lock(m_mutex);
                m_failed = true;
                break;
            }
        }
        m_changed.notify_all();
        if (abandoned || status != LXW_NO_ERROR) {
            lxw_workbook_free(m_book);
            return { status, 0 };
        }
        errno = 0;
        status = workbook_close(m_book);
        return { status, errno };
    }

    lxw_error write(const Cell& c)
    {
        switch (c.kind) {
        case Cell::Kind::Text:
            return worksheet_write_string(m_sheet, c.row, c.col, c.text.constData(), nullptr);
        case Cell::Kind::Number:
            return worksheet_write_number(m_sheet, c.row, c.col, c.number, nullptr);
        case Cell::Kind::Date:
        case Cell::Kind::DateTime: {
            lxw_datetime date = c.date;
            return worksheet_write_datetime(
                m_sheet, c.row, c.col, &date, c.kind == Cell::Kind::Date ? m_date : m_dateTime);
        }
        }
        return LXW_NO_ERROR;
    }

    lxw_workbook* const m_book;
    lxw_worksheet* const m_sheet;
    lxw_format* const m_date;
    lxw_format* const m_dateTime;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<Cell>> m_queue;
    bool m_finishing = false;
    bool m_abandoned = false;
    bool m_failed = false;
    std::future<Result> m_done;
};

} // namespace

RegistryExport::Outcome RegistryExport::write(const QString& path, const Progress& progress)
{
    m_rows = 0;
    m_cut = 0;
    m_error.clear();
    // Removes the file unless the workbook was written to the end.
    bool keepFile = false;
    const auto removeFile = qScopeGuard([&] {
        if (!keepFile)
            QFile::remove(path);
    });
    const auto fail = [&](const QString& text) {
        m_error = text;
        return Outcome::Failed;
    };

    // Only the rows on their way to the writer are held in memory; the sheet goes to a temporary
    // file beside the workbook, so a registry of any size takes the same memory.
    const QByteArray file = QFile::encodeName(path);
    QByteArray tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    errno = 0;
    std::unique_ptr<lxw_workbook, WorkbookDeleter> workbook(workbook_new_opt(file.constData(), &options));
    lxw_worksheet* sheet = workbook ? workbook_add_worksheet(workbook.get(), nullptr) : nullptr;
    if (!sheet)
        return fail(writerError(LXW_ERROR_CREATING_TMPFILE, errno));
    // A date is a number shown as a date: the spreadsheet's own short date (with the time when
    // there is one), which follows the user's regional settings.
    lxw_format* dateFormat = workbook_add_format(workbook.get());
    format_set_num_format_index(dateFormat, 14);
    lxw_format* dateTimeFormat = workbook_add_format(workbook.get());
    format_set_num_format_index(dateTimeFormat, 22);

    struct Column {
        int field;
        FieldType type;
    };
    QList<Column> columns;
    const QList<Field*>& fields = m_dataSet.Fields();
    for (int i = 1; i < fields.size(); ++i)
        if (fields.at(i)->isStored()
            && !Schema::growthColumns().contains(fields.at(i)->FieldName(), Qt::CaseInsensitive))
            columns.append({ i, fields.at(i)->DataType() });

    // The headings, then one row per record, handed to the writer's thread in batches.
    std::vector<Cell> batch;
    int cellsInBatch = 0;
    const auto text = [&](lxw_row_t row, lxw_col_t col, const QString& value) {
        bool cut = false;
        QByteArray utf8 = cellText(value, cut).toUtf8();
        m_cut += cut ? 1 : 0;
        if (!utf8.isEmpty())
            batch.push_back({ row, col, Cell::Kind::Text, std::move(utf8), 0, {} });
    };
    for (lxw_col_t col = 0; col < lxw_col_t(columns.size()); ++col)
        text(0, col, fields.at(columns.at(col).field)->FieldName());

    const ControlsDisabled detached(m_dataSet);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    if (progress && !progress(0))
        return Outcome::Cancelled;
    SheetWriter writer(workbook.release(), sheet, dateFormat, dateTimeFormat);
    bool writing = true;
    m_dataSet.First();
    lxw_row_t row = 0;
    while (!m_dataSet.Eof() && writing) {
        ++row;
        const int current = m_dataSet.currentRow();
        for (lxw_col_t col = 0; col < lxw_col_t(columns.size()); ++col) {
            const Column& c = columns.at(col);
            if (c.type == FieldType::Blob) {
                if (m_dataSet.hasBlobAt(current, c.field))
                    text(row, col, pictureMark);
                continue;
            }
            const QVariant raw = m_dataSet.rawValueAt(current, c.field);
            if (!raw.isValid() || raw.isNull())
                continue;
            if (c.type == FieldType::DateTime) {
                const QDateTime dt = storedDateTime(raw);
                if (!dt.isValid()) {
                    text(row, col, raw.toString());
                } else if (dt.date().year() < 1900 || dt.date().year() > 9999) {
                    // Outside the years a spreadsheet date can hold: the date as text.
                    text(row, col, ValueFormats::shownDate(dt));
                } else {
                    const QDate d = dt.date();
                    const QTime t = dt.time();
                    const lxw_datetime value { d.year(), d.month(), d.day(), t.hour(), t.minute(),
                        t.second() + t.msec() / 1000.0 };
                    batch.push_back(
                        { row, col, t == QTime(0, 0) ? Cell::Kind::Date : Cell::Kind::DateTime, {}, 0, value });
                }
            } else if (isNumberType(c.type)) {
                bool ok = raw.typeId() != QMetaType::QString;
                double number = ok ? raw.toDouble(&ok) : 0.0;
                if (!ok) {
                    const std::optional<double> typed = ValueFormats::readNumber(raw.toString());
                    ok = typed.has_value();
                    number = typed.value_or(0.0);
                }
                if (ok && std::isfinite(number))
                    batch.push_back({ row, col, Cell::Kind::Number, {}, number, {} });
                else
                    text(row, col, raw.toString());
            } else {
                text(row, col, raw.toString());
            }
        }
        m_rows = int(row);
        if (++cellsInBatch >= rowsPerBatch) {
            cellsInBatch = 0;
            writing = writer.hand(std::exchange(batch, {}));
        }
        if (progress && sinceProgress.elapsed() >= progressIntervalMs) {
            sinceProgress.restart();
            if (!progress(m_rows))
                return Outcome::Cancelled;
        }
        if (writing)
            m_dataSet.Next();
    }
    if (writing)
        writer.hand(std::move(batch));

    // Packing the workbook into its file takes as long as writing the cells; the progress goes on
    // being shown (and "Vazgeç" heard) meanwhile.
    writer.finish();
    bool cancelled = false;
    while (!writer.waitDone(std::chrono::milliseconds(progressIntervalMs)))
        cancelled = cancelled || (progress && !progress(m_rows));
    const auto [status, systemError] = writer.result();
    if (status != LXW_NO_ERROR)
        return fail(writerError(status, systemError));
    if (cancelled)
        return Outcome::Cancelled;
    keepFile = true;
    return Outcome::Written;
}

#else

RegistryExport::Outcome RegistryExport::write(const QString& path, const Progress&)
{
    QFile::remove(path);
    m_error = u"Bu kurulumda Excel dosyası yazılamıyor: libxlsxwriter eksik."_s;
    return Outcome::Failed;
}

#endif
