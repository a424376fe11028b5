#include "TablePrinter.h"

#include "AtomicFile.h"
#include "PrintTable.h"

#include <QBuffer>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace {

class FontMeasure : public TextMeasure {
public:
    FontMeasure(const QFont& font, QPaintDevice* device)
        : metrics_(font, device)
    {}
    int lineHeight() const override { return metrics_.height(); }
    int width(const QString& text) const override { return metrics_.horizontalAdvance(text); }

private:
    QFontMetrics metrics_;
};

QString translated(const char* text)
{
    return QCoreApplication::translate("TablePrinter", text);
}

} // namespace

namespace TablePrinter {

namespace {

void keepClearOfTheEdges(QPagedPaintDevice& printer)
{
    // Once painting has begun, the pages have their layout already.
    if (printer.paintingActive())
        return;
    // A PDF page can be printed to its edge, a printer cannot: no side closer than SoundMarginMm,
    // nor than the printer says it can print.
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF least = layout.minimumMargins();
    layout.setMargins(
        QMarginsF(std::max(least.left(), SoundMarginMm), std::max(least.top(), SoundMarginMm),
                  std::max(least.right(), SoundMarginMm), std::max(least.bottom(), SoundMarginMm)));
    printer.setPageLayout(layout);
}

} // namespace

QFont font()
{
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void layOut(PrintTable& table, QPagedPaintDevice& printer)
{
    keepClearOfTheEdges(printer);
    table.layOut(QSize(printer.width(), printer.height()), FontMeasure(font(), &printer));
}

bool paint(PrintTable& table, QPagedPaintDevice& printer, bool pageNumbers, int copies)
{
    // Before the painter opens the document: the first page takes the layout it has then.
    keepClearOfTheEdges(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setFont(font());
    layOut(table, printer);
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = 0; page < table.pageCount(); ++page) {
            if (!first)
                printer.newPage();
            first = false;
            table.drawPage(painter, page, pageNumbers);
        }
    }
    return painter.end();
}

QString print(PrintTable& table, const PrintSettings& settings)
{
    if (!settings.pdfFile.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setDocName(settings.header);
        // The document is made in memory on the PDF printer's page and put in place as a saved
        // database is, so that a full disk or a killed print leaves an earlier file whole.
        QBuffer document;
        document.open(QIODevice::WriteOnly);
        QPdfWriter writer(&document);
        writer.setResolution(printer.resolution());
        writer.setPageLayout(printer.pageLayout());
        writer.setTitle(settings.header);
        writer.setCreator(printer.creator());
        const bool painted = paint(table, writer, settings.pageNumbers, settings.copies);
        document.close();
        if (!painted || !AtomicFile::replace(settings.pdfFile, document.data(), nullptr))
            return translated(
                       QT_TRANSLATE_NOOP("TablePrinter", "The file %1 could not be written."))
                .arg(settings.pdfFile);
        return {};
    }
    const QString cannotOpen =
        translated(QT_TRANSLATE_NOOP("TablePrinter", "The printer %1 could not be opened."))
            .arg(settings.printerName);
    const QPrinterInfo info = QPrinterInfo::printerInfo(settings.printerName);
    if (settings.printerName.isEmpty() || info.isNull())
        return cannotOpen;
    QString problem;
    for (int copy = 0; copy < settings.copies; ++copy) {
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setDocName(settings.header);
        if (!printer.isValid() || !paint(table, printer, settings.pageNumbers))
            problem = cannotOpen;
    }
    return problem;
}

} // namespace TablePrinter
