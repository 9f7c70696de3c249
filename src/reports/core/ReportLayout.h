#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// One report layout as read from its file in the layouts folder (<name>.json): the paper, the
// bands and their text boxes. The engine fills it from data sets (ReportJob, ReportEngine).
//
// Coordinates are layout units (1/96 inch). A band's "top" and a box's "left" and "top" are
// places on the design sheet, which is the paper inside the margins; a box belongs to the band
// it is listed in, and its offset inside the band is its top minus the band's top.
//
// The file:
//   { "title": stored title, "font": "Times New Roman",
//     "page": { "size": "A4", "orientation": "portrait" | "landscape",
//               "margins": [left, top, right, bottom] },        (default: a 752 wide sheet)
//     "bands": [ { "kind": "reportTitle" | "pageHeader" | "masterData" | "pageFooter",
//                  "top", "height", "dataSet": name (master data), "grow": true|false,
//                  "boxes": [ box or { "include": "_part", "dx", "dy" } ] } ] }
//   box: "left", "top", "width", "height", "text", "size" (points, 10), "bold", "font",
//        "color" and "background" ([r, g, b] or "#rrggbb"), "align" (left|right|center),
//        "valign" (top|center|bottom), "frame" ("above", "below", "left", "right", "all" or a
//        list of them), "frameWidth", "wrap", "clip" (true: text is cut off at the box),
//        "stretch" (takes the height of a grown band), "format" ("dd.mm.yyyy", "#,##0.00"),
//        "highlight" (a condition such as "[Line#] mod 2") with "highlightColor"
//        (240, 240, 240 unless given).
// Any object may carry a "comment". Shared parts (_name.json) hold { "boxes": [...] } and are
// put in at their offsets: _antet (letterhead), _cocuk_kodu_adi and _cocuk_adi_soyadi (the two
// child headers, from 48, 127).
class ReportLayout final
{
public:
    enum class BandKind {
        ReportTitle, // once, at the top of the first page
        PageHeader, // at the top of every page
        MasterData, // once per record of the band's data set
        PageFooter, // at the bottom of every page
    };

    struct TextBox {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
        QString text; // literal text with [expressions]
        QString fontFamily; // empty: the layout's font
        double fontSize = 10;
        bool bold = false;
        QColor color = Qt::black;
        QColor background; // invalid: transparent
        QString highlight; // condition such as "[Line#] mod 2"
        QColor highlightBackground = QColor(240, 240, 240);
        int alignment = 0; // Qt::Alignment flags
        int frames = 0; // PreparedReport::Frame flags
        double frameWidth = 1;
        bool wordWrap = false;
        bool clip = true;
        bool stretch = false; // in a growing band: takes the band's final height
        QString format; // "dd.mm.yyyy", "#,##0.00" or empty
    };

    struct Band {
        BandKind kind = BandKind::MasterData;
        double top = 0;
        double height = 0;
        QString dataSet; // master data: the report data set's name
        bool grow = false; // master data: grows with its tallest word-wrapped text
        QList<TextBox> boxes;
    };

    // Reads <name>.json from the first layout folder that has it. Throws ReportError.
    static ReportLayout load(const QString& name);
    // Reads a layout from its text; includes are looked up in the layout folders. Throws
    // ReportError.
    static ReportLayout fromJson(const QByteArray& json, const QString& name);

    // Folders searched for layout files: those added here first, then "layouts" in the working
    // directory (the program's folder) and beside the executable.
    static QStringList layoutDirectories();
    static void addLayoutDirectory(const QString& directory);
    static QString findFile(const QString& name);

    QString name() const;
    QString title() const; // the title stored in the layout
    QSizeF pageSize() const;
    bool landscape() const;
    QMarginsF margins() const;
    QString fontFamily() const;
    const QList<Band>& bands() const;

    // Paper sizes in layout units.
    static QSizeF a4Portrait();

private:
    QString m_name;
    QString m_title;
    bool m_landscape = false;
    QMarginsF m_margins;
    QString m_fontFamily;
    QList<Band> m_bands;
};
