#include "PreparedReport.h"

#include "ReportPainter.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 fileMagic = 0x504B5250; // "PKRP"
constexpr quint16 fileVersion = 1;

// Pages held unpacked besides the last one: enough for the pages the preview shows at once
// and for a caller comparing a few pages.
constexpr std::size_t recentPages = 16;

// A packed page: the page's distinct numbers (the places and sizes of its boxes) and distinct
// texts once each, then every item as indexes into them. A list repeats its columns' places,
// its rows' heights and many of its texts, so a page takes a few kilobytes. Whole numbers are
// written in 7-bit groups, so that the small indexes take one byte.
class PageWriter final
{
public:
    QByteArray write(const PreparedReport::Page& page)
    {
        QByteArray items;
        items.reserve(page.items.size() * 8);
        for (const PreparedReport::Item& item : page.items) {
            for (const double v : { item.rect.x(), item.rect.y(), item.rect.width(), item.rect.height() })
                putNumber(items, index(m_values, m_valueIndex, v));
            const auto [text, added] = m_textIndex.try_emplace(item.text, quint32(m_texts.size()));
            if (added)
                m_texts.push_back(item.text);
            putNumber(items, text->second);
            putNumber(items, quint32(item.style));
        }
        QByteArray out;
        out.reserve(items.size() + qsizetype(m_values.size()) * 8 + qsizetype(m_texts.size()) * 12 + 16);
        putNumber(out, quint32(page.items.size()));
        putNumber(out, quint32(m_values.size()));
        for (const double v : m_values)
            out.append(reinterpret_cast<const char*>(&v), sizeof v);
        putNumber(out, quint32(m_texts.size()));
        for (const QString& t : m_texts) {
            const QByteArray utf8 = t.toUtf8();
            putNumber(out, quint32(utf8.size()));
            out.append(utf8);
        }
        out.append(items);
        return out;
    }

private:
    static void putNumber(QByteArray& out, quint32 n)
    {
        while (n >= 0x80) {
            out.append(char((n & 0x7F) | 0x80));
            n >>= 7;
        }
        out.append(char(n));
    }

    static quint32 index(std::vector<double>& values, std::unordered_map<quint64, quint32>& indexes, double v)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &v, sizeof v);
        const auto [it, added] = indexes.try_emplace(bits, quint32(values.size()));
        if (added)
            values.push_back(v);
        return it->second;
    }

    std::vector<double> m_values;
    std::unordered_map<quint64, quint32> m_valueIndex;
    std::vector<QString> m_texts;
    std::unordered_map<QString, quint32> m_textIndex;
};

class PageReader final
{
public:
    explicit PageReader(const QByteArray& bytes)
        : m_at(bytes.constData())
        , m_end(bytes.constData() + bytes.size())
    { }

    PreparedReport::Page read()
    {
        PreparedReport::Page page;
        const quint32 items = number();
        std::vector<double> values(number());
        for (double& v : values) {
            std::memcpy(&v, m_at, sizeof v);
            m_at += sizeof v;
        }
        std::vector<QString> texts(number());
        for (QString& t : texts) {
            const quint32 size = number();
            t = QString::fromUtf8(m_at, size);
            m_at += size;
        }
        page.items.resize(items);
        for (PreparedReport::Item& item : page.items) {
            const double x = values.at(number());
            const double y = values.at(number());
            const double w = values.at(number());
            const double h = values.at(number());
            item.rect = QRectF(x, y, w, h);
            item.text = texts.at(number());
            item.style = int(number());
        }
        Q_ASSERT(m_at == m_end);
        return page;
    }

private:
    quint32 number()
    {
        quint32 n = 0;
        for (int shift = 0; m_at < m_end; shift += 7) {
            const auto c = quint8(*m_at++);
            n |= quint32(c & 0x7F) << shift;
            if (!(c & 0x80))
                break;
        }
        return n;
    }

    const char* m_at;
    const char* m_end;
};

QByteArray packPage(const PreparedReport::Page& page)
{
    QByteArray bytes = PageWriter().write(page);
    bytes.squeeze();
    return bytes;
}

PreparedReport::Page unpackPage(const QByteArray& bytes)
{
    return PageReader(bytes).read();
}

} // namespace

QFont PreparedReport::Style::font() const
{
    QFont f(fontFamily);
    f.setPointSizeF(fontSize);
    f.setBold(bold);
    // The same line breaks on screen, on paper and when the pages are made.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleHint(QFont::Serif);
    return f;
}

bool PreparedReport::Style::operator==(const Style& other) const
{
    return fontFamily == other.fontFamily && fontSize == other.fontSize && bold == other.bold && color == other.color
        && background == other.background && alignment == other.alignment && frames == other.frames
        && frameWidth == other.frameWidth && wordWrap == other.wordWrap && clip == other.clip;
}

QString PreparedReport::fileSuffix()
{
    return u"prp"_s;
}

QString PreparedReport::title() const
{
    return m_title;
}

void PreparedReport::setTitle(const QString& title)
{
    m_title = title;
}

QString PreparedReport::layoutName() const
{
    return m_layoutName;
}

void PreparedReport::setLayoutName(const QString& layoutName)
{
    m_layoutName = layoutName;
}

QSizeF PreparedReport::pageSize() const
{
    return m_pageSize;
}

void PreparedReport::setPageSize(const QSizeF& size)
{
    m_pageSize = size;
}

bool PreparedReport::landscape() const
{
    return m_pageSize.width() > m_pageSize.height();
}

const QList<PreparedReport::Style>& PreparedReport::styles() const
{
    return m_styles;
}

const PreparedReport::Style& PreparedReport::style(int index) const
{
    return m_styles.at(index);
}

int PreparedReport::addStyle(const Style& style)
{
    const qsizetype i = m_styles.indexOf(style);
    if (i >= 0)
        return int(i);
    m_styles << style;
    return int(m_styles.size() - 1);
}

PreparedReport::Slot::Slot(const Slot& other)
    : packed(other.packed)
    , open(other.open ? std::make_unique<Page>(*other.open) : nullptr)
    , changed(other.changed)
{ }

PreparedReport::Slot& PreparedReport::Slot::operator=(const Slot& other)
{
    if (this != &other) {
        packed = other.packed;
        open = other.open ? std::make_unique<Page>(*other.open) : nullptr;
        changed = other.changed;
    }
    return *this;
}

PreparedReport::PreparedReport(const PreparedReport& other) = default;
PreparedReport& PreparedReport::operator=(const PreparedReport& other) = default;
PreparedReport::~PreparedReport() = default;

int PreparedReport::pageCount() const
{
    return int(m_slots.size());
}

const PreparedReport::Page& PreparedReport::page(int index) const
{
    return unpacked(index);
}

PreparedReport::Page& PreparedReport::page(int index)
{
    Page& p = unpacked(index);
    m_slots[std::size_t(index)].changed = true;
    return p;
}

void PreparedReport::addPage()
{
    if (!m_slots.empty())
        pack(pageCount() - 1);
    Slot slot;
    slot.open = std::make_unique<Page>();
    slot.changed = true;
    m_slots.push_back(std::move(slot));
}

qint64 PreparedReport::pageBytes() const
{
    qint64 bytes = 0;
    for (const Slot& slot : m_slots) {
        bytes += slot.packed.capacity() + qint64(sizeof(Slot));
        if (slot.open) {
            for (const Item& item : slot.open->items)
                bytes += qint64(sizeof(Item)) + item.text.capacity() * 2;
        }
    }
    return bytes;
}

PreparedReport::Page& PreparedReport::unpacked(int index) const
{
    Slot& slot = m_slots.at(std::size_t(index));
    const bool last = index == pageCount() - 1;
    if (!slot.open) {
        slot.open = std::make_unique<Page>(unpackPage(slot.packed));
        slot.changed = false;
    }
    if (!last) {
        const auto it = std::find(m_recent.begin(), m_recent.end(), index);
        if (it != m_recent.end())
            m_recent.erase(it);
        m_recent.push_back(index);
        while (m_recent.size() > recentPages) {
            const int oldest = m_recent.front();
            m_recent.pop_front();
            pack(oldest);
        }
    }
    return *slot.open;
}

void PreparedReport::pack(int index) const
{
    Slot& slot = m_slots.at(std::size_t(index));
    if (!slot.open)
        return;
    if (slot.changed || slot.packed.isEmpty())
        slot.packed = packPage(*slot.open);
    slot.open.reset();
    slot.changed = false;
    const auto it = std::find(m_recent.begin(), m_recent.end(), index);
    if (it != m_recent.end())
        m_recent.erase(it);
}

QStringList PreparedReport::texts(int page) const
{
    QStringList out;
    if (page < 0 || page >= pageCount())
        return out;
    for (const Item& item : this->page(page).items) {
        if (!item.text.isEmpty())
            out << item.text;
    }
    return out;
}

const PreparedReport::Item* PreparedReport::findItem(int page, const QString& text) const
{
    if (page < 0 || page >= pageCount())
        return nullptr;
    for (const Item& item : this->page(page).items) {
        if (item.text == text)
            return &item;
    }
    return nullptr;
}

bool PreparedReport::save(QIODevice& device) const
{
    QByteArray body;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << m_title << m_layoutName << m_pageSize;
        out << qint32(m_styles.size());
        for (const Style& s : m_styles) {
            out << s.fontFamily << s.fontSize << s.bold << s.color << s.background << qint32(s.alignment)
                << qint32(s.frames) << s.frameWidth << s.wordWrap << s.clip;
        }
        out << qint32(pageCount());
        for (int i = 0; i < pageCount(); ++i) {
            const Page& p = page(i);
            out << qint32(p.items.size());
            for (const Item& item : p.items)
                out << item.rect << item.text << qint32(item.style);
        }
    }
    QDataStream head(&device);
    head.setVersion(QDataStream::Qt_6_4);
    head << fileMagic << fileVersion << qCompress(body);
    return head.status() == QDataStream::Ok;
}

bool PreparedReport::save(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !save(file) || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool PreparedReport::load(QIODevice& device, PreparedReport& report, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QDataStream head(&device);
    head.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint16 version = 0;
    head >> magic >> version;
    if (head.status() != QDataStream::Ok || magic != fileMagic)
        return fail(u"Dosya kayıtlı bir rapor değil."_s);
    if (version > fileVersion)
        return fail(u"Rapor dosyası programın daha yeni bir sürümüyle kaydedilmiş."_s);
    QByteArray compressed;
    head >> compressed;
    const QByteArray body = qUncompress(compressed);
    if (head.status() != QDataStream::Ok || body.isEmpty())
        return fail(u"Rapor dosyası bozuk."_s);

    PreparedReport r;
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_4);
    qint32 styles = 0;
    in >> r.m_title >> r.m_layoutName >> r.m_pageSize >> styles;
    if (styles < 0 || styles > 100000)
        return fail(u"Rapor dosyası bozuk."_s);
    for (qint32 i = 0; i < styles && in.status() == QDataStream::Ok; ++i) {
        Style s;
        qint32 alignment = 0;
        qint32 frames = 0;
        in >> s.fontFamily >> s.fontSize >> s.bold >> s.color >> s.background >> alignment >> frames >> s.frameWidth
            >> s.wordWrap >> s.clip;
        s.alignment = alignment;
        s.frames = frames;
        r.m_styles << s;
    }
    qint32 pages = 0;
    in >> pages;
    if (pages < 0 || pages > 10000000)
        return fail(u"Rapor dosyası bozuk."_s);
    for (qint32 p = 0; p < pages && in.status() == QDataStream::Ok; ++p) {
        qint32 items = 0;
        in >> items;
        if (items < 0 || items > 10000000)
            return fail(u"Rapor dosyası bozuk."_s);
        r.addPage();
        Page& page = r.page(r.pageCount() - 1);
        page.items.reserve(items);
        for (qint32 i = 0; i < items && in.status() == QDataStream::Ok; ++i) {
            Item item;
            qint32 style = 0;
            in >> item.rect >> item.text >> style;
            if (style < 0 || style >= r.m_styles.size())
                return fail(u"Rapor dosyası bozuk."_s);
            item.style = style;
            page.items << item;
        }
    }
    if (in.status() != QDataStream::Ok || r.m_pageSize.isEmpty())
        return fail(u"Rapor dosyası bozuk."_s);
    report = std::move(r);
    return true;
}

bool PreparedReport::load(const QString& path, PreparedReport& report, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return load(file, report, error);
}

bool PreparedReport::writePdf(const QString& path, QString* error) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(m_title);
        pdf.setCreator(u"Pediakay"_s);
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), landscape() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
        if (!ReportPainter::printPages(*this, pdf, 0, pageCount() - 1, error))
            return false;
    }
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
