#include "MembersDialog.h"

#include "MessageBox.h"
#include "RecipientPickList.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

MembersDialog::MembersDialog(const QString& groupName, QListWidget* groupMembers,
                             QListWidget* candidates, QWidget* parent)
    : QDialog(parent)
    , groupMembers_(groupMembers)
    , candidates_(candidates)
    , notInGroup_(new QListWidget)
    , inGroup_(new QListWidget)
    , add_(new QPushButton)
    , remove_(new QPushButton)
{
    setWindowTitle(tr("Members of: %1").arg(groupName));
    add_->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    add_->setToolTip(tr("Add to the group"));
    remove_->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    remove_->setToolTip(tr("Remove from the group"));
    for (QPushButton* button : {add_, remove_})
        button->setAutoDefault(false);

    auto* notInLabel = new QLabel(tr("&Members not in group"));
    notInLabel->setBuddy(notInGroup_);
    auto* inLabel = new QLabel(tr("Members in &group"));
    inLabel->setBuddy(inGroup_);
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(add_);
    arrows->addWidget(remove_);
    arrows->addStretch();
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    auto* grid = new QGridLayout(this);
    grid->addWidget(notInLabel, 0, 0);
    grid->addWidget(inLabel, 0, 2);
    grid->addWidget(notInGroup_, 1, 0);
    grid->addLayout(arrows, 1, 1);
    grid->addWidget(inGroup_, 1, 2);
    grid->addWidget(buttons, 2, 0, 1, 3);

    for (QListWidget* list : {notInGroup_, inGroup_}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setMinimumWidth(200);
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemSelectionChanged, this, &MembersDialog::updateButtons);
    }
    connect(notInGroup_, &QListWidget::itemDoubleClicked, this, &MembersDialog::addSelected);
    connect(inGroup_, &QListWidget::itemDoubleClicked, this, &MembersDialog::removeSelected);
    connect(add_, &QPushButton::clicked, this, [this] {
        addSelected();
        inGroup_->setFocus();
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        removeSelected();
        inGroup_->setFocus();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &MembersDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MembersDialog::reject);

    copyEntries(groupMembers_, inGroup_);
    copyEntries(candidates_, notInGroup_);
    QListWidget* first = notInGroup_->count() > 0 ? notInGroup_ : inGroup_;
    first->setFocus();
    if (first->count() > 0)
        first->setCurrentRow(0);
    updateButtons();
}

void MembersDialog::copyEntries(const QListWidget* from, QListWidget* to)
{
    RecipientPickList::fill(to, RecipientPickList::entriesOf(from));
}

void MembersDialog::updateButtons()
{
    add_->setEnabled(!notInGroup_->selectedItems().isEmpty());
    remove_->setEnabled(!inGroup_->selectedItems().isEmpty());
}

void MembersDialog::move(QListWidget* source, QListWidget* target)
{
    // Each selected entry in turn goes to the top, so the last of them ends up first.
    target->clearSelection();
    for (int row = 0; row < source->count();) {
        if (!source->item(row)->isSelected()) {
            ++row;
            continue;
        }
        QListWidgetItem* item = source->takeItem(row);
        target->insertItem(0, item);
        item->setSelected(false);
    }
}

void MembersDialog::addSelected()
{
    const auto chosen = notInGroup_->selectedItems().size();
    if (chosen == 0)
        return;
    if (chosen + inGroup_->count() > MaxMembers) {
        MessageBox::beep();
        MessageBox::message(this, tr("Maximum group members allowed is %1").arg(MaxMembers));
        return;
    }
    move(notInGroup_, inGroup_);
    updateButtons();
}

void MembersDialog::removeSelected()
{
    move(inGroup_, notInGroup_);
    updateButtons();
}

void MembersDialog::beginDrag(QListWidget* source)
{
    if (source->selectedItems().isEmpty())
        return;
    dragSource_ = source;
    source->viewport()->grabMouse();
}

void MembersDialog::endDragOver(QWidget* target)
{
    QListWidget* source = std::exchange(dragSource_, nullptr);
    if (!source)
        return;
    source->viewport()->releaseMouse();
    source->viewport()->unsetCursor();
    QListWidget* over = listOf(target);
    if (source == notInGroup_ && over == inGroup_)
        addSelected();
    else if (source == inGroup_ && over == notInGroup_)
        removeSelected();
}

QListWidget* MembersDialog::listOf(QObject* object) const
{
    for (; object; object = object->parent()) {
        if (object == notInGroup_)
            return notInGroup_;
        if (object == inGroup_)
            return inGroup_;
    }
    return nullptr;
}

bool MembersDialog::eventFilter(QObject* watched, QEvent* event)
{
    QListWidget* list = listOf(watched);
    if (!list)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        pressed_ = mouse->button() == Qt::LeftButton;
        pressPosition_ = mouse->position().toPoint();
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragSource_ && pressed_ &&
            (mouse->position().toPoint() - pressPosition_).manhattanLength() >=
                QApplication::startDragDistance()) {
            // The press selected the entry under the pointer; from here on the drag has it.
            beginDrag(list);
        }
        if (dragSource_) {
            const bool several = dragSource_->selectedItems().size() > 1;
            const bool overList = listOf(QApplication::widgetAt(mouse->globalPosition().toPoint()));
            dragSource_->viewport()->setCursor(
                overList ? (several ? Qt::DragCopyCursor : Qt::DragMoveCursor)
                         : Qt::ForbiddenCursor);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        pressed_ = false;
        if (dragSource_) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            endDragOver(QApplication::widgetAt(mouse->globalPosition().toPoint()));
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void MembersDialog::accept()
{
    // The Groups dialog's lists are alphabetical, as the members are stored.
    for (auto [from, to] :
         {std::pair{inGroup_, groupMembers_}, std::pair{notInGroup_, candidates_}}) {
        auto entries = RecipientPickList::entriesOf(from);
        RecipientPickList::sortByText(entries);
        RecipientPickList::fill(to, entries);
    }
    QDialog::accept();
}
