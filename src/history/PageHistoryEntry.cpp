#include "PageHistoryEntry.h"

#include <array>

namespace {

constexpr std::array<const char*, HistoryOutcomeCount> OutcomeKeys = {"confirmed", "failed",
                                                                      "refused", "dropped"};

} // namespace

QString historyOutcomeKey(HistoryOutcome outcome)
{
    return QString::fromLatin1(OutcomeKeys.at(static_cast<size_t>(outcome)));
}

std::optional<HistoryOutcome> historyOutcomeFromKey(const QString& key)
{
    for (size_t i = 0; i < OutcomeKeys.size(); ++i) {
        if (key == QLatin1String(OutcomeKeys[i]))
            return static_cast<HistoryOutcome>(i);
    }
    return std::nullopt;
}
