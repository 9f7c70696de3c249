#include "ReportLayout.h"

#include "PreparedReport.h"
#include "ReportError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QStringList& extraDirectories()
{
    static QStringList dirs;
    return dirs;
}

const QString defaultFont = u"Times New Roman"_s;

// One layout file being read; knows its name for the error texts.
class Reader
{
public:
    explicit Reader(const QString& name)
        : m_name(name)
    { }

    [[noreturn]] void fail(const QString& what) const
    {
        throw ReportError(u"Layout \"%1\": %2"_s.arg(m_name, what));
    }

    QJsonObject parse(const QByteArray& json) const
    {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError)
            fail(u"%1 at offset %2"_s.arg(error.errorString()).arg(error.offset));
        if (!doc.isObject())
            fail(u"the file does not hold an object"_s);
        return doc.object();
    }

    void checkKeys(const QJsonObject& object, const QSet<QString>& known, const QString& where) const
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key()))
                fail(u"unknown property \"%1\" in %2"_s.arg(it.key(), where));
        }
    }

    double number(const QJsonObject& o, const QString& key, double fallback, const QString& where) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isDouble())
            fail(u"\"%1\" of %2 must be a number"_s.arg(key, where));
        return v.toDouble();
    }

    QColor color(const QJsonValue& v, const QString& where) const
    {
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            if (a.size() == 3)
                return QColor(a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt());
        } else if (v.isString()) {
            const QColor c = QColor::fromString(v.toString());
            if (c.isValid())
                return c;
        }
        fail(u"bad colour in %1"_s.arg(where));
    }

    int alignment(const QJsonObject& o, const QString& where) const
    {
        int flags = 0;
        const QString h = o.value(u"align"_s).toString(u"left"_s);
        if (h == u"left")
            flags |= Qt::AlignLeft;
        else if (h == u"right")
            flags |= Qt::AlignRight;
        else if (h == u"center")
            flags |= Qt::AlignHCenter;
        else
            fail(u"\"align\" of %1 must be left, right or center"_s.arg(where));
        const QString v = o.value(u"valign"_s).toString(u"top"_s);
        if (v == u"top")
            flags |= Qt::AlignTop;
        else if (v == u"center")
            flags |= Qt::AlignVCenter;
        else if (v == u"bottom")
            flags |= Qt::AlignBottom;
        else
            fail(u"\"valign\" of %1 must be top, center or bottom"_s.arg(where));
        return flags;
    }

    int frames(const QJsonValue& v, const QString& where) const
    {
        QStringList names;
        if (v.isUndefined())
            return PreparedReport::FrameNone;
        if (v.isString()) {
            names << v.toString();
        } else if (v.isArray()) {
            for (const QJsonValue& n : v.toArray())
                names << n.toString();
        } else {
            fail(u"bad \"frame\" in %1"_s.arg(where));
        }
        int flags = PreparedReport::FrameNone;
        for (const QString& n : std::as_const(names)) {
            if (n == u"above")
                flags |= PreparedReport::FrameTop;
            else if (n == u"below")
                flags |= PreparedReport::FrameBottom;
            else if (n == u"left")
                flags |= PreparedReport::FrameLeft;
            else if (n == u"right")
                flags |= PreparedReport::FrameRight;
            else if (n == u"all")
                flags |= PreparedReport::FrameAll;
            else if (n != u"none")
                fail(u"unknown frame \"%1\" in %2"_s.arg(n, where));
        }
        return flags;
    }

    ReportLayout::TextBox box(const QJsonObject& o, const QString& where) const
    {
        static const QSet<QString> known = { u"left"_s, u"top"_s, u"width"_s, u"height"_s, u"text"_s, u"font"_s,
            u"size"_s, u"bold"_s, u"color"_s, u"background"_s, u"highlight"_s, u"highlightColor"_s, u"align"_s,
            u"valign"_s, u"frame"_s, u"frameWidth"_s, u"wrap"_s, u"clip"_s, u"stretch"_s, u"format"_s, u"comment"_s };
        checkKeys(o, known, where);
        ReportLayout::TextBox b;
        b.left = number(o, u"left"_s, 0, where);
        b.top = number(o, u"top"_s, 0, where);
        b.width = number(o, u"width"_s, 0, where);
        b.height = number(o, u"height"_s, 0, where);
        if (b.width <= 0 || b.height <= 0)
            fail(u"%1 needs a width and a height"_s.arg(where));
        b.text = o.value(u"text"_s).toString();
        b.fontFamily = o.value(u"font"_s).toString();
        b.fontSize = number(o, u"size"_s, 10, where);
        b.bold = o.value(u"bold"_s).toBool(false);
        if (o.contains(u"color"_s))
            b.color = color(o.value(u"color"_s), where);
        if (o.contains(u"background"_s))
            b.background = color(o.value(u"background"_s), where);
        b.highlight = o.value(u"highlight"_s).toString();
        if (o.contains(u"highlightColor"_s))
            b.highlightBackground = color(o.value(u"highlightColor"_s), where);
        b.alignment = alignment(o, where);
        b.frames = frames(o.value(u"frame"_s), where);
        b.frameWidth = number(o, u"frameWidth"_s, 1, where);
        b.wordWrap = o.value(u"wrap"_s).toBool(false);
        b.clip = o.value(u"clip"_s).toBool(true);
        b.stretch = o.value(u"stretch"_s).toBool(false);
        b.format = o.value(u"format"_s).toString();
        return b;
    }

    // Boxes of a band, with the shared pieces ("include") put in at their offsets.
    void boxes(const QJsonArray& list, const QString& where, double dx, double dy, QList<ReportLayout::TextBox>& out,
        int depth) const
    {
        int n = 0;
        for (const QJsonValue& v : list) {
            ++n;
            const QString at = u"box %1 of %2"_s.arg(n).arg(where);
            if (!v.isObject())
                fail(u"%1 is not an object"_s.arg(at));
            const QJsonObject o = v.toObject();
            if (o.contains(u"include"_s)) {
                checkKeys(o, { u"include"_s, u"dx"_s, u"dy"_s, u"comment"_s }, at);
                if (depth > 8)
                    fail(u"includes nested too deep at %1"_s.arg(at));
                const QString part = o.value(u"include"_s).toString();
                const QString path = ReportLayout::findFile(part);
                if (path.isEmpty())
                    fail(u"the shared part \"%1\" was not found"_s.arg(part));
                QFile file(path);
                if (!file.open(QIODevice::ReadOnly))
                    fail(u"the shared part \"%1\" cannot be read"_s.arg(part));
                const Reader inner(part);
                const QJsonObject piece = inner.parse(file.readAll());
                inner.checkKeys(piece, { u"boxes"_s, u"comment"_s }, u"the file"_s);
                inner.boxes(piece.value(u"boxes"_s).toArray(), u"the file"_s, dx + number(o, u"dx"_s, 0, at),
                    dy + number(o, u"dy"_s, 0, at), out, depth + 1);
                continue;
            }
            ReportLayout::TextBox b = box(o, at);
            b.left += dx;
            b.top += dy;
            out << b;
        }
    }

    ReportLayout::Band band(const QJsonObject& o, int n) const
    {
        const QString where = u"band %1"_s.arg(n);
        checkKeys(o, { u"kind"_s, u"top"_s, u"height"_s, u"dataSet"_s, u"grow"_s, u"boxes"_s, u"comment"_s }, where);
        ReportLayout::Band b;
        const QString kind = o.value(u"kind"_s).toString();
        if (kind == u"reportTitle")
            b.kind = ReportLayout::BandKind::ReportTitle;
        else if (kind == u"pageHeader")
            b.kind = ReportLayout::BandKind::PageHeader;
        else if (kind == u"masterData")
            b.kind = ReportLayout::BandKind::MasterData;
        else if (kind == u"pageFooter")
            b.kind = ReportLayout::BandKind::PageFooter;
        else
            fail(u"unknown band kind \"%1\""_s.arg(kind));
        b.top = number(o, u"top"_s, 0, where);
        b.height = number(o, u"height"_s, 0, where);
        if (b.height <= 0)
            fail(u"%1 needs a height"_s.arg(where));
        b.dataSet = o.value(u"dataSet"_s).toString();
        if (b.kind == ReportLayout::BandKind::MasterData && b.dataSet.isEmpty())
            fail(u"%1: a master data band needs a data set"_s.arg(where));
        b.grow = o.value(u"grow"_s).toBool(false);
        boxes(o.value(u"boxes"_s).toArray(), where, 0, 0, b.boxes, 0);
        return b;
    }

private:
    QString m_name;
};

} // namespace

ReportLayout ReportLayout::load(const QString& name)
{
    const QString path = findFile(name);
    if (path.isEmpty())
        throw ReportError(u"Layout \"%1\" not found"_s.arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(u"Layout \"%1\" cannot be read: %2"_s.arg(name, file.errorString()));
    return fromJson(file.readAll(), name);
}

ReportLayout ReportLayout::fromJson(const QByteArray& json, const QString& name)
{
    const Reader reader(name);
    const QJsonObject root = reader.parse(json);
    reader.checkKeys(root, { u"title"_s, u"page"_s, u"font"_s, u"bands"_s, u"comment"_s }, u"the file"_s);

    ReportLayout layout;
    layout.m_name = name;
    layout.m_title = root.value(u"title"_s).toString();
    layout.m_fontFamily = root.value(u"font"_s).toString(defaultFont);

    const QJsonObject page = root.value(u"page"_s).toObject();
    reader.checkKeys(page, { u"size"_s, u"orientation"_s, u"margins"_s }, u"the page"_s);
    if (page.value(u"size"_s).toString(u"A4"_s) != u"A4")
        reader.fail(u"only A4 paper is known"_s);
    const QString orientation = page.value(u"orientation"_s).toString(u"portrait"_s);
    if (orientation != u"portrait" && orientation != u"landscape")
        reader.fail(u"orientation must be portrait or landscape"_s);
    layout.m_landscape = orientation == u"landscape";
    // Left, top, right, bottom; the default leaves a 752 units wide sheet on portrait A4.
    const double side = (a4Portrait().width() - 752) / 2;
    layout.m_margins = QMarginsF(side, side, side, side);
    if (page.contains(u"margins"_s)) {
        const QJsonArray m = page.value(u"margins"_s).toArray();
        if (m.size() != 4)
            reader.fail(u"margins are left, top, right, bottom"_s);
        layout.m_margins = QMarginsF(m.at(0).toDouble(), m.at(1).toDouble(), m.at(2).toDouble(), m.at(3).toDouble());
    }

    const QJsonArray bands = root.value(u"bands"_s).toArray();
    int n = 0;
    for (const QJsonValue& v : bands) {
        ++n;
        if (!v.isObject())
            reader.fail(u"band %1 is not an object"_s.arg(n));
        layout.m_bands << reader.band(v.toObject(), n);
    }
    return layout;
}

QStringList ReportLayout::layoutDirectories()
{
    QStringList dirs = extraDirectories();
    dirs << QDir::current().absoluteFilePath(u"layouts"_s);
    if (QCoreApplication::instance())
        dirs << QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(u"layouts"_s);
    dirs.removeDuplicates();
    return dirs;
}

void ReportLayout::addLayoutDirectory(const QString& directory)
{
    const QString dir = QDir(directory).absolutePath();
    if (!extraDirectories().contains(dir))
        extraDirectories().prepend(dir);
}

QString ReportLayout::findFile(const QString& name)
{
    const QString file = name.endsWith(u".json"_s) ? name : name + u".json"_s;
    for (const QString& dir : layoutDirectories()) {
        const QFileInfo info(QDir(dir).filePath(file));
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return {};
}

QString ReportLayout::name() const
{
    return m_name;
}

QString ReportLayout::title() const
{
    return m_title;
}

QSizeF ReportLayout::pageSize() const
{
    const QSizeF a4 = a4Portrait();
    return m_landscape ? a4.transposed() : a4;
}

bool ReportLayout::landscape() const
{
    return m_landscape;
}

QMarginsF ReportLayout::margins() const
{
    return m_margins;
}

QString ReportLayout::fontFamily() const
{
    return m_fontFamily;
}

const QList<ReportLayout::Band>& ReportLayout::bands() const
{
    return m_bands;
}

QSizeF ReportLayout::a4Portrait()
{
    // 210 x 297 mm at 96 units per inch.
    return QSizeF(210.0 / 25.4 * 96.0, 297.0 / 25.4 * 96.0);
}
