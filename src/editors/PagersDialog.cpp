#include "PagersDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "MessageBox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
constexpr int CapcodeDigits = 7;
} // namespace

PagersDialog::PagersDialog(Database& database, TestPage testPage, QWidget* parent)
    : RecordListEditor(database, std::move(testPage), &ConfigurationImage::findPager, parent)
    , capcode_(new QLineEdit)
    , type_(new QComboBox)
    , duplicates_(new QLabel)
{
    setWindowTitle(tr("Pagers"));
    capcode_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(CapcodeDigits)), capcode_));
    type_->addItems({tr("Beeper"), tr("Numeric"), tr("Alpha Numeric"), tr("Coaster"), tr("Voice"),
                     tr("Group Tone")});
    watchEdits(capcode_);
    connect(type_, &QComboBox::activated, this, &PagersDialog::receiverTypeChosen);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Name"), nameField());
    fields->addRow(tr("Cap Code"), capcode_);
    fields->addRow(tr("Local ID"), localIdField());
    fields->addRow(tr("Receiver Type"), type_);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    duplicates_->setWordWrap(true);
    duplicates_->setTextFormat(Qt::PlainText);
    right->addWidget(duplicates_);
    right->addStretch();
    start(right, {capcode_, type_});
}

bool PagersDialog::isVoiceType(int type)
{
    return type == PagerRecord::Voice || type == PagerRecord::GroupTone;
}

RecipientPickList::Options PagersDialog::listOptions() const
{
    RecipientPickList::Options options;
    options.groups = false;
    options.sortByText = true;
    return options;
}

QString PagersDialog::tableFullMessage() const
{
    if (database_.image().countPagers() < ConfigurationImage::PagerCount)
        return {};
    return tr("Maximum pagers allowed is %1").arg(ConfigurationImage::PagerCount);
}

// A file or the unit may give one local ID to several records; the lists show one of them, and
// the user reaches the others only by renumbering or deleting that one.
void PagersDialog::listFilled()
{
    constexpr size_t MaxNamed = 10;
    const std::vector<uint16_t> duplicated = database_.image().duplicatedLocalIds();
    QStringList ids;
    for (size_t i = 0; i < duplicated.size() && i < MaxNamed; ++i)
        ids << QString::number(duplicated[i]);
    if (duplicated.size() > MaxNamed)
        ids << QStringLiteral("...");
    duplicates_->setText(tr("More than one pager or group holds each of these local IDs: %1.\n"
                            "The list shows one of each; renumber or delete it to reach the "
                            "other.")
                             .arg(ids.join(QStringLiteral(", "))));
    duplicates_->setHidden(duplicated.empty());
}

void PagersDialog::setReceiverType(int type)
{
    const QSignalBlocker quiet(type_);
    type_->setCurrentIndex(type);
}

void PagersDialog::showRecord(int slot)
{
    // A confirmed voice warning was for the pager shown until now.
    removeFromGroups_ = false;
    const PagerRecord pager = database_.image().pager(slot);
    shownCapcode_ = pager.capcode();
    capcode_->setText(QString::number(shownCapcode_));
    setReceiverType(pager.receiverType());
    rememberedType_ = pager.receiverType();
}

void PagersDialog::showNoRecord()
{
    removeFromGroups_ = false;
    shownLocalId_ = 1;
    shownCapcode_ = ConfigurationImage::MinCapcode;
    localIdField()->setText(QString::number(shownLocalId_));
    capcode_->setText(QString::number(shownCapcode_));
    testButton()->setEnabled(false);
}

void PagersDialog::clearRecord()
{
    removeFromGroups_ = false;
}

void PagersDialog::prepareNew()
{
    const uint32_t capcode =
        shownCapcode_ < ConfigurationImage::MinCapcode || shownCapcode_ > (1u << 21)
            ? ConfigurationImage::MinCapcode
            : shownCapcode_;
    capcode_->setText(QString::number(capcode));
    if (list()->count() == 0)
        setReceiverType(PagerRecord::Beeper);
    // Cancel in the voice warning returns to the type shown now.
    rememberedType_ = type_->currentIndex();
    removeFromGroups_ = false;
}

void PagersDialog::exchangeFields(DataExchange& exchange)
{
    capcodeText_ = exchange.text(capcode_, CapcodeDigits);
}

bool PagersDialog::checkFields()
{
    if (ConfigurationImage::isValidCapcode(capcodeText_->toUInt()))
        return true;
    MessageBox::message(this, tr("Please enter a valid Cap Code"));
    capcode_->setFocus();
    return false;
}

void PagersDialog::writeRecord(int slot, uint16_t localId)
{
    PagerRecord pager = database_.image().pager(slot);
    pager.setLocalId(localId);
    pager.setCapcode(capcodeText_->toUInt());
    // A stored type that no entry stands for shows none, and stays as it is.
    if (type_->currentIndex() >= 0)
        pager.setReceiverType(type_->currentIndex());
}

void PagersDialog::recordSaved(uint16_t localId)
{
    if (removeFromGroups_) {
        database_.image().removeFromAllGroups(localId);
        removeFromGroups_ = false;
    }
}

void PagersDialog::clearSlot(int slot)
{
    database_.image().clearPager(slot);
}

void PagersDialog::receiverTypeChosen(int type)
{
    markEdited();
    if (isVoiceType(type) && !isVoiceType(rememberedType_)) {
        const auto answer = MessageBox::warning(
            this,
            tr("Changing from a pocsag to voice type will cause the pager\n to be removed from "
               "all groups.  \n\nNOTE: Voice pagers cannot be assigned to groups. \n As an "
               "alternative, assign a GroupTone capcode for \n transmission to multiple voice "
               "pagers."),
            QMessageBox::Ok | QMessageBox::Cancel, tr("WARNING"));
        if (answer == QMessageBox::Ok) {
            removeFromGroups_ = true;
            return;
        }
        setReceiverType(rememberedType_);
    }
    removeFromGroups_ = false;
}
