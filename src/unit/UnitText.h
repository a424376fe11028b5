#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// What the unit's display can take and what it says back. The unit shows Latin-1 and has always
// received a line break as CR LF, two characters of its page buffer; texts here hold it as LF.
// Every other control character either means something on the line (0x1E ends a page record's
// field) or shows as garbage on the pagers.
class UnitText {
public:
    // The message box stops here, and so does the unit's page buffer.
    static constexpr int MaxPageLength = 200;

    static bool canShow(char32_t character);
    // The first character of text that the unit cannot show, as a whole code point (an emoji
    // is one character here, not two halves of a surrogate pair).
    static std::optional<char32_t> firstUnshowable(QStringView text);
    // A text field of the image (a name, a message, a label) holds one line: what the unit can
    // show, without a line break.
    static bool fitsField(QStringView text);
    // "U+03B1 'α'", or "U+001E" for a character that has no picture of its own.
    static QString describe(char32_t character);

    // What a page text takes of the unit's page buffer: a line break counts two.
    static int pageLength(QStringView text);
    // The page text as it goes on the line: Latin-1, each line break as CR LF.
    static QByteArray pageBytes(QStringView text);
    // How many characters from the start of an insertion fit into `room` places of the page
    // buffer; a line break is never split.
    static qsizetype fittingLength(QStringView insertion, int room);

    // The unit's own text (Latin-1, CR LF line ends) made safe for a terminal: line ends become
    // LF, control characters are written out (^[ for ESC, \x9b for the C1 ones) so that nothing
    // the unit sends can act as an escape sequence.
    static QString visible(const QByteArray& fromUnit);
};
