#pragma once

#include "ExportSettings.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// The export file: tab-separated text in UTF-8 with CR LF line ends, an optional header row of
// the ticked columns' titles, then one line per row (up to the limit) of the ticked columns'
// texts in report column order, without quoting. A TAB, a line break or a NUL in a text is
// written as a space, so that every row is one line with one cell per column; a text that
// starts with =, +, - or @ is written as it is (see README, Reports).
namespace TsvExport {

QByteArray format(const ExportSettings& settings, const QList<QStringList>& rows);

// Rows too many to hold as texts at once are handed over one at a time: a source calls take
// for each row in turn, stops when take returns false, and returns false when it could not
// read its rows.
using RowSink = std::function<bool(const QStringList& row)>;
using RowSource = std::function<bool(const RowSink& take)>;
std::optional<QByteArray> format(const ExportSettings& settings, const RowSource& rows);

// Writes beside settings.fileName and puts the file in place only when it is complete, so that
// a failure leaves an earlier file of that name as it was. On failure, error says why.
bool write(const ExportSettings& settings, const QList<QStringList>& rows, QString* error);
bool write(const ExportSettings& settings, const RowSource& rows, QString* error);

} // namespace TsvExport
