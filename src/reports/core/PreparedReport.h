#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QIODevice;

// A report made into pages: every text box that was printed, with its text filled in, its
// place on the page and its look. Positions and sizes are in layout units (1/96 inch) from the
// top left corner of the paper. The preview draws it, the printer prints it, "Sakla" writes it
// to a file and "Aç" reads it back.
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

    int pageCount() const;
    const Page& page(int index) const;
    Page& page(int index);
    QList<Page>& pages();
    const QList<Page>& pages() const;
    void addPage();

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
    QList<Page> m_pages;
};
