#include "RtfReader.h"

#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

#include <algorithm>
#include <cctype>

using namespace Qt::StringLiterals;

namespace {

// Windows-1254 from 0x80 to 0x9F; zero where the code page leaves a byte undefined.
constexpr char16_t high1254[32] = {
    0x20AC,
    0,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0,
    0,
    0,
    0,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0,
    0,
    0x0178,
};

// Formatting carried by a group; a closing brace restores the enclosing group's.
struct GroupState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // 0: the document's default size
    int unicodeSkip = 1;
    bool skip = false; // inside a destination whose text is not shown
};

// Destinations whose contents are not part of the text.
bool isHiddenDestination(const QByteArray& word)
{
    static const QByteArray hidden[] = {
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "header",
        "footer",
        "headerl",
        "headerr",
        "footerl",
        "footerr",
        "object",
        "listtable",
        "listoverridetable",
        "rsidtbl",
        "generator",
        "xmlnstbl",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "filetbl",
        "revtbl",
    };
    for (const QByteArray& h : hidden) {
        if (word == h)
            return true;
    }
    return false;
}

class Parser
{
public:
    Parser(const QByteArray& rtf, QTextDocument* document)
        : m_rtf(rtf)
        , m_cursor(document)
    { }

    void run()
    {
        m_groups.append(GroupState());
        while (m_pos < m_rtf.size()) {
            const char c = m_rtf.at(m_pos);
            if (c == '{') {
                ++m_pos;
                m_groups.append(m_groups.last());
                continue;
            }
            if (c == '}') {
                ++m_pos;
                if (m_groups.size() > 1)
                    m_groups.removeLast();
                continue;
            }
            if (c == '\\') {
                controlSymbol();
                continue;
            }
            ++m_pos;
            // Line breaks in the file carry no meaning in RTF.
            if (c == '\r' || c == '\n')
                continue;
            if (m_pendingSkip > 0) {
                --m_pendingSkip;
                continue;
            }
            text(QChar::fromLatin1(c));
        }
    }

private:
    GroupState& state()
    {
        return m_groups.last();
    }

    void text(const QString& s)
    {
        if (state().skip || s.isEmpty())
            return;
        QTextCharFormat format;
        format.setFontWeight(state().bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(state().italic);
        format.setFontUnderline(state().underline);
        if (state().halfPoints > 0)
            format.setFontPointSize(state().halfPoints / 2.0);
        m_cursor.insertText(s, format);
    }

    void paragraph()
    {
        if (state().skip)
            return;
        m_cursor.insertBlock(QTextBlockFormat());
    }

    void controlSymbol()
    {
        ++m_pos; // the backslash
        if (m_pos >= m_rtf.size())
            return;
        const char c = m_rtf.at(m_pos);
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            switch (c) {
            case '\\':
            case '{':
            case '}':
                skippable(QChar::fromLatin1(c));
                break;
            case '~':
                skippable(QChar(0x00A0));
                break;
            case '_':
                skippable(QChar(0x2011));
                break;
            case '\'':
                hexByte();
                break;
            case '*':
                // An optional destination this reader does not know: leave the group out.
                state().skip = true;
                break;
            case '\r':
            case '\n':
                paragraph();
                break;
            default:
                break; // \- and other symbols show nothing
            }
            return;
        }
        QByteArray word;
        while (m_pos < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf.at(m_pos))))
            word.append(m_rtf.at(m_pos++));
        bool hasParam = false;
        int param = 0;
        bool negative = false;
        if (m_pos < m_rtf.size() && m_rtf.at(m_pos) == '-') {
            negative = true;
            ++m_pos;
        }
        QByteArray digits;
        while (m_pos < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf.at(m_pos))) && digits.size() < 10)
            digits.append(m_rtf.at(m_pos++));
        if (!digits.isEmpty()) {
            hasParam = true;
            param = digits.toInt();
            if (negative)
                param = -param;
        }
        // One blank ends a control word and belongs to it.
        if (m_pos < m_rtf.size() && m_rtf.at(m_pos) == ' ')
            ++m_pos;
        controlWord(word, hasParam, param);
    }

    // A character that counts as one of the fallback characters after \uN.
    void skippable(const QString& s)
    {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        text(s);
    }

    void hexByte()
    {
        const QByteArray hex = m_rtf.mid(m_pos, 2);
        m_pos += int(hex.size());
        bool ok = false;
        const int value = hex.toInt(&ok, 16);
        if (!ok)
            return;
        const QChar ch = RtfReader::fromWindows1254(static_cast<unsigned char>(value));
        skippable(ch.isNull() ? QString() : QString(ch));
    }

    void controlWord(const QByteArray& word, bool hasParam, int param)
    {
        const bool on = !hasParam || param != 0;
        if (isHiddenDestination(word)) {
            state().skip = true;
        } else if (word == "par" || word == "sect") {
            paragraph();
        } else if (word == "line") {
            text(QString(QChar::LineSeparator));
        } else if (word == "tab") {
            text(u"\t"_s);
        } else if (word == "b") {
            state().bold = on;
        } else if (word == "i") {
            state().italic = on;
        } else if (word == "ul") {
            state().underline = on;
        } else if (word == "ulnone") {
            state().underline = false;
        } else if (word == "fs") {
            state().halfPoints = hasParam ? param : 0;
        } else if (word == "plain") {
            const int skip = state().unicodeSkip;
            const bool hidden = state().skip;
            state() = GroupState();
            state().unicodeSkip = skip;
            state().skip = hidden;
        } else if (word == "uc") {
            state().unicodeSkip = hasParam ? std::max(0, param) : 1;
        } else if (word == "u" && hasParam) {
            // Values above 32767 are written as negative numbers.
            const char16_t code = static_cast<char16_t>(param < 0 ? param + 65536 : param);
            text(QString(QChar(code)));
            m_pendingSkip = state().unicodeSkip;
        } else if (word == "emdash") {
            text(QString(QChar(0x2014)));
        } else if (word == "endash") {
            text(QString(QChar(0x2013)));
        } else if (word == "bullet") {
            text(QString(QChar(0x2022)));
        } else if (word == "lquote") {
            text(QString(QChar(0x2018)));
        } else if (word == "rquote") {
            text(QString(QChar(0x2019)));
        } else if (word == "ldblquote") {
            text(QString(QChar(0x201C)));
        } else if (word == "rdblquote") {
            text(QString(QChar(0x201D)));
        }
    }

    const QByteArray& m_rtf;
    QTextCursor m_cursor;
    QVector<GroupState> m_groups;
    qsizetype m_pos = 0;
    int m_pendingSkip = 0;
};

} // namespace

bool RtfReader::isRtf(const QByteArray& bytes)
{
    QByteArray start = bytes.left(16);
    // A UTF-8 byte order mark in front of the signature is tolerated.
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    return start.startsWith("{\\rtf");
}

void RtfReader::read(const QByteArray& rtf, QTextDocument* document)
{
    document->clear();
    Parser parser(rtf, document);
    parser.run();
}

QString RtfReader::decodePlain(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    QString result;
    result.reserve(bytes.size());
    for (const char c : bytes) {
        const QChar ch = fromWindows1254(static_cast<unsigned char>(c));
        if (!ch.isNull())
            result.append(ch);
    }
    return result;
}

QChar RtfReader::fromWindows1254(unsigned char byte)
{
    if (byte < 0x80)
        return QChar::fromLatin1(char(byte));
    if (byte < 0xA0)
        return QChar(high1254[byte - 0x80]);
    switch (byte) {
    case 0xD0:
        return QChar(0x011E); // Ğ
    case 0xDD:
        return QChar(0x0130); // İ
    case 0xDE:
        return QChar(0x015E); // Ş
    case 0xF0:
        return QChar(0x011F); // ğ
    case 0xFD:
        return QChar(0x0131); // ı
    case 0xFE:
        return QChar(0x015F); // ş
    default:
        return QChar(char16_t(byte)); // the rest matches Latin-1
    }
}
