#include "GroupsDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "MembersDialog.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "RecipientPickList.h"
#include "RecordEditing.h"
#include "UnitTextValidator.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

GroupsDialog::GroupsDialog(Database& database, TestPage testPage, QWidget* parent)
    : QDialog(parent)
    , database_(database)
    , testPage_(std::move(testPage))
    , list_(new QListWidget)
    , name_(new QLineEdit)
    , localId_(new QLineEdit)
    , members_(new QListWidget)
    , candidates_(new QListWidget(this))
    , edit_(new QPushButton(tr("&Edit")))
    , rotary_(new QCheckBox(tr("&Rotary Group")))
    , test_(new QPushButton(tr("&Test")))
    , new_(new QPushButton(tr("&New")))
    , delete_(new QPushButton(tr("De&lete")))
    , save_(new QPushButton(tr("&Save")))
{
    setWindowTitle(tr("Groups"));
    // The Members dialog's source of candidates; never shown.
    candidates_->hide();
    auto* close = new QPushButton(tr("&Close"));
    for (QPushButton* button : {edit_, test_, new_, delete_, save_, close})
        button->setAutoDefault(false);
    name_->setMaxLength(RecordEditing::MaxNameLength);
    UnitTextValidator::guard(name_);
    const int idDigits = RecordEditing::localIdLength(database_.image());
    localId_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(idDigits)), localId_));
    members_->setSelectionMode(QAbstractItemView::NoSelection);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Name"), name_);
    fields->addRow(tr("Local ID"), localId_);
    fields->addRow(QString(), rotary_);
    auto* membersHeader = new QHBoxLayout;
    membersHeader->addWidget(new QLabel(tr("Members")));
    membersHeader->addStretch();
    membersHeader->addWidget(edit_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {test_, new_, delete_, save_, close})
        buttons->addWidget(button);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addLayout(membersHeader);
    right->addWidget(members_, 1);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    list_->setMinimumWidth(180);
    layout->addWidget(list_);
    layout->addLayout(right, 1);

    connect(list_, &QListWidget::itemSelectionChanged, this, &GroupsDialog::showSelected);
    list_->installEventFilter(this);
    for (QLineEdit* field : {name_, localId_})
        connect(field, &QLineEdit::textEdited, this, &GroupsDialog::markEdited);
    connect(rotary_, &QCheckBox::clicked, this, &GroupsDialog::markEdited);
    connect(edit_, &QPushButton::clicked, this, &GroupsDialog::editMembers);
    connect(new_, &QPushButton::clicked, this, &GroupsDialog::newGroup);
    connect(save_, &QPushButton::clicked, this, &GroupsDialog::save);
    connect(delete_, &QPushButton::clicked, this, &GroupsDialog::deleteSelected);
    connect(test_, &QPushButton::clicked, this, &GroupsDialog::testSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    new_->setEnabled(true);
    showNothing();
    fillList(std::nullopt);
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
        showSelected();
    }
}

void GroupsDialog::fillList(std::optional<uint16_t> select)
{
    RecipientPickList::Options options;
    options.pagers = false;
    options.sortByText = true;
    RecipientPickList::fill(list_, database_.image(), database_.names(), options);
    if (select) {
        const QSignalBlocker quiet(list_);
        RecipientPickList::select(list_, *select);
    }
}

void GroupsDialog::setGroupControlsEnabled(bool enabled)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{localId_, name_, rotary_, members_, edit_})
        control->setEnabled(enabled);
}

void GroupsDialog::showNothing()
{
    save_->setEnabled(false);
    delete_->setEnabled(false);
    test_->setEnabled(false);
    setGroupControlsEnabled(false);
}

void GroupsDialog::fillMembers(std::optional<int> groupSlot)
{
    ConfigurationImage& image = database_.image();
    QList<RecipientPickList::Entry> entries;
    if (groupSlot) {
        for (uint16_t id = image.firstMember(*groupSlot); id != ConfigurationImage::NoLocalId;
             id = image.nextMember())
            entries.append({RecipientPickList::displayText(database_.names(), id), id});
    }
    RecipientPickList::sortByText(entries);
    RecipientPickList::fill(members_, entries);
}

void GroupsDialog::fillCandidates(std::optional<int> groupSlot)
{
    ConfigurationImage& image = database_.image();
    RecipientPickList::Options options;
    options.sortByText = true;
    // No voice pager, no member already in, and no group that would make the membership loop;
    // a group not yet saved belongs to none, so every saved group may join it.
    options.accept = [&image, groupSlot](uint16_t id) {
        if (const auto pager = image.findPager(id)) {
            const int type = image.pager(*pager).receiverType();
            return type != PagerRecord::Voice && type != PagerRecord::GroupTone &&
                   !image.groupHasMember(groupSlot, id);
        }
        const auto group = image.findGroup(id);
        return group && (!groupSlot || !image.groupsRelated(*group, groupSlot));
    };
    RecipientPickList::fill(candidates_, image, database_.names(), options);
}

void GroupsDialog::showSelected()
{
    save_->setEnabled(false);
    const auto id = RecipientPickList::selectedLocalId(list_);
    const auto slot = id ? database_.image().findGroup(*id) : std::nullopt;
    if (!slot)
        return;
    shownLocalId_ = *id;
    name_->setText(database_.names().name(*id));
    localId_->setText(QString::number(*id));
    rotary_->setChecked(database_.image().group(*slot).isRotary());
    fillMembers(slot);
    fillCandidates(slot);
    setGroupControlsEnabled(true);
    delete_->setEnabled(true);
    test_->setEnabled(true);
    // Unsaved edits of the group shown before are given up with it.
    if (!pendingSlot_) {
        edited_ = false;
        new_->setEnabled(true);
    }
}

void GroupsDialog::markEdited()
{
    save_->setEnabled(true);
    edited_ = true;
    new_->setEnabled(false);
}

void GroupsDialog::newGroup()
{
    if (pendingSlot_)
        return;
    ConfigurationImage& image = database_.image();
    if (image.countGroups() >= ConfigurationImage::GroupCount) {
        MessageBox::beep();
        MessageBox::message(this,
                            tr("Maximum groups allowed is %1").arg(ConfigurationImage::GroupCount));
        return;
    }
    localId_->setText(QString::number(RecordEditing::suggestedLocalId(image, shownLocalId_)));
    name_->clear();
    pendingSlot_ = image.findGroup(ConfigurationImage::NoLocalId);
    fillCandidates(std::nullopt);
    fillMembers(std::nullopt);
    edited_ = true;
    new_->setEnabled(false);
    delete_->setEnabled(false);
    save_->setEnabled(true);
    setGroupControlsEnabled(true);
    name_->setFocus();
}

void GroupsDialog::save()
{
    const auto remembered = RecipientPickList::selectedLocalId(list_);
    ConfigurationImage& image = database_.image();
    DataExchange exchange(this);
    const auto nameText = exchange.text(name_, RecordEditing::MaxNameLength);
    if (exchange.refused() || !RecordEditing::checkLength(exchange, localId_, image,
                                                          pendingSlot_ ? std::nullopt : remembered))
        return;
    const QString name = RecordEditing::trimmedRight(*nameText);
    if (!RecordEditing::checkName(this, name_, name))
        return;
    const auto newId = RecordEditing::checkLocalId(this, localId_);
    if (!newId)
        return;
    if (members_->count() == 0) {
        MessageBox::message(this, tr("You have not assigned any members to this Group\nPlease "
                                     "add at least one member"));
        localId_->setFocus();
        return;
    }

    std::optional<int> target;
    if (!RecordEditing::claimSlot(this, localId_, image, &ConfigurationImage::findGroup,
                                  pendingSlot_, remembered, *newId, target))
        return;
    if (target) {
        GroupRecord group = image.group(*target);
        group.setLocalId(*newId);
        group.setRotary(rotary_->isChecked());
        image.clearGroupMembers(*target);
        for (int row = 0; row < members_->count() && row < GroupRecord::MemberCount; ++row)
            group.setMember(row, RecipientPickList::localIdOf(members_->item(row)));
        database_.names().setName(*newId, name);
    }
    database_.markModified();
    fillList(*newId);
    edited_ = false;
    showSelected();
    new_->setEnabled(true);
}

// Delete takes the entry the list selects; what the fields hold has no say in it.
void GroupsDialog::deleteSelected()
{
    const auto id = RecipientPickList::selectedLocalId(list_);
    if (!id)
        return;
    const int row = list_->currentRow();
    database_.names().remove(*id);
    database_.image().deleteLocalId(*id);
    database_.markModified();
    edited_ = false;
    new_->setEnabled(true);
    fillList(std::nullopt);
    if (list_->count() == 0) {
        fillMembers(std::nullopt);
        showNothing();
        return;
    }
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(std::min(row, list_->count() - 1));
    }
    showSelected();
}

void GroupsDialog::testSelected()
{
    if (const auto id = RecipientPickList::selectedLocalId(list_))
        testPage_(*id);
}

void GroupsDialog::editMembers()
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    MembersDialog members(selected.isEmpty() ? QString() : selected.first()->text(), members_,
                          candidates_, this);
    if (ModalRunner::run(members) == QDialog::Accepted)
        markEdited();
}

void GroupsDialog::dropPendingNew()
{
    if (!edited_ || !pendingSlot_)
        return;
    pendingSlot_.reset();
    edited_ = false;
    new_->setEnabled(true);
    showNothing();
    // Back to the group the list selects: Save must never write the abandoned new group's
    // number and members over it.
    showSelected();
}

bool GroupsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::FocusIn)
        dropPendingNew();
    return QDialog::eventFilter(watched, event);
}

void GroupsDialog::done(int result)
{
    if (pendingSlot_)
        database_.image().clearGroup(*std::exchange(pendingSlot_, std::nullopt));
    QDialog::done(result);
}
