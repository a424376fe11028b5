#include "PageOrigin.h"

#include <array>

namespace {

constexpr std::array<const char*, PageOrigin::SourceCount> Keys = {
    "message-box",    "test-page", "coaster-alert", "coaster-range",
    "coaster-locate", "cli",       "snpp",          "http",
};

} // namespace

QString PageOrigin::key(Source source)
{
    return QString::fromLatin1(Keys.at(static_cast<size_t>(source)));
}

std::optional<PageOrigin::Source> PageOrigin::fromKey(const QString& key)
{
    for (size_t i = 0; i < Keys.size(); ++i) {
        if (key == QLatin1String(Keys[i]))
            return static_cast<Source>(i);
    }
    return std::nullopt;
}
