#include "AlarmsDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "EditorRows.h"
#include "RecipientPickList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

QLineEdit* digitsField(int digits, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    // The validator limits typing only: a stored value too long for the field still shows whole,
    // and OK refuses it with the range message instead of silently cutting it short.
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), field));
    // Room for the digits and a little more, not the whole width of a text field.
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QString(digits + 2, u'0')) + 12);
    return field;
}

} // namespace

AlarmsDialog::AlarmsDialog(Database& database, QWidget* parent)
    : QDialog(parent)
    , database_(database)
{
    setWindowTitle(tr("Alarms"));
    const QStringList types{tr("Disabled"), tr("Normally Open"), tr("Normally Closed"),
                            tr("State Change")};
    ConfigurationImage& image = database_.image();
    RecipientPickList::Options options;
    options.none = RecipientPickList::NonePlacement::First;
    const auto targets = RecipientPickList::entries(image, database_.names(), options);

    EditorRows grid(this, {tr("Type"), tr("1st Pager"), tr("Delay"), tr("Escalation"),
                           tr("2nd Pager"), tr("Tone"), tr("Message"), tr("Send Reset")});
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
        Row& row = rows_[index];
        row.type = new QComboBox(this);
        row.type->addItems(types);
        // The row shares the width; the type alone must never lose the end of its words.
        row.type->setMinimumWidth(row.type->sizeHint().width());
        row.firstTarget = EditorRows::targetList(targets, this);
        row.delay = digitsField(3, this);
        row.escalation = digitsField(4, this);
        row.secondTarget = EditorRows::targetList(targets, this);
        row.tone = EditorRows::toneList(this);
        row.message = EditorRows::messageField(MaxMessageLength, this);
        row.sendReset = new QCheckBox(this);
        grid.addRow(QString::number(index + 1),
                    {row.type, row.firstTarget, row.delay, row.escalation, row.secondTarget,
                     row.tone, row.message, row.sendReset});

        const AlarmRecord alarm = image.alarm(index);
        row.type->setCurrentIndex(alarm.inputType());
        RecipientPickList::select(row.firstTarget, alarm.firstTarget());
        row.delay->setText(QString::number(alarm.delay()));
        row.escalation->setText(QString::number(alarm.escalation()));
        RecipientPickList::select(row.secondTarget, alarm.secondTarget());
        row.tone->setCurrentIndex(alarm.tone());
        row.message->setText(alarm.message());
        row.sendReset->setChecked(alarm.sendReset());
        applyRowState(row);
        connect(row.type, &QComboBox::currentIndexChanged, this,
                [this, index] { applyRowState(rows_[index]); });
    }
    grid.addButtons(tr("&Ok"), tr("&Cancel"));
}

void AlarmsDialog::applyRowState(const Row& row)
{
    const bool enabled = row.type->currentIndex() != AlarmRecord::Disabled;
    for (QWidget* control :
         std::initializer_list<QWidget*>{row.firstTarget, row.secondTarget, row.tone, row.delay,
                                         row.message, row.escalation, row.sendReset})
        control->setEnabled(enabled);
}

void AlarmsDialog::accept()
{
    DataExchange exchange(this);
    std::array<std::optional<int>, 2 * ConfigurationImage::AlarmCount> numbers;
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
        const Row& row = rows_[index];
        // A disabled row's boxes cannot take the focus to be mended: a number there that OK
        // cannot take stays as stored instead of blocking OK.
        if (row.delay->isEnabled()) {
            numbers[2 * index] = exchange.integer(row.delay, 0, MaxDelay);
            numbers[2 * index + 1] = exchange.integer(row.escalation, 0, MaxEscalation);
        } else {
            numbers[2 * index] = DataExchange::integerIn(row.delay->text(), 0, MaxDelay);
            numbers[2 * index + 1] =
                DataExchange::integerIn(row.escalation->text(), 0, MaxEscalation);
        }
    }
    if (exchange.refused())
        return;

    ConfigurationImage& image = database_.image();
    const auto before = image.bytes();
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
        const Row& row = rows_[index];
        AlarmRecord alarm = image.alarm(index);
        // A list left without a selection (a value the list does not offer) keeps what is
        // stored, so that OK alone never changes a record.
        if (row.type->currentIndex() >= 0)
            alarm.setInputType(row.type->currentIndex());
        if (numbers[2 * index])
            alarm.setDelay(static_cast<uint16_t>(*numbers[2 * index]));
        if (const auto target = RecipientPickList::selectedLocalId(row.firstTarget))
            alarm.setFirstTarget(*target);
        if (const auto target = RecipientPickList::selectedLocalId(row.secondTarget))
            alarm.setSecondTarget(*target);
        if (numbers[2 * index + 1])
            alarm.setEscalation(static_cast<uint16_t>(*numbers[2 * index + 1]));
        if (row.tone->currentIndex() >= 0)
            alarm.setTone(row.tone->currentIndex());
        if (DataExchange::edited(row.message, alarm.message()))
            alarm.setMessage(row.message->text());
        alarm.setSendReset(row.sendReset->isChecked());
    }
    EditorRows::markIfChanged(database_, before);
    QDialog::accept();
}
