#include "ReportWindow.h"

#include "Database.h"
#include "ExportDialog.h"
#include "MessageBox.h"
#include "PrintOptionsDialog.h"
#include "PrintTable.h"
#include "SettingsStore.h"
#include "SortableList.h"
#include "TablePrinter.h"
#include "TsvExport.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>

ReportWindow::ReportWindow(ReportKind kind, const Database& database, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , kind_(kind)
    , database_(database)
    , columns_(Report::columns(kind))
    , list_(new SortableList(this))
    , export_(new QPushButton(tr("E&xport"), this))
    , print_(new QPushButton(tr("&Print"), this))
    , ok_(new QPushButton(tr("&Ok"), this))
{
    setWindowTitle(Report::windowTitle(kind));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMinimumSize(MinimumWidth, MinimumHeight);
    list_->setInsertSorted(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setPictures({QIcon(QStringLiteral(":/icons/list-pager.png")),
                        QIcon(QStringLiteral(":/icons/list-group.png")),
                        QIcon(QStringLiteral(":/icons/list-rotary.png"))});
    // A translated title may be longer than the column was made for; it is not cut.
    const QFontMetrics header = list_->header()->fontMetrics();
    for (ReportColumn& column : columns_) {
        column.width = std::max(column.width, header.horizontalAdvance(column.title) + 24);
        list_->insertColumn(-1, column.title, Qt::AlignLeft, column.width,
                            static_cast<SortableList::SortKind>(column.sort));
    }
    connect(export_, &QPushButton::clicked, this, &ReportWindow::exportPressed);
    connect(print_, &QPushButton::clicked, this, &ReportWindow::printPressed);
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);
    int width = 0;
    for (const QPushButton* button : {export_, print_, ok_})
        width = std::max(width, button->sizeHint().width());
    for (QPushButton* button : {export_, print_, ok_})
        button->resize(width, ok_->sizeHint().height());
    refresh();
    // Nor is a cell: "Normally Closed" and its translations are wider than the Type column.
    int listWidth = 0;
    const QAbstractItemView& view = *list_;
    for (int column = 0; column < columns_.size(); ++column) {
        columns_[column].width = std::max(columns_[column].width, view.sizeHintForColumn(column));
        list_->setColumnWidth(column, columns_[column].width);
        listWidth += columns_[column].width;
    }
    resize(std::max(MinimumWidth, listWidth + 40), 360);
}

namespace {

SettingsStore::Key placeKey(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Pagers:
        return SettingsStore::PagersReportWndPos;
    case ReportKind::Groups:
        return SettingsStore::GroupsReportWndPos;
    case ReportKind::Alarms:
        break;
    }
    return SettingsStore::AlarmsReportWndPos;
}

} // namespace

ReportWindow::~ReportWindow()
{
    SettingsStore::setBinary(placeKey(kind_),
                             SettingsStore::windowFrameValue(WindowPlacement::frame(*this)));
}

void ReportWindow::placeBeside(const QList<QRect>& taken)
{
    if (const auto stored = SettingsStore::windowFrame(SettingsStore::binary(placeKey(kind_)))) {
        WindowPlacement::place(*this, *stored);
        return;
    }
    const QSize frameSize = size().grownBy(WindowPlacement::frameMargins(*this));
    WindowPlacement::place(
        *this, WindowPlacement::beside(frameSize, taken, WindowPlacement::availableAreas()));
}

void ReportWindow::refresh()
{
    const QList<ReportRow> rows = Report::rows(kind_, database_.image(), database_.names());
    // Nothing it shows has changed: the user's sort stays.
    if (rows == built_)
        return;
    built_ = rows;
    list_->clearRows();
    rows_.clear();
    QList<std::pair<qint64, QStringList>> texts;
    for (const ReportRow& row : rows)
        texts.append({row.key, row.shown});
    const QList<QTreeWidgetItem*> items = list_->addRows(texts);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ReportRow& row = rows[i];
        for (int column = 0; column < row.pictures.size(); ++column)
            if (row.pictures[column] >= 0)
                list_->setPicture(items[i], column, row.pictures[column]);
        rows_.insert(row.key, row);
    }
}

QList<ReportRow> ReportWindow::rowsOnScreen(bool selectedOnly) const
{
    QList<ReportRow> rows;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (!selectedOnly || item->isSelected())
            rows << rows_.value(SortableList::itemValue(item));
    }
    return rows;
}

bool ReportWindow::exportTo(const ExportSettings& settings)
{
    QList<QStringList> texts;
    for (const ReportRow& row : rowsOnScreen())
        texts << row.written;
    QString error;
    if (TsvExport::write(settings, texts, &error))
        return true;
    MessageBox::warning(this, Report::exportFailureText(kind_));
    return false;
}

bool ReportWindow::print(const PrintSettings& settings)
{
    PrintTable table;
    Report::fillPrintTable(table, settings.header, Report::columnTitles(kind_),
                           settings.chosenColumns(), rowsOnScreen(settings.selectedOnly));
    const QString problem = TablePrinter::print(table, settings);
    if (problem.isEmpty())
        return true;
    MessageBox::warning(this, problem);
    return false;
}

void ReportWindow::exportPressed()
{
    ExportDialog dialog(Report::exportTitle(kind_), Report::columnTitles(kind_), this);
    dialog_ = &dialog;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog_ = nullptr;
    if (accepted)
        exportTo(dialog.settings());
}

void ReportWindow::printPressed()
{
    const bool hasSelection = !list_->selectedItems().isEmpty();
    PrintOptionsDialog dialog(
        Report::printHeader(kind_), Report::columnTitles(kind_), hasSelection,
        [this](PrintTable& table, const PrintSettings& settings) {
            Report::fillPrintTable(table, settings.header, Report::columnTitles(kind_),
                                   settings.chosenColumns(), rowsOnScreen(settings.selectedOnly));
        },
        this);
    dialog_ = &dialog;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog_ = nullptr;
    if (accepted)
        print(dialog.settings());
}

void ReportWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        layoutControls();
}

void ReportWindow::layoutControls()
{
    const int cx = width();
    const int cy = height();
    const int w = ok_->width();
    const int h = ok_->height();
    ok_->move(cx - w - 7, cy - h - 7);
    print_->move(cx - 2 * w - 14, cy - h - 7);
    export_->move(cx - 3 * w - 21, cy - h - 7);
    list_->setGeometry(7, 7, cx - 14, cy - h - 21);
}

void ReportWindow::closeEvent(QCloseEvent* event)
{
    // A dialog still up is answered Cancel; its caller then finds nothing to do.
    if (dialog_)
        dialog_->reject();
    QWidget::closeEvent(event);
}
