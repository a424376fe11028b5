#pragma once

#include "PrintSettings.h"

#include <QFont>
#include <QString>

class PrintTable;
class QPagedPaintDevice;

// Prints a PrintTable on a system printer or into a PDF file, laid out on the printer's own
// page and measured with its own resolution.
namespace TablePrinter {

// The least distance from the paper's edges to anything printed.
constexpr double SoundMarginMm = 12.0;

// The print font; a fixed one, so that the console and the command line lay out the same pages.
QFont font();

// Lays the table out on the printer's printable page, SoundMarginMm from the paper's edges,
// measured in its own resolution.
void layOut(PrintTable& table, QPagedPaintDevice& printer);

// Lays the table out for the printer, inside its printable area and SoundMarginMm from the
// paper's edges, and paints copies times all its pages into it, as one document; the preview
// uses it too. False when the printer could not be opened.
bool paint(PrintTable& table, QPagedPaintDevice& printer, bool pageNumbers, int copies = 1);

// Each copy of a printer's is a print job of its own, named after the header; a PDF file holds
// the copies one after another. Returns an empty text when everything was printed, otherwise
// what went wrong (copies that could be printed were).
QString print(PrintTable& table, const PrintSettings& settings);

} // namespace TablePrinter
