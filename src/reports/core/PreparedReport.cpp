#include "PreparedReport.h"

#include "ReportPainter.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 fileMagic = 0x504B5250; // "PKRP"
constexpr quint16 fileVersion = 1;

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

int PreparedReport::pageCount() const
{
    return int(m_pages.size());
}

const PreparedReport::Page& PreparedReport::page(int index) const
{
    return m_pages.at(index);
}

PreparedReport::Page& PreparedReport::page(int index)
{
    return m_pages[index];
}

QList<PreparedReport::Page>& PreparedReport::pages()
{
    return m_pages;
}

const QList<PreparedReport::Page>& PreparedReport::pages() const
{
    return m_pages;
}

void PreparedReport::addPage()
{
    m_pages.append(Page());
}

QStringList PreparedReport::texts(int page) const
{
    QStringList out;
    if (page < 0 || page >= pageCount())
        return out;
    for (const Item& item : m_pages.at(page).items) {
        if (!item.text.isEmpty())
            out << item.text;
    }
    return out;
}

const PreparedReport::Item* PreparedReport::findItem(int page, const QString& text) const
{
    if (page < 0 || page >= pageCount())
        return nullptr;
    for (const Item& item : m_pages.at(page).items) {
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
        out << qint32(m_pages.size());
        for (const Page& p : m_pages) {
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
    r.m_pages.reserve(pages);
    for (qint32 p = 0; p < pages && in.status() == QDataStream::Ok; ++p) {
        qint32 items = 0;
        in >> items;
        if (items < 0 || items > 10000000)
            return fail(u"Rapor dosyası bozuk."_s);
        Page page;
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
        r.m_pages << page;
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
