#pragma once

#include "Command.h"
#include "PageHistoryEntry.h"

// history [--since ...] [--until ...] [--to ID] [--grep TEXT] [--outcome ...] [--json]: the pages
// the page history kept, oldest first, as tab-separated text with a header or one JSON object a
// line. It only reads the history: no file is created or changed.
class HistoryCommand : public Command {
public:
    HistoryCommand();
    std::optional<QString> check(const CommandLine& line) override;
    int run(const CommandLine& line) override;

    // "2026-12-01", "2026-12-01T14:30[:05]" (or with a space), local time unless it ends in Z
    // or an offset: milliseconds since the epoch; nothing when the text is not such a date.
    static std::optional<qint64> parseDate(const QString& text);
    // "90s", "30m", "12h", "7d", "2w": milliseconds; nothing when the text is not a duration.
    static std::optional<qint64> parseDuration(const QString& text);

private:
    HistoryFilter filter_;
    bool json_ = false;
};
