#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;

// How wide text is and how high a line is, in the device pixels of the page being laid out.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int lineHeight() const = 0;
    virtual int width(const QString& text) const = 0;
};

// A report as a ruled table of wrapped cells, cut into pages of column bands and row bands that
// fit the page body. The layout is geometry only: it takes the page size and a measure, so that
// it is the same on a printer, a PDF file or a preview, and can be checked without either.
class PrintTable {
public:
    // The first and last index of a band of columns or rows.
    struct Band {
        int first = 0;
        int last = 0;
        bool operator==(const Band&) const = default;
    };

    void setTitle(const QString& title) { title_ = title; }
    QString title() const { return title_; }
    void clearColumns() { columns_.clear(); }
    void addColumn(const QString& title) { columns_ << title; }
    int addRow();
    bool addCell(int row, const QString& text);
    int columnCount() const { return static_cast<int>(columns_.size()); }
    int rowCount() const { return static_cast<int>(cells_.size()); }

    // Breaks text into lines no wider than limit: at the last blank before it (not a blank that
    // starts the text), or between characters when a word alone is wider.
    static QStringList wrap(const QString& text, int limit, const TextMeasure& measure);

    // Lays the table out on a page of the given printable size.
    void layOut(QSize page, const TextMeasure& measure);

    int maxColumnWidth() const { return maxColumnWidth_; }
    int maxRowHeight() const { return maxRowHeight_; }
    int columnWidth(int column) const { return columnWidths_.value(column); }
    int rowHeight(int row) const { return rowHeights_.value(row); }
    QStringList lines(int row, int cell) const { return lines_.value(row).value(cell); }
    QRect headerBand() const { return headerBand_; }
    QRect body() const { return body_; }
    QRect footerBand() const { return footerBand_; }
    const QList<Band>& columnBands() const { return columnBands_; }
    const QList<Band>& rowBands() const { return rowBands_; }
    int pageCount() const { return static_cast<int>(columnBands_.size() * rowBands_.size()); }
    // "Page 2 of 5", or with several column bands "Page 1.2 of 3.2" (row band, column band).
    QString footerText(int page) const;

    // Draws page (from 0) of the last layout.
    void drawPage(QPainter& painter, int page, bool pageNumbers) const;

private:
    QString title_;
    QStringList columns_;
    QList<QStringList> cells_;

    int maxColumnWidth_ = 0;
    int maxRowHeight_ = 0;
    int lineHeight_ = 0;
    int horizontalInset_ = 0;
    int verticalInset_ = 0;
    QRect headerBand_;
    QRect body_;
    QRect footerBand_;
    QList<QList<QStringList>> lines_;
    QList<int> columnWidths_;
    QList<int> rowHeights_;
    QList<Band> columnBands_;
    QList<Band> rowBands_;
};
