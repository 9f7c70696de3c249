#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

class QIODevice;

// A report made into pages: every text box that was printed, with its text filled in, its
// place on the page and its look. Positions and sizes are in layout units (1/96 inch) from the
// top left corner of the paper. The preview draws it, the printer prints it, "Sakla" writes it
// to a file and "Aç" reads it back.
//
// A long report keeps its pages packed (a few kilobytes each): a page is unpacked when it is
// asked for, and only the last few pages asked for (and the page being made) stay unpacked. A
// reference to a page therefore holds until other pages have been asked for; read a page's
// items before asking for many more pages.
class PreparedReport final
{
public:
    enum Frame {
        FrameNone = 0,
        FrameTop = 0x1,
        FrameBottom = 0x2,
        FrameLeft = 0x4,
        FrameRight = 0x8,
        FrameAll = FrameTop | FrameBottom | FrameLeft | FrameRight,
    };

    // The look of a text box; boxes that look alike share one style.
    struct Style {
        QString fontFamily;
        double fontSize = 10; // points
        bool bold = false;
        QColor color = Qt::black;
        QColor background; // invalid: transparent
        int alignment = Qt::AlignLeft | Qt::AlignTop;
        int frames = FrameNone;
        double frameWidth = 1;
        bool wordWrap = false;
        bool clip = true; // text that does not fit is cut off at the box

        QFont font() const;
        bool operator==(const Style& other) const;
    };

    struct Item {
        QRectF rect;
        QString text;
        int style = 0;
    };

    struct Page {
        QList<Item> items;
    };

    // The extension of the program's own file format for prepared reports.
    static QString fileSuffix();

    QString title() const;
    void setTitle(const QString& title);
    QString layoutName() const;
    void setLayoutName(const QString& layoutName);

    // Paper size in layout units (A4 portrait is 793.7 x 1122.5).
    QSizeF pageSize() const;
    void setPageSize(const QSizeF& size);
    bool landscape() const;

    const QList<Style>& styles() const;
    const Style& style(int index) const;
    // The index of a style like this one, added when new.
    int addStyle(const Style& style);

    PreparedReport() = default;
    PreparedReport(const PreparedReport& other);
    PreparedReport& operator=(const PreparedReport& other);
    PreparedReport(PreparedReport&& other) noexcept = default;
    PreparedReport& operator=(PreparedReport&& other) noexcept = default;
    ~PreparedReport();

    int pageCount() const;
    const Page& page(int index) const;
    Page& page(int index);
    // Begins a new last page; the one before is packed.
    void addPage();
    // Memory the pages take, in bytes, packed and unpacked (an estimate).
    qint64 pageBytes() const;

    // Texts of one page, top to bottom and left to right as they were placed.
    QStringList texts(int page) const;
    // The first item on the page whose text equals text; nullptr when none.
    const Item* findItem(int page, const QString& text) const;

    // The program's own file format.
    bool save(QIODevice& device) const;
    bool save(const QString& path, QString* error = nullptr) const;
    static bool load(QIODevice& device, PreparedReport& report, QString* error = nullptr);
    static bool load(const QString& path, PreparedReport& report, QString* error = nullptr);

    // Writes every page into a PDF file.
    bool writePdf(const QString& path, QString* error = nullptr) const;

private:
    QString m_title;
    QString m_layoutName;
    QSizeF m_pageSize;
    QList<Style> m_styles;

    struct Slot {
        QByteArray packed; // empty while the page was never packed
        std::unique_ptr<Page> open; // the unpacked page, if it is
        bool changed = false; // open differs from packed

        Slot() = default;
        Slot(const Slot& other);
        Slot& operator=(const Slot& other);
        Slot(Slot&&) noexcept = default;
        Slot& operator=(Slot&&) noexcept = default;
    };
    // Unpacks a page and keeps it among the recent ones, packing the oldest beyond the few kept.
    Page& unpacked(int index) const;
    void pack(int index) const;

    // A deque, so that unpacked pages stay where they are while pages are added.
    mutable std::deque<Slot> m_slots;
    // Pages held unpacked (the last one aside), the most recently asked for last.
    mutable std::deque<int> m_recent;
};
