#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

class ConfigurationImage;
class DataExchange;
class QLineEdit;
class QWidget;

// What the pagers and groups editors have in common when they create and save an entry: the
// local ID New suggests, the checks of the name and the Local ID field, and their messages.
class RecordEditing {
    Q_DECLARE_TR_FUNCTIONS(RecordEditing)
public:
    static constexpr int MaxNameLength = 32;

    // The first local ID above the one last shown (from 1 when that is 1 or less, as it is with
    // nothing shown) that no pager or group holds; when that one has more digits than the Local
    // ID length allows, the first free one from 1 that fits, if there is one.
    static int suggestedLocalId(const ConfigurationImage& image, int lastShown);
    // The Local ID field's digit limit, from the unit's settings.
    static int localIdLength(const ConfigurationImage& image);
    // The digit limit applies to a Local ID the user gives, not to the one an entry already
    // holds (the setting may have gone down since): false, with the data exchange's message,
    // when the field holds more digits and differs from `stored`.
    static bool checkLength(DataExchange& exchange, QLineEdit* field,
                            const ConfigurationImage& image, std::optional<uint16_t> stored);

    // Each shows its message with an OK button and focuses the field when the value is refused.
    static bool checkName(QWidget* dialog, QLineEdit* field, const QString& name);
    // A valid local ID (0 to 9999) from the field's text.
    static std::optional<uint16_t> checkLocalId(QWidget* dialog, QLineEdit* field);
    // Refuses a local ID already held by another entry, undoing the last edit of the field.
    static bool checkFree(QWidget* dialog, QLineEdit* field, const ConfigurationImage& image,
                          uint16_t localId);

    // Save's choice of the slot it writes: the pending new slot once the local ID is free, or the
    // slot of the entry shown, renumbered everywhere first when its Local ID field changed. False
    // when Save must stop (the ID is taken, or nothing is shown); `slot` stays empty when the
    // entry shown is no longer in the image.
    using FindSlot = std::optional<int> (ConfigurationImage::*)(uint16_t) const;
    static bool claimSlot(QWidget* dialog, QLineEdit* localIdField, ConfigurationImage& image,
                          FindSlot find, std::optional<int>& pendingSlot,
                          std::optional<uint16_t> shown, uint16_t newId, std::optional<int>& slot);

    static QString trimmedRight(QString text);
};
