#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads the help topic files: Rich Text Format as written by the usual word processors, or
// plain text. Only what the topics use is understood: paragraphs and line breaks, bold, italic,
// underline, font sizes, tabs, Windows-1254 bytes (\'xx) and Unicode letters (\uN). Font, colour
// and style tables, pictures and other destinations are skipped.
class RtfReader final
{
public:
    // The bytes begin with the Rich Text Format signature "{\rtf".
    static bool isRtf(const QByteArray& bytes);

    // Replaces the document's contents with the formatted text of the RTF bytes.
    static void read(const QByteArray& rtf, QTextDocument* document);

    // Text of a plain file: UTF-8 when the bytes are valid UTF-8, otherwise Windows-1254.
    static QString decodePlain(const QByteArray& bytes);

    // One Windows-1254 byte as a character.
    static QChar fromWindows1254(unsigned char byte);
};
