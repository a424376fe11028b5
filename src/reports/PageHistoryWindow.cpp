#include "PageHistoryWindow.h"

#include "ConfigurationImage.h"
#include "ExportDialog.h"
#include "HistoryReport.h"
#include "MessageBox.h"
#include "PageHistory.h"
#include "PageHistoryModel.h"
#include "PrintOptionsDialog.h"
#include "PrintTable.h"
#include "SettingsStore.h"
#include "TablePrinter.h"
#include "TsvExport.h"
#include "WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Texts as wide as a column usually shows, so that it opens wide enough for them; a longer text
// or name shows whole in its tool tip.
QString usualText(int column)
{
    switch (column) {
    case HistoryReport::Queued:
    case HistoryReport::Ended:
        return QStringLiteral("0000-00-00 00:00:00");
    case HistoryReport::Source:
        return HistoryReport::sourceText(
            {PageOrigin::Source::CommandLine, QStringLiteral("local"), {}});
    case HistoryReport::LocalId:
        return QStringLiteral("0000000");
    case HistoryReport::Name:
        return QStringLiteral("Front desk manager");
    case HistoryReport::Text:
        return QStringLiteral("Your table is ready, please come");
    case HistoryReport::Outcome:
        return HistoryReport::outcomeText(HistoryOutcome::Failed,
                                          QLatin1String(HistoryReason::NoResponse));
    default:
        return HistoryReport::answerText(99999);
    }
}

} // namespace

PageHistoryWindow::PageHistoryWindow(const QString& path, PageHistory* history, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , model_(new PageHistoryModel(path, this))
    , view_(new QTableView(this))
    , search_(new QLineEdit(this))
    , recipient_(new QLineEdit(this))
    , fromOn_(new QCheckBox(tr("&From:"), this))
    , from_(new QDateEdit(this))
    , toOn_(new QCheckBox(tr("&To:"), this))
    , to_(new QDateEdit(this))
    , outcome_(new QComboBox(this))
    , count_(new QLabel(this))
    , export_(new QPushButton(tr("E&xport"), this))
    , print_(new QPushButton(tr("&Print"), this))
    , ok_(new QPushButton(tr("&Ok"), this))
{
    setWindowTitle(HistoryReport::windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);

    search_->setClearButtonEnabled(true);
    search_->setPlaceholderText(tr("Text or name"));
    recipient_->setClearButtonEnabled(true);
    recipient_->setPlaceholderText(tr("All"));
    recipient_->setToolTip(tr("A local ID, or a coaster page's cap code; empty for every page"));
    recipient_->setMaximumWidth(recipient_->fontMetrics().horizontalAdvance(u'0') * 9 + 40);
    const QDate today = QDate::currentDate();
    for (QDateEdit* date : {from_, to_}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) +
                              48);
        date->setDate(today);
        date->setEnabled(false);
    }
    from_->setDate(today.addMonths(-1));
    outcome_->addItem(tr("All"), -1);
    for (int outcome = 0; outcome < HistoryOutcomeCount; ++outcome)
        outcome_->addItem(HistoryReport::outcomeName(static_cast<HistoryOutcome>(outcome)),
                          outcome);

    auto* filters = new QHBoxLayout;
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text, this);
        caption->setBuddy(buddy);
        return caption;
    };
    filters->addWidget(label(tr("&Search:"), search_));
    filters->addWidget(search_, 1);
    filters->addWidget(label(tr("Local &ID:"), recipient_));
    filters->addWidget(recipient_);
    filters->addWidget(label(tr("Out&come:"), outcome_));
    filters->addWidget(outcome_);
    auto* dates = new QHBoxLayout;
    dates->addWidget(fromOn_);
    dates->addWidget(from_);
    dates->addSpacing(12);
    dates->addWidget(toOn_);
    dates->addWidget(to_);
    dates->addSpacing(12);
    dates->addWidget(count_, 1);
    count_->setWordWrap(true);

    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setAlternatingRowColors(true);
    view_->setWordWrap(false);
    view_->setCornerButtonEnabled(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    QHeaderView* header = view_->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    int width = 0;
    for (const QPushButton* button : {export_, print_, ok_})
        width = std::max(width, button->sizeHint().width());
    for (QPushButton* button : {export_, print_, ok_}) {
        button->setMinimumWidth(width);
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addLayout(filters);
    layout->addLayout(dates);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);

    typingPause_.setSingleShot(true);
    typingPause_.setInterval(TypingPauseMs);
    refreshPause_.setSingleShot(true);
    refreshPause_.setInterval(RefreshPauseMs);
    connect(&typingPause_, &QTimer::timeout, this, &PageHistoryWindow::applyFilters);
    connect(&refreshPause_, &QTimer::timeout, this, &PageHistoryWindow::refresh);
    for (QLineEdit* edit : {search_, recipient_})
        connect(edit, &QLineEdit::textChanged, &typingPause_, qOverload<>(&QTimer::start));
    for (QLineEdit* edit : {search_, recipient_})
        connect(edit, &QLineEdit::returnPressed, this, &PageHistoryWindow::applyFilters);
    connect(fromOn_, &QCheckBox::toggled, from_, &QWidget::setEnabled);
    connect(toOn_, &QCheckBox::toggled, to_, &QWidget::setEnabled);
    for (QCheckBox* box : {fromOn_, toOn_})
        connect(box, &QCheckBox::toggled, this, &PageHistoryWindow::applyFilters);
    for (QDateEdit* date : {from_, to_})
        connect(date, &QDateEdit::dateChanged, this, &PageHistoryWindow::applyFilters);
    connect(outcome_, &QComboBox::currentIndexChanged, this, &PageHistoryWindow::applyFilters);
    connect(header, &QHeaderView::sortIndicatorChanged, this, &PageHistoryWindow::sortChosen);
    connect(model_, &PageHistoryModel::totalChanged, this, &PageHistoryWindow::showCount);
    connect(export_, &QPushButton::clicked, this, &PageHistoryWindow::exportPressed);
    connect(print_, &QPushButton::clicked, this, &PageHistoryWindow::printPressed);
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);
    if (history)
        connect(history, &PageHistory::written, this, [this] {
            // A burst of pages is one refresh, not one each.
            if (!refreshPause_.isActive())
                refreshPause_.start();
        });

    {
        // Newest first, as the model starts.
        const QSignalBlocker quiet(header);
        header->setSortIndicator(HistoryReport::Queued, Qt::DescendingOrder);
    }
    applyFilters();
    // Each column as wide as its title, the texts it usually shows and those of the first rows,
    // up to a limit: a longer text shows whole in its tool tip.
    int listWidth = 0;
    const QAbstractItemView& list = *view_;
    const QStringList titles = HistoryReport::columnTitles();
    for (int column = 0; column < HistoryReport::ColumnCount; ++column) {
        const int width = std::max({header->fontMetrics().horizontalAdvance(titles[column]) + 28,
                                    view_->fontMetrics().horizontalAdvance(usualText(column)) + 16,
                                    std::min(list.sizeHintForColumn(column), MaxColumnWidth)});
        view_->setColumnWidth(column, width);
        listWidth += width;
    }
    // As wide as its columns, but never wider than the screen.
    const QRect screen = WindowPlacement::availableAreas().value(0, QRect(0, 0, 1280, 800));
    resize(std::clamp(listWidth + 30, 640, std::max(640, screen.width() - 60)), 420);
}

PageHistoryWindow::~PageHistoryWindow()
{
    SettingsStore::setBinary(SettingsStore::PageHistoryWndPos,
                             SettingsStore::windowFrameValue(WindowPlacement::frame(*this)));
}

void PageHistoryWindow::placeBeside(const QList<QRect>& taken)
{
    if (const auto stored =
            SettingsStore::windowFrame(SettingsStore::binary(SettingsStore::PageHistoryWndPos))) {
        WindowPlacement::place(*this, *stored);
        return;
    }
    const QSize frameSize = size().grownBy(WindowPlacement::frameMargins(*this));
    WindowPlacement::place(
        *this, WindowPlacement::beside(frameSize, taken, WindowPlacement::availableAreas()));
}

PageHistoryWindow::ReadFilter PageHistoryWindow::readFilter() const
{
    HistoryFilter filter;
    filter.search = search_->text().trimmed();
    const QString recipient = recipient_->text().trimmed();
    if (!recipient.isEmpty()) {
        bool ok = false;
        const uint id = recipient.toUInt(&ok);
        if (!ok || id > ConfigurationImage::MaxCapcode)
            return {std::nullopt,
                    tr("\"%1\" is not a local ID: give a number from 0 to %2, or nothing for "
                       "every page.")
                        .arg(recipient)
                        .arg(ConfigurationImage::MaxCapcode)};
        filter.recipient = id;
    }
    // Whole local days: from the start of the first to the end of the last.
    if (fromOn_->isChecked())
        filter.sinceMs = from_->date().startOfDay().toMSecsSinceEpoch();
    if (toOn_->isChecked())
        filter.untilMs = to_->date().addDays(1).startOfDay().toMSecsSinceEpoch();
    if (filter.sinceMs && filter.untilMs && *filter.sinceMs >= *filter.untilMs)
        return {std::nullopt, tr("The dates end before they begin: the To date is earlier than "
                                 "the From date.")};
    const int outcome = outcome_->currentData().toInt();
    if (outcome >= 0)
        filter.outcomes = {static_cast<HistoryOutcome>(outcome)};
    return {filter, {}};
}

void PageHistoryWindow::applyFilters()
{
    typingPause_.stop();
    const ReadFilter read = readFilter();
    filterProblem_ = read.problem;
    if (read.filter)
        model_->setFilter(*read.filter);
    else
        model_->clear();
    view_->scrollToTop();
}

void PageHistoryWindow::refresh()
{
    refreshPause_.stop();
    const int place = view_->verticalScrollBar()->value();
    model_->refresh();
    // Laid out at once, so that the scroll bar has its range again before it is put back.
    view_->doItemsLayout();
    view_->verticalScrollBar()->setValue(place);
}

void PageHistoryWindow::showCount()
{
    QPalette colours = palette();
    const QString problem = !filterProblem_.isEmpty() ? filterProblem_ : model_->problem();
    if (!problem.isEmpty())
        colours.setColor(QPalette::WindowText, QColor(0xa0, 0x20, 0x20));
    count_->setPalette(colours);
    const QString count = QLocale().toString(model_->total());
    count_->setText(!problem.isEmpty()              ? problem
                    : model_->totalIsAtLeast() ? tr("Pages: %1 or more").arg(count)
                                               : tr("Pages: %1").arg(count));
}

void PageHistoryWindow::sortChosen(int column, Qt::SortOrder order)
{
    if (!HistoryReport::sortColumn(column)) {
        // The history does not sort on it: the indicator stays where the rows are sorted.
        const QSignalBlocker quiet(view_->horizontalHeader());
        const HistoryOrder& sorted = model_->order();
        view_->horizontalHeader()->setSortIndicator(HistoryReport::columnOf(sorted.column),
                                                    sorted.ascending ? Qt::AscendingOrder
                                                                     : Qt::DescendingOrder);
        return;
    }
    model_->sort(column, order);
    view_->scrollToTop();
}

bool PageHistoryWindow::exportTo(const ExportSettings& settings)
{
    QString error;
    const bool written = TsvExport::write(
        settings,
        [this](const TsvExport::RowSink& take) {
            return model_->forEach([&take](const PageHistoryEntry& entry) {
                return take(HistoryReport::texts(entry));
            });
        },
        &error);
    if (written)
        return true;
    MessageBox::warning(this, HistoryReport::exportFailureText());
    return false;
}

std::optional<QList<ReportRow>> PageHistoryWindow::printedRows(bool selectedOnly)
{
    QList<ReportRow> rows;
    auto add = [&rows](const PageHistoryEntry& entry) {
        const QStringList texts = HistoryReport::texts(entry);
        rows.append({entry.id, texts, texts, {}});
        return true;
    };
    if (!selectedOnly)
        return model_->forEach(add) ? std::optional(rows) : std::nullopt;
    QModelIndexList selected = view_->selectionModel()->selectedRows();
    std::ranges::sort(selected, {}, &QModelIndex::row);
    for (const QModelIndex& index : selected)
        add(model_->entry(index.row()));
    return rows;
}

bool PageHistoryWindow::print(const PrintSettings& settings)
{
    const std::optional<QList<ReportRow>> rows = printedRows(settings.selectedOnly);
    if (!rows) {
        MessageBox::warning(this, model_->problem().isEmpty()
                                      ? tr("The page history could not be read.")
                                      : model_->problem());
        return false;
    }
    PrintTable table;
    Report::fillPrintTable(table, settings.header, HistoryReport::columnTitles(),
                           settings.chosenColumns(), *rows);
    const QString problem = TablePrinter::print(table, settings);
    if (problem.isEmpty())
        return true;
    MessageBox::warning(this, problem);
    return false;
}

void PageHistoryWindow::exportPressed()
{
    ExportDialog dialog(HistoryReport::exportTitle(), HistoryReport::columnTitles(), this);
    dialog_ = &dialog;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog_ = nullptr;
    if (accepted)
        exportTo(dialog.settings());
}

void PageHistoryWindow::printPressed()
{
    const bool hasSelection = view_->selectionModel()->hasSelection();
    PrintOptionsDialog dialog(
        HistoryReport::printHeader(), HistoryReport::columnTitles(), hasSelection,
        [this](PrintTable& table, const PrintSettings& settings) {
            Report::fillPrintTable(table, settings.header, HistoryReport::columnTitles(),
                                   settings.chosenColumns(),
                                   printedRows(settings.selectedOnly).value_or(QList<ReportRow>{}));
        },
        this);
    dialog_ = &dialog;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog_ = nullptr;
    if (accepted)
        print(dialog.settings());
}

void PageHistoryWindow::closeEvent(QCloseEvent* event)
{
    // A dialog still up is answered Cancel; its caller then finds nothing to do.
    if (dialog_)
        dialog_->reject();
    QWidget::closeEvent(event);
}
