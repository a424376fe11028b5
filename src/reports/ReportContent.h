#pragma once

#include "SortKey.h"

#include <QList>
#include <QString>
#include <QStringList>

class ConfigurationImage;
class NameTable;
class PrintTable;

enum class ReportKind { Pagers, Groups, Alarms };

struct ReportColumn {
    QString title;
    int width = 100;
    SortKey::Kind sort = SortKey::Text;
};

// One row of a report: its key (the local ID, or the alarm number), the texts the list shows,
// the texts an export or a print writes (they differ only where the list shows a picture), and
// the picture of each cell (-1 for none).
struct ReportRow {
    qint64 key = 0;
    QStringList shown;
    QStringList written;
    QList<int> pictures;

    bool operator==(const ReportRow&) const = default;
};

// What the pagers, groups and alarms reports hold, without a window: the window fills its list
// from it and the command line writes and prints it, so that both give the same bytes and pages.
namespace Report {

enum Picture { PagerPicture = 0, GroupPicture = 1, TickPicture = 2 };

QList<ReportColumn> columns(ReportKind kind);
QStringList columnTitles(ReportKind kind);
QString windowTitle(ReportKind kind);
QString printHeader(ReportKind kind);
// Each report titles its export dialog with its own text.
QString exportTitle(ReportKind kind);
QString exportFailureText(ReportKind kind);

// The rows in ascending local ID (alarm number for the alarms report).
QList<ReportRow> rows(ReportKind kind, const ConfigurationImage& image, const NameTable& names);

// The rows as a freshly filled list shows them (by first-column text, without regard to case),
// then, when column is given, as they stand after sorting on it in the given direction.
QList<ReportRow> listOrder(QList<ReportRow> rows, const QList<ReportColumn>& columns,
                           int column = -1, bool ascending = true);

// The print table of the chosen columns: a first row of their titles in upper case, then one row
// per report row in the given order.
void fillPrintTable(PrintTable& table, const QString& header, const QStringList& titles,
                    const QList<bool>& chosen, const QList<ReportRow>& rows);

} // namespace Report
