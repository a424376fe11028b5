#include "RecordEditing.h"

#include "ConfigurationImage.h"
#include "DataExchange.h"
#include "MessageBox.h"
#include "SlotClaim.h"

#include <QLineEdit>

#include <algorithm>

int RecordEditing::suggestedLocalId(const ConfigurationImage& image, int lastShown)
{
    auto firstFree = [&image](int candidate) {
        while (candidate < 0xFFFF && image.isLocalIdInUse(static_cast<uint16_t>(candidate)))
            ++candidate;
        return candidate;
    };
    const int next = firstFree(lastShown <= 1 ? 1 : lastShown + 1);
    int largest = 1;
    for (int digit = 0; digit < std::min(localIdLength(image), 5); ++digit)
        largest *= 10;
    largest -= 1;
    if (next <= largest)
        return next;
    const int fitting = firstFree(1);
    return fitting <= largest ? fitting : next;
}

int RecordEditing::localIdLength(const ConfigurationImage& image)
{
    return static_cast<int>(image.settings().value(UnitSettings::localIdLength));
}

bool RecordEditing::checkLength(DataExchange& exchange, QLineEdit* field,
                                const ConfigurationImage& image, std::optional<uint16_t> stored)
{
    if (stored && field->text() == QString::number(*stored))
        return true;
    return exchange.text(field, localIdLength(image)).has_value();
}

bool RecordEditing::checkName(QWidget* dialog, QLineEdit* field, const QString& name)
{
    if (!name.isEmpty())
        return true;
    MessageBox::message(dialog, tr("Please enter a valid name"));
    field->setFocus();
    return false;
}

std::optional<uint16_t> RecordEditing::checkLocalId(QWidget* dialog, QLineEdit* field)
{
    bool ok = false;
    const uint value = field->text().toUInt(&ok);
    // The field takes digits only; its length limit comes from the image and may allow a fifth
    // digit, but local IDs end at 9999.
    if (ok && value <= ConfigurationImage::MaxLocalId)
        return static_cast<uint16_t>(value);
    MessageBox::message(dialog, tr("Please enter a valid Local ID"));
    field->setFocus();
    return std::nullopt;
}

bool RecordEditing::checkFree(QWidget* dialog, QLineEdit* field, const ConfigurationImage& image,
                              uint16_t localId)
{
    if (!image.isLocalIdInUse(localId))
        return true;
    MessageBox::message(dialog, tr("LocalID is already in use!\nPlease choose another number"));
    field->undo();
    field->setFocus();
    return false;
}

bool RecordEditing::claimSlot(QWidget* dialog, QLineEdit* localIdField, ConfigurationImage& image,
                              FindSlot find, std::optional<int>& pendingSlot,
                              std::optional<uint16_t> shown, uint16_t newId,
                              std::optional<int>& slot)
{
    // The text, not its number, decides whether the field changed: "0012" for 12 is a change.
    const bool fieldChanged = shown && QString::number(*shown) != localIdField->text();
    const SlotClaim claim = SlotClaim::decide(image, find, pendingSlot, shown, fieldChanged, newId);
    if (claim.outcome == SlotClaim::Outcome::IdTaken) {
        checkFree(dialog, localIdField, image, newId); // shows the refusal
        return false;
    }
    if (claim.outcome == SlotClaim::Outcome::NothingShown)
        return false;
    if (pendingSlot)
        pendingSlot.reset();
    slot = claim.slot;
    if (claim.renumber)
        image.renumberLocalId(*shown, newId);
    return true;
}

QString RecordEditing::trimmedRight(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}
