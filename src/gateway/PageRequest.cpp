#include "PageRequest.h"

#include "ConfigurationImage.h"
#include "UnitText.h"

namespace PageRequest {

std::optional<QString> textProblem(const QString& text)
{
    if (const std::optional<char32_t> c = UnitText::firstUnshowable(text))
        return QStringLiteral("the page text holds %1, which the unit cannot show")
            .arg(UnitText::describe(*c));
    if (UnitText::pageLength(text) > UnitText::MaxPageLength)
        return QStringLiteral("the page text has %1 characters (a line break counts two); "
                              "the unit takes at most %2")
            .arg(UnitText::pageLength(text))
            .arg(UnitText::MaxPageLength);
    return std::nullopt;
}

std::optional<uint16_t> parseLocalId(const QString& digits)
{
    if (digits.isEmpty() || digits.size() > 4)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return static_cast<uint16_t>(digits.toUInt());
}

std::optional<QString> recipientProblem(const ConfigurationImage& image, uint16_t localId)
{
    if (localId == 0 || localId > ConfigurationImage::MaxLocalId)
        return QStringLiteral("%1 is not a local ID (1 to %2)")
            .arg(localId)
            .arg(ConfigurationImage::MaxLocalId);
    if (image.findGroup(localId) || image.findPager(localId))
        return std::nullopt;
    return QStringLiteral("no pager or group has local ID %1").arg(localId);
}

} // namespace PageRequest
