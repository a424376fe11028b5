#pragma once

#include "PageOrigin.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// How a page in the history ended, as the searches group it.
enum class HistoryOutcome {
    Confirmed = 0, // the unit took it
    Failed = 1,    // queued, but the unit refused it, fell silent or the line broke
    Refused = 2,   // not queued: the console was offline
    Dropped = 3,   // queued, but the console went offline or closed before it was sent
};
inline constexpr int HistoryOutcomeCount = 4;

// "confirmed", "failed", "refused", "dropped": the names the command line takes and prints.
QString historyOutcomeKey(HistoryOutcome outcome);
std::optional<HistoryOutcome> historyOutcomeFromKey(const QString& key);

// Why a page is not on the unit, in stable words the history stores ("refused by the unit",
// "no response", "line lost", "not connected", "dropped"); empty for a confirmed page.
namespace HistoryReason {
inline constexpr const char* RefusedByUnit = "refused by the unit";
inline constexpr const char* NoResponse = "no response";
inline constexpr const char* LineLost = "line lost";
inline constexpr const char* NotConnected = "not connected";
inline constexpr const char* Dropped = "dropped";
} // namespace HistoryReason

// One page record as the history keeps it.
struct PageHistoryEntry {
    qint64 id = 0; // given by the history when it is written
    // Milliseconds since the epoch, UTC: when it was queued (or refused) and when it ended.
    qint64 queuedMs = 0;
    qint64 endedMs = 0;
    PageOrigin origin;
    // The local ID; a coaster page's capcode.
    uint32_t recipient = 0;
    // The recipient's name when the page was queued; empty where the sender had no database.
    QString name;
    QString text;
    HistoryOutcome outcome = HistoryOutcome::Confirmed;
    QString reason;

    // From queueing to the unit's answer (or to the end of a page that had none).
    qint64 answerMs() const { return endedMs - queuedMs; }
    bool operator==(const PageHistoryEntry&) const = default;
};

// What a search of the history keeps. Every part is optional; an empty filter keeps every row.
struct HistoryFilter {
    // Queued at or after since, before until (milliseconds since the epoch, UTC).
    std::optional<qint64> sinceMs = {};
    std::optional<qint64> untilMs = {};
    std::optional<uint32_t> recipient = {};
    // In the text or the name, without regard to case (ASCII letters).
    QString search = {};
    // Empty keeps every outcome.
    QList<HistoryOutcome> outcomes = {};
};

// The columns a history list sorts on.
enum class HistoryColumn { Queued, Source, Recipient, Name, Text, Outcome, AnswerTime };

struct HistoryOrder {
    HistoryColumn column = HistoryColumn::Queued;
    bool ascending = false; // newest first
};
