#include "RecordListEditor.h"

#include "DataExchange.h"
#include "Database.h"
#include "MessageBox.h"
#include "UnitTextValidator.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

RecordListEditor::RecordListEditor(Database& database, TestPage testPage,
                                   RecordEditing::FindSlot find, QWidget* parent)
    : QDialog(parent)
    , database_(database)
    , testPage_(std::move(testPage))
    , find_(find)
    , list_(new QListWidget)
    , name_(new QLineEdit)
    , localId_(new QLineEdit)
    , test_(new QPushButton(tr("&Test")))
    , new_(new QPushButton(tr("&New")))
    , delete_(new QPushButton(tr("De&lete")))
    , save_(new QPushButton(tr("&Save")))
{
    name_->setMaxLength(RecordEditing::MaxNameLength);
    UnitTextValidator::guard(name_);
    // Typing stops at the limit; a suggested local ID may still be longer, and Save says so.
    const int idDigits = RecordEditing::localIdLength(database_.image());
    localId_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(idDigits)), localId_));
    watchEdits(name_);
    watchEdits(localId_);
}

void RecordListEditor::start(QVBoxLayout* fields, const QList<QWidget*>& controls)
{
    controls_ = controls;
    auto* close = new QPushButton(tr("&Close"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {test_, new_, delete_, save_, close}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    fields->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    list_->setMinimumWidth(180);
    layout->addWidget(list_);
    layout->addLayout(fields, 1);

    connect(list_, &QListWidget::itemSelectionChanged, this, &RecordListEditor::showSelected);
    list_->installEventFilter(this);
    connect(new_, &QPushButton::clicked, this, &RecordListEditor::newRecord);
    connect(save_, &QPushButton::clicked, this, &RecordListEditor::save);
    connect(delete_, &QPushButton::clicked, this, &RecordListEditor::deleteSelected);
    connect(test_, &QPushButton::clicked, this, &RecordListEditor::testSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    new_->setEnabled(true);
    disableRecordControls();
    fillList(std::nullopt);
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    showSelected();
}

void RecordListEditor::watchEdits(QLineEdit* field)
{
    connect(field, &QLineEdit::textEdited, this, &RecordListEditor::markEdited);
}

void RecordListEditor::fillList(std::optional<uint16_t> select)
{
    RecipientPickList::fill(list_, database_.image(), database_.names(), listOptions());
    listFilled();
    if (select) {
        const QSignalBlocker quiet(list_);
        RecipientPickList::select(list_, *select);
    }
}

void RecordListEditor::setControlsEnabled(bool enabled)
{
    name_->setEnabled(enabled);
    localId_->setEnabled(enabled);
    for (QWidget* control : controls_)
        control->setEnabled(enabled);
}

void RecordListEditor::disableRecordControls()
{
    save_->setEnabled(false);
    delete_->setEnabled(false);
    test_->setEnabled(false);
    setControlsEnabled(false);
}

void RecordListEditor::showSelected()
{
    save_->setEnabled(false);
    const auto id = RecipientPickList::selectedLocalId(list_);
    if (!id) {
        showNoRecord();
        return;
    }
    const auto slot = (database_.image().*find_)(*id);
    if (!slot)
        return;
    shownLocalId_ = *id;
    name_->setText(database_.names().name(*id));
    localId_->setText(QString::number(*id));
    showRecord(*slot);
    setControlsEnabled(true);
    delete_->setEnabled(true);
    test_->setEnabled(true);
    // Unsaved edits of the entry shown before are given up with it.
    if (!pendingSlot_) {
        edited_ = false;
        new_->setEnabled(true);
    }
}

void RecordListEditor::markEdited()
{
    save_->setEnabled(true);
    edited_ = true;
    new_->setEnabled(false);
}

void RecordListEditor::newRecord()
{
    if (pendingSlot_)
        return;
    ConfigurationImage& image = database_.image();
    if (const QString full = tableFullMessage(); !full.isEmpty()) {
        MessageBox::beep();
        MessageBox::message(this, full);
        return;
    }
    localId_->setText(QString::number(RecordEditing::suggestedLocalId(image, shownLocalId_)));
    name_->clear();
    pendingSlot_ = (image.*find_)(ConfigurationImage::NoLocalId);
    prepareNew();
    edited_ = true;
    new_->setEnabled(false);
    delete_->setEnabled(false);
    save_->setEnabled(true);
    // Test pages the list's selection; with none there is nobody to page.
    test_->setEnabled(RecipientPickList::selectedLocalId(list_).has_value());
    setControlsEnabled(true);
    name_->setFocus();
}

void RecordListEditor::save()
{
    const auto remembered = RecipientPickList::selectedLocalId(list_);
    ConfigurationImage& image = database_.image();
    DataExchange exchange(this);
    const auto nameText = exchange.text(name_, RecordEditing::MaxNameLength);
    exchangeFields(exchange);
    if (exchange.refused() || !RecordEditing::checkLength(exchange, localId_, image,
                                                          pendingSlot_ ? std::nullopt : remembered))
        return;
    const QString name = RecordEditing::trimmedRight(*nameText);
    if (!RecordEditing::checkName(this, name_, name))
        return;
    const auto newId = RecordEditing::checkLocalId(this, localId_);
    if (!newId || !checkFields())
        return;

    std::optional<int> target;
    if (!RecordEditing::claimSlot(this, localId_, image, find_, pendingSlot_, remembered, *newId,
                                  target))
        return;
    if (target) {
        writeRecord(*target, *newId);
        database_.names().setName(*newId, name);
    }
    recordSaved(*newId);
    database_.markModified();
    fillList(*newId);
    edited_ = false;
    showSelected();
    new_->setEnabled(true);
}

void RecordListEditor::deleteSelected()
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
        clearRecord();
        disableRecordControls();
        return;
    }
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(std::min(row, list_->count() - 1));
    }
    showSelected();
}

void RecordListEditor::testSelected()
{
    if (const auto id = RecipientPickList::selectedLocalId(list_))
        testPage_(*id);
}

void RecordListEditor::dropPendingNew()
{
    if (!edited_ || !pendingSlot_)
        return;
    pendingSlot_.reset();
    edited_ = false;
    new_->setEnabled(true);
    disableRecordControls();
    // Back to the entry the list selects: Save must never write the abandoned New's number (and
    // a group's members) over it.
    showSelected();
}

bool RecordListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::FocusIn)
        dropPendingNew();
    return QDialog::eventFilter(watched, event);
}

void RecordListEditor::done(int result)
{
    if (pendingSlot_)
        clearSlot(*std::exchange(pendingSlot_, std::nullopt));
    {
        const QSignalBlocker quiet(list_);
        list_->clearSelection();
    }
    QDialog::done(result);
}
