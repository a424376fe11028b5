#include "RecordEditing.h"

#include "ConfigurationImage.h"
#include "MessageBox.h"

#include <QLineEdit>

int RecordEditing::suggestedLocalId(const ConfigurationImage& image, int lastShown)
{
    int candidate = lastShown < 1 ? 1 : lastShown + 1;
    while (candidate < 0xFFFF && image.isLocalIdInUse(static_cast<uint16_t>(candidate)))
        ++candidate;
    return candidate;
}

int RecordEditing::localIdLength(ConfigurationImage& image)
{
    return static_cast<int>(image.settings().value(UnitSettings::localIdLength));
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

QString RecordEditing::trimmedRight(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}
