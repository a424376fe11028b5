#include "PrintTable.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>

namespace {

// Fills bands from sizes: a size joins the open band while the band stays within the limit,
// otherwise it opens a band of its own (so that one too big for any band is still printed).
QList<PrintTable::Band> bandsOf(const QList<int>& sizes, int limit)
{
    QList<PrintTable::Band> bands;
    int running = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        if (!bands.isEmpty() && running + sizes[i] <= limit) {
            running += sizes[i];
            bands.last().last = i;
            continue;
        }
        bands.append({i, i});
        running = sizes[i];
    }
    return bands;
}

} // namespace

int PrintTable::addRow()
{
    cells_.append(QStringList());
    return rowCount() - 1;
}

bool PrintTable::addCell(int row, const QString& text)
{
    if (row < 0 || row >= rowCount())
        return false;
    cells_[row] << text;
    return true;
}

QStringList PrintTable::wrap(const QString& text, int limit, const TextMeasure& measure)
{
    QStringList lines;
    QString buffer;
    int width = 0;
    qsizetype lastBlank = -1;    // in text; a break point only when above 0
    qsizetype bufferAtBlank = 0; // the buffer's length when that blank came
    auto endLine = [&](const QString& line) {
        lines << line;
        buffer.clear();
        width = 0;
        // A break point belongs to the line it was found on; keeping it would send reading back
        // to the same blank for ever when a long word follows it.
        lastBlank = -1;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'\n') {
            endLine(buffer);
            ++i;
            continue;
        }
        if (c == u'\r') {
            ++i;
            continue;
        }
        if (c == u' ' && i > 0) {
            lastBlank = i;
            bufferAtBlank = buffer.size();
        }
        const int charWidth = measure.width(QString(c));
        width += charWidth;
        if (width < limit) {
            buffer += c;
            ++i;
            continue;
        }
        if (lastBlank > 0) {
            const qsizetype resume = lastBlank + 1;
            endLine(c == u' ' && lastBlank == i ? buffer : buffer.left(bufferAtBlank));
            i = resume;
            continue;
        }
        endLine(buffer);
        buffer = c;
        width = charWidth;
        ++i;
    }
    if (!buffer.isEmpty())
        lines << buffer;
    return lines;
}

void PrintTable::layOut(QSize page, const TextMeasure& measure)
{
    const int w = page.width();
    const int h = page.height();
    maxColumnWidth_ = (w / 3) * 2;
    maxRowHeight_ = w / 5;

    lineHeight_ = measure.lineHeight();
    const int a = measure.width(QStringLiteral("A"));
    const int bandHeight = lineHeight_ + 20;
    const QRect inner(10, 10, w - 20, h - 20);
    headerBand_ = QRect(inner.left(), inner.top(), inner.width(), bandHeight);
    footerBand_ =
        QRect(inner.left(), inner.top() + inner.height() - bandHeight, inner.width(), bandHeight);
    body_ = QRect(inner.left(), headerBand_.top() + bandHeight, inner.width(),
                  footerBand_.top() - (headerBand_.top() + bandHeight));
    horizontalInset_ = a / 4;
    verticalInset_ = a / 5;

    lines_.clear();
    columnWidths_ = QList<int>(columns_.size(), 0);
    rowHeights_.clear();
    for (const QStringList& row : std::as_const(cells_)) {
        QList<QStringList> rowLines;
        int height = 0;
        for (qsizetype k = 0; k < row.size(); ++k) {
            const QStringList cellLines = wrap(row[k], maxColumnWidth_, measure);
            int widest = 0;
            for (const QString& line : cellLines)
                widest = std::max(widest, measure.width(line));
            if (k < columnWidths_.size())
                columnWidths_[k] = std::max(
                    columnWidths_[k], std::min(maxColumnWidth_, widest + 2 * horizontalInset_));
            const int cellHeight =
                static_cast<int>(cellLines.size()) * (lineHeight_ + 2 * verticalInset_);
            height = std::max(height, std::min(maxRowHeight_, cellHeight));
            rowLines << cellLines;
        }
        lines_ << rowLines;
        rowHeights_ << height;
    }
    columnBands_ = bandsOf(columnWidths_, body_.width());
    rowBands_ = columns_.isEmpty() ? QList<Band>() : bandsOf(rowHeights_, body_.height());
}

QString PrintTable::footerText(int page) const
{
    const auto columnBandCount = static_cast<int>(columnBands_.size());
    if (columnBandCount == 1)
        return QCoreApplication::translate("PrintTable", "Page %1 of %2")
            .arg(page + 1)
            .arg(pageCount());
    return QCoreApplication::translate("PrintTable", "Page %1.%2 of %3.%4")
        .arg(page / columnBandCount + 1)
        .arg(page % columnBandCount + 1)
        .arg(rowBands_.size())
        .arg(columnBandCount);
}

void PrintTable::drawPage(QPainter& painter, int page, bool pageNumbers) const
{
    if (page < 0 || page >= pageCount())
        return;
    const auto columnBandCount = static_cast<int>(columnBands_.size());
    const Band rows = rowBands_[page / columnBandCount];
    const Band columns = columnBands_[page % columnBandCount];
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(headerBand_, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, title_);

    auto textAt = [&](int x, int y, const QString& text) {
        painter.drawText(QRect(x, y, 1, lineHeight_),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine,
                         text);
    };
    int top = body_.top();
    for (int r = rows.first; r <= rows.last; ++r) {
        int left = body_.left();
        const int height = rowHeights_[r];
        const auto cellCount = static_cast<int>(lines_[r].size());
        for (int k = columns.first; k <= columns.last && k < cellCount; ++k) {
            const int width = columnWidths_[k];
            // A cell cut to the row's height still shows every line, past the box if need be.
            const QStringList& cellLines = lines_[r][k];
            for (qsizetype n = 0; n < cellLines.size(); ++n)
                textAt(left + horizontalInset_,
                       top + verticalInset_ + static_cast<int>(n) * lineHeight_, cellLines[n]);
            const int right = left + width;
            const int bottom = top + height;
            painter.drawLine(left, top, right, top);
            painter.drawLine(right, top, right, bottom);
            painter.drawLine(right, bottom, left, bottom);
            painter.drawLine(left, bottom, left, top);
            left = right;
        }
        top += height;
    }
    if (pageNumbers)
        painter.drawText(footerBand_, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                         footerText(page));
}
