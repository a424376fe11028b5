#pragma once

#include "ExportSettings.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The export file: tab-separated text in UTF-8 with CR LF line ends, an optional header row of
// the ticked columns' titles, then one line per row (up to the limit) of the ticked columns'
// texts in report column order, without quoting. A TAB, a line break or a NUL in a text is
// written as a space, so that every row is one line with one cell per column; a text that
// starts with =, +, - or @ is written as it is (see README, Reports).
namespace TsvExport {

QByteArray format(const ExportSettings& settings, const QList<QStringList>& rows);

// Writes beside settings.fileName and puts the file in place only when it is complete, so that
// a failure leaves an earlier file of that name as it was. On failure, error says why.
bool write(const ExportSettings& settings, const QList<QStringList>& rows, QString* error);

} // namespace TsvExport
