#pragma once

#include "PageHistoryEntry.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the page history report shows of each page, without a window: the window's list, its
// export and its print all take their texts from here, so that they agree.
namespace HistoryReport {

enum Column { Queued, Source, LocalId, Name, Text, Outcome, Answer, Ended, ColumnCount };

QStringList columnTitles();
// The history's own order for a column; none for Ended, which the history does not sort on.
std::optional<HistoryColumn> sortColumn(int column);
// The column of the list that shows a history order's column.
int columnOf(HistoryColumn column);

QString windowTitle();
QString printHeader();
QString exportTitle();
QString exportFailureText();

// A moment of the history (milliseconds since the epoch, UTC) in local time.
QString timeText(qint64 ms);
// "Message box", or "SNPP from 10.0.0.5 (pos)" for a sender on the network.
QString sourceText(const PageOrigin& origin);
// "Confirmed", or the outcome with its reason: "Failed: no response".
QString outcomeText(HistoryOutcome outcome, const QString& reason);
QString outcomeName(HistoryOutcome outcome);
// From queueing to the answer: "0.25 s".
QString answerText(qint64 ms);

// The texts of every column of a page, in column order.
QStringList texts(const PageHistoryEntry& entry);

} // namespace HistoryReport
