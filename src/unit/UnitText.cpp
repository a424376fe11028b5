#include "UnitText.h"

#include <QList>

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

bool UnitText::canShow(char32_t character)
{
    return character == u'\n' || (character <= 0xFF && !isControl(character));
}

std::optional<char32_t> UnitText::firstUnshowable(QStringView text)
{
    for (const char32_t c : text.toUcs4())
        if (!canShow(c))
            return c;
    return std::nullopt;
}

bool UnitText::fitsField(QStringView text)
{
    return !text.contains(u'\n') && !firstUnshowable(text);
}

QString UnitText::describe(char32_t character)
{
    const QString code = QStringLiteral("U+%1").arg(
        QString::number(static_cast<uint>(character), 16).toUpper(), 4, QLatin1Char('0'));
    if (isControl(character) || !QChar::isPrint(character))
        return code;
    return code + QStringLiteral(" '") + QString::fromUcs4(&character, 1) + u'\'';
}

int UnitText::pageLength(QStringView text)
{
    return static_cast<int>(text.size() + text.count(u'\n'));
}

QByteArray UnitText::pageBytes(QStringView text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace("\n", "\r\n");
    return bytes;
}

qsizetype UnitText::fittingLength(QStringView insertion, int room)
{
    qsizetype fitting = 0;
    for (const QChar c : insertion) {
        room -= c == u'\n' ? 2 : 1;
        if (room < 0)
            break;
        ++fitting;
    }
    return fitting;
}

QString UnitText::visible(const QByteArray& fromUnit)
{
    QString shown;
    shown.reserve(fromUnit.size());
    for (qsizetype i = 0; i < fromUnit.size(); ++i) {
        const auto byte = static_cast<uint8_t>(fromUnit[i]);
        if (byte == '\r' && i + 1 < fromUnit.size() && fromUnit[i + 1] == '\n')
            continue;
        if (byte == '\n' || byte == '\t' || !isControl(byte))
            shown += QChar(byte);
        else if (byte < 0x20)
            shown += u'^' + QChar(byte + 0x40);
        else if (byte == 0x7F)
            shown += QStringLiteral("^?");
        else
            shown += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return shown;
}
