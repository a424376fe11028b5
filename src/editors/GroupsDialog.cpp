#include "GroupsDialog.h"

#include "Database.h"
#include "MembersDialog.h"
#include "MessageBox.h"
#include "ModalRunner.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

GroupsDialog::GroupsDialog(Database& database, TestPage testPage, QWidget* parent)
    : RecordListEditor(database, std::move(testPage), &ConfigurationImage::findGroup, parent)
    , members_(new QListWidget)
    , candidates_(new QListWidget(this))
    , edit_(new QPushButton(tr("&Edit")))
    , rotary_(new QCheckBox(tr("&Rotary Group")))
{
    setWindowTitle(tr("Groups"));
    // The Members dialog's source of candidates; never shown.
    candidates_->hide();
    edit_->setAutoDefault(false);
    members_->setSelectionMode(QAbstractItemView::NoSelection);
    connect(rotary_, &QCheckBox::clicked, this, &GroupsDialog::markEdited);
    connect(edit_, &QPushButton::clicked, this, &GroupsDialog::editMembers);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Name"), nameField());
    fields->addRow(tr("Local ID"), localIdField());
    fields->addRow(QString(), rotary_);
    auto* membersHeader = new QHBoxLayout;
    membersHeader->addWidget(new QLabel(tr("Members")));
    membersHeader->addStretch();
    membersHeader->addWidget(edit_);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addLayout(membersHeader);
    right->addWidget(members_, 1);
    start(right, {rotary_, members_, edit_});
}

RecipientPickList::Options GroupsDialog::listOptions() const
{
    RecipientPickList::Options options;
    options.pagers = false;
    options.sortByText = true;
    return options;
}

QString GroupsDialog::tableFullMessage() const
{
    if (database_.image().countGroups() < ConfigurationImage::GroupCount)
        return {};
    return tr("Maximum groups allowed is %1").arg(ConfigurationImage::GroupCount);
}

void GroupsDialog::fillMembers(std::optional<int> groupSlot)
{
    QList<RecipientPickList::Entry> entries;
    if (groupSlot) {
        for (const uint16_t id : database_.image().members(*groupSlot))
            entries.append({RecipientPickList::displayText(database_.names(), id), id});
    }
    RecipientPickList::sortByText(entries);
    RecipientPickList::fill(members_, entries);
}

void GroupsDialog::fillCandidates(std::optional<int> groupSlot)
{
    const ConfigurationImage& image = database_.image();
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

void GroupsDialog::showRecord(int slot)
{
    rotary_->setChecked(database_.image().group(slot).isRotary());
    fillMembers(slot);
    fillCandidates(slot);
}

void GroupsDialog::clearRecord()
{
    fillMembers(std::nullopt);
}

void GroupsDialog::prepareNew()
{
    fillCandidates(std::nullopt);
    fillMembers(std::nullopt);
}

bool GroupsDialog::checkFields()
{
    if (members_->count() > 0)
        return true;
    MessageBox::message(this, tr("You have not assigned any members to this Group\nPlease "
                                 "add at least one member"));
    localIdField()->setFocus();
    return false;
}

void GroupsDialog::writeRecord(int slot, uint16_t localId)
{
    ConfigurationImage& image = database_.image();
    GroupRecord group = image.group(slot);
    group.setLocalId(localId);
    group.setRotary(rotary_->isChecked());
    image.clearGroupMembers(slot);
    for (int row = 0; row < members_->count() && row < GroupRecord::MemberCount; ++row)
        group.setMember(row, RecipientPickList::localIdOf(members_->item(row)));
}

void GroupsDialog::clearSlot(int slot)
{
    database_.image().clearGroup(slot);
}

void GroupsDialog::editMembers()
{
    const QList<QListWidgetItem*> selected = list()->selectedItems();
    MembersDialog members(selected.isEmpty() ? QString() : selected.first()->text(), members_,
                          candidates_, this);
    if (ModalRunner::run(members) == QDialog::Accepted)
        markEdited();
}
