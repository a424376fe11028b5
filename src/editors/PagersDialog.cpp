#include "PagersDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "MessageBox.h"
#include "RecipientPickList.h"
#include "RecordEditing.h"
#include "UnitTextValidator.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
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
    : QDialog(parent)
    , database_(database)
    , testPage_(std::move(testPage))
    , list_(new QListWidget)
    , name_(new QLineEdit)
    , capcode_(new QLineEdit)
    , localId_(new QLineEdit)
    , type_(new QComboBox)
    , duplicates_(new QLabel)
    , test_(new QPushButton(tr("&Test")))
    , new_(new QPushButton(tr("&New")))
    , delete_(new QPushButton(tr("De&lete")))
    , save_(new QPushButton(tr("&Save")))
{
    setWindowTitle(tr("Pagers"));
    auto* close = new QPushButton(tr("&Close"));
    close->setAutoDefault(false);
    for (QPushButton* button : {test_, new_, delete_, save_})
        button->setAutoDefault(false);

    name_->setMaxLength(RecordEditing::MaxNameLength);
    UnitTextValidator::guard(name_);
    // Typing stops at the limits; a suggested local ID may still be longer, and Save says so.
    capcode_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(CapcodeDigits)), capcode_));
    const int idDigits = RecordEditing::localIdLength(database_.image());
    localId_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(idDigits)), localId_));
    type_->addItems({tr("Beeper"), tr("Numeric"), tr("Alpha Numeric"), tr("Coaster"), tr("Voice"),
                     tr("Group Tone")});

    auto* fields = new QFormLayout;
    fields->addRow(tr("Name"), name_);
    fields->addRow(tr("Cap Code"), capcode_);
    fields->addRow(tr("Local ID"), localId_);
    fields->addRow(tr("Receiver Type"), type_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {test_, new_, delete_, save_, close})
        buttons->addWidget(button);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    duplicates_->setWordWrap(true);
    duplicates_->setTextFormat(Qt::PlainText);
    right->addWidget(duplicates_);
    right->addStretch();
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    list_->setMinimumWidth(180);
    layout->addWidget(list_);
    layout->addLayout(right, 1);

    connect(list_, &QListWidget::itemSelectionChanged, this, &PagersDialog::showSelected);
    list_->installEventFilter(this);
    for (QLineEdit* field : {name_, capcode_, localId_})
        connect(field, &QLineEdit::textEdited, this, &PagersDialog::markEdited);
    connect(type_, &QComboBox::activated, this, &PagersDialog::receiverTypeChosen);
    connect(new_, &QPushButton::clicked, this, &PagersDialog::newPager);
    connect(save_, &QPushButton::clicked, this, &PagersDialog::save);
    connect(delete_, &QPushButton::clicked, this, &PagersDialog::deleteSelected);
    connect(test_, &QPushButton::clicked, this, &PagersDialog::testSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    new_->setEnabled(true);
    save_->setEnabled(false);
    delete_->setEnabled(false);
    test_->setEnabled(false);
    setFieldsEnabled(false);
    fillList(std::nullopt);
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    showSelected();
}

bool PagersDialog::isVoiceType(int type)
{
    return type == PagerRecord::Voice || type == PagerRecord::GroupTone;
}

void PagersDialog::fillList(std::optional<uint16_t> select)
{
    RecipientPickList::Options options;
    options.groups = false;
    options.sortByText = true;
    RecipientPickList::fill(list_, database_.image(), database_.names(), options);
    showDuplicates();
    if (select) {
        const QSignalBlocker quiet(list_);
        RecipientPickList::select(list_, *select);
    }
}

// A file or the unit may give one local ID to several records; the lists show one of them, and
// the user reaches the others only by renumbering or deleting that one.
void PagersDialog::showDuplicates()
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

void PagersDialog::setFieldsEnabled(bool enabled)
{
    for (QWidget* field : {static_cast<QWidget*>(name_), static_cast<QWidget*>(capcode_),
                           static_cast<QWidget*>(localId_), static_cast<QWidget*>(type_)})
        field->setEnabled(enabled);
}

void PagersDialog::setReceiverType(int type)
{
    const QSignalBlocker quiet(type_);
    type_->setCurrentIndex(type);
}

void PagersDialog::showSelected()
{
    // A confirmed voice warning was for the pager shown until now.
    removeFromGroups_ = false;
    save_->setEnabled(false);
    const auto id = RecipientPickList::selectedLocalId(list_);
    if (!id) {
        shownLocalId_ = 1;
        shownCapcode_ = ConfigurationImage::MinCapcode;
        localId_->setText(QString::number(shownLocalId_));
        capcode_->setText(QString::number(shownCapcode_));
        test_->setEnabled(false);
        return;
    }
    ConfigurationImage& image = database_.image();
    const auto slot = image.findPager(*id);
    if (!slot)
        return;
    const PagerRecord pager = image.pager(*slot);
    shownLocalId_ = pager.localId();
    shownCapcode_ = pager.capcode();
    localId_->setText(QString::number(shownLocalId_));
    capcode_->setText(QString::number(shownCapcode_));
    setReceiverType(pager.receiverType());
    rememberedType_ = pager.receiverType();
    name_->setText(database_.names().name(*id));
    setFieldsEnabled(true);
    delete_->setEnabled(true);
    test_->setEnabled(true);
    // Unsaved edits of the pager shown before are given up with it.
    if (!pendingSlot_) {
        edited_ = false;
        new_->setEnabled(true);
    }
}

void PagersDialog::markEdited()
{
    save_->setEnabled(true);
    edited_ = true;
    new_->setEnabled(false);
}

void PagersDialog::newPager()
{
    if (pendingSlot_)
        return;
    ConfigurationImage& image = database_.image();
    if (image.countPagers() >= ConfigurationImage::PagerCount) {
        MessageBox::beep();
        MessageBox::message(this,
                            tr("Maximum pagers allowed is %1").arg(ConfigurationImage::PagerCount));
        return;
    }
    localId_->setText(QString::number(RecordEditing::suggestedLocalId(image, shownLocalId_)));
    const uint32_t capcode =
        shownCapcode_ < ConfigurationImage::MinCapcode || shownCapcode_ > (1u << 21)
            ? ConfigurationImage::MinCapcode
            : shownCapcode_;
    capcode_->setText(QString::number(capcode));
    name_->clear();
    if (list_->count() == 0)
        setReceiverType(PagerRecord::Beeper);
    // Cancel in the voice warning returns to the type shown now.
    rememberedType_ = type_->currentIndex();
    removeFromGroups_ = false;
    pendingSlot_ = image.findPager(ConfigurationImage::NoLocalId);
    edited_ = true;
    new_->setEnabled(false);
    delete_->setEnabled(false);
    save_->setEnabled(true);
    // Test pages the list's selection; with none there is nobody to page.
    test_->setEnabled(RecipientPickList::selectedLocalId(list_).has_value());
    setFieldsEnabled(true);
    name_->deselect();
    name_->setFocus();
}

void PagersDialog::save()
{
    const auto remembered = RecipientPickList::selectedLocalId(list_);
    ConfigurationImage& image = database_.image();
    DataExchange exchange(this);
    const auto nameText = exchange.text(name_, RecordEditing::MaxNameLength);
    const auto capcodeText = exchange.text(capcode_, CapcodeDigits);
    if (exchange.refused() || !RecordEditing::checkLength(exchange, localId_, image,
                                                          pendingSlot_ ? std::nullopt : remembered))
        return;
    const QString name = RecordEditing::trimmedRight(*nameText);
    if (!RecordEditing::checkName(this, name_, name))
        return;
    const auto newId = RecordEditing::checkLocalId(this, localId_);
    if (!newId)
        return;
    const uint32_t capcode = capcodeText->toUInt();
    if (!ConfigurationImage::isValidCapcode(capcode)) {
        MessageBox::message(this, tr("Please enter a valid Cap Code"));
        capcode_->setFocus();
        return;
    }

    std::optional<int> target;
    if (!RecordEditing::claimSlot(this, localId_, image, &ConfigurationImage::findPager,
                                  pendingSlot_, remembered, *newId, target))
        return;
    if (target) {
        PagerRecord pager = image.pager(*target);
        pager.setLocalId(*newId);
        pager.setCapcode(capcode);
        // A stored type that no entry stands for shows none, and stays as it is.
        if (type_->currentIndex() >= 0)
            pager.setReceiverType(type_->currentIndex());
        database_.names().setName(*newId, name);
    }
    if (removeFromGroups_) {
        image.removeFromAllGroups(*newId);
        removeFromGroups_ = false;
    }
    database_.markModified();
    fillList(*newId);
    edited_ = false;
    showSelected();
    new_->setEnabled(true);
}

// Delete takes the entry the list selects; what the fields hold has no say in it.
void PagersDialog::deleteSelected()
{
    const auto id = RecipientPickList::selectedLocalId(list_);
    if (!id)
        return;
    const int row = list_->currentRow();
    database_.names().remove(*id);
    database_.image().deleteLocalId(*id);
    database_.markModified();
    edited_ = false;
    removeFromGroups_ = false;
    new_->setEnabled(true);
    fillList(std::nullopt);
    if (list_->count() == 0) {
        delete_->setEnabled(false);
        save_->setEnabled(false);
        test_->setEnabled(false);
        setFieldsEnabled(false);
        return;
    }
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(std::min(row, list_->count() - 1));
    }
    showSelected();
}

void PagersDialog::testSelected()
{
    if (const auto id = RecipientPickList::selectedLocalId(list_))
        testPage_(*id);
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

void PagersDialog::dropPendingNew()
{
    if (!edited_ || !pendingSlot_)
        return;
    pendingSlot_.reset();
    edited_ = false;
    new_->setEnabled(true);
    save_->setEnabled(false);
    test_->setEnabled(false);
    setFieldsEnabled(false);
    // Back to the pager the list selects, so that the fields show only what Save would write.
    showSelected();
}

bool PagersDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::FocusIn)
        dropPendingNew();
    return QDialog::eventFilter(watched, event);
}

void PagersDialog::done(int result)
{
    if (pendingSlot_)
        database_.image().clearPager(*std::exchange(pendingSlot_, std::nullopt));
    {
        const QSignalBlocker quiet(list_);
        list_->clearSelection();
    }
    QDialog::done(result);
}
