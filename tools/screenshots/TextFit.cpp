#include "TextFit.h"

#include "PictureButton.h"
#include "WindowPlacement.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace TextFit {

namespace {

// As drawn: the underlined mnemonic letter is a run of its own, so the text on either side of it
// is shaped apart (no kerning across it), and may need more room than the text measured whole.
int textWidth(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(u'\n')) {
        int width = 0;
        QString run;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'&' && i + 1 < line.size()) {
                ++i;
                if (line[i] != u'&') {
                    width += metrics.horizontalAdvance(run) + metrics.horizontalAdvance(line[i]);
                    run.clear();
                    continue;
                }
            }
            run += line[i];
        }
        widest = std::max(widest, width + metrics.horizontalAdvance(run));
    }
    return widest;
}

class Faults {
public:
    explicit Faults(const QWidget& window)
        : window_(window.windowTitle())
    {}

    void check(const QWidget& widget, const QString& text, int needed, int room)
    {
        if (!text.isEmpty() && needed > room)
            list_ << QStringLiteral("%1: %2 \"%3\" needs %4 pixels, has %5")
                         .arg(window_, QString::fromLatin1(widget.metaObject()->className()), text)
                         .arg(needed)
                         .arg(room);
    }
    const QStringList& list() const { return list_; }

private:
    QString window_;
    QStringList list_;
};

void checkHeader(Faults& faults, const QHeaderView& header)
{
    if (header.isHidden())
        return;
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    const int mark = header.style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, &header);
    for (int section = 0; section < header.count(); ++section) {
        if (header.isSectionHidden(section))
            continue;
        const QString title = header.model()->headerData(section, header.orientation()).toString();
        const bool marked =
            header.isSortIndicatorShown() && header.sortIndicatorSection() == section;
        faults.check(header, title,
                     header.fontMetrics().horizontalAdvance(title) + 2 * margin +
                         (marked ? mark + margin : 0),
                     header.sectionSize(section));
    }
}

// Every cell of the first rows against its column; a cell with its text as tooltip may be cut.
void checkCells(Faults& faults, const QAbstractItemView& view, const QHeaderView* header,
                int firstColumnIndent)
{
    const QAbstractItemModel* model = view.model();
    if (!model)
        return;
    const int rows = std::min(model->rowCount(), 200);
    for (int column = 0; column < model->columnCount(); ++column) {
        if (header && header->isSectionHidden(column))
            continue;
        const int room = header ? header->sectionSize(column) : view.viewport()->width();
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = model->index(row, column);
            const QString text = index.data().toString();
            if (index.data(Qt::ToolTipRole).toString() == text)
                continue;
            faults.check(
                view, text,
                view.sizeHintForIndex(index).width() + (column == 0 ? firstColumnIndent : 0), room);
        }
    }
}

void checkWidget(Faults& faults, const QWidget& widget)
{
    const QFontMetrics metrics = widget.fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (!label->wordWrap() && label->textFormat() != Qt::RichText &&
            !Qt::mightBeRichText(label->text()))
            faults.check(widget, label->text(),
                         textWidth(metrics, label->text()) + 2 * label->margin() +
                             std::max(label->indent(), 0),
                         label->contentsRect().width());
    } else if (const auto* picture = qobject_cast<const PictureButton*>(&widget)) {
        faults.check(widget, picture->text(),
                     textWidth(metrics, picture->text()) +
                         (picture->pictureLayout() == PictureButton::IconLeft
                              ? PictureButton::IconSize + 3
                              : 0),
                     picture->width() - 2);
    } else if (qobject_cast<const QCheckBox*>(&widget) ||
               qobject_cast<const QRadioButton*>(&widget)) {
        faults.check(widget, static_cast<const QAbstractButton&>(widget).text(),
                     widget.sizeHint().width(), widget.width());
    } else if (const auto* push = qobject_cast<const QPushButton*>(&widget)) {
        const int iconRoom = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
        faults.check(widget, push->text(), textWidth(metrics, push->text()) + iconRoom + 8,
                     push->width());
    } else if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        faults.check(widget, group->title(), textWidth(metrics, group->title()) + 16,
                     group->width());
    } else if (const auto* tabs = qobject_cast<const QTabBar*>(&widget)) {
        for (int tab = 0; tab < tabs->count(); ++tab) {
            const QRect shown = tabs->tabRect(tab).intersected(tabs->rect());
            faults.check(widget, tabs->tabText(tab), textWidth(metrics, tabs->tabText(tab)) + 8,
                         shown.width());
        }
    } else if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        if (!combo->isEditable())
            faults.check(widget, combo->currentText(),
                         metrics.horizontalAdvance(combo->currentText()) + 28, combo->width());
    } else if (const auto* tree = qobject_cast<const QTreeView*>(&widget)) {
        checkHeader(faults, *tree->header());
        checkCells(faults, *tree, tree->header(),
                   tree->rootIsDecorated() ? tree->indentation() : 0);
    } else if (const auto* table = qobject_cast<const QTableView*>(&widget)) {
        checkHeader(faults, *table->horizontalHeader());
        checkCells(faults, *table, table->horizontalHeader(), 0);
    } else if (const auto* list = qobject_cast<const QListView*>(&widget)) {
        checkCells(faults, *list, nullptr, 0);
    }
}

} // namespace

QStringList cutTexts(const QWidget& window)
{
    Faults faults(window);
    faults.check(window, window.windowTitle(), WindowPlacement::titleWidth(window),
                 std::max(window.frameGeometry().width(), window.width()));
    const QList<QWidget*> children = window.findChildren<QWidget*>();
    for (const QWidget* widget : children)
        if (widget->isVisibleTo(&window) && widget->window() == &window)
            checkWidget(faults, *widget);
    return faults.list();
}

QStringList placementFaults(const QWidget& window)
{
    const QRect area = window.screen()->availableGeometry();
    if (area.contains(window.frameGeometry()))
        return {};
    const QRect frame = window.frameGeometry();
    return {QStringLiteral("%1: frame %2,%3 %4x%5 is not inside the screen's %6,%7 %8x%9")
                .arg(window.windowTitle())
                .arg(frame.x())
                .arg(frame.y())
                .arg(frame.width())
                .arg(frame.height())
                .arg(area.x())
                .arg(area.y())
                .arg(area.width())
                .arg(area.height())};
}

} // namespace TextFit
