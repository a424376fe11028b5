#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class ConfigurationImage;
class NameTable;
class QComboBox;
class QListWidget;
class QListWidgetItem;

// The one builder of the editors' pager-or-group pick lists (drop-down lists and list boxes).
//
// Describe the list with Options, then fill the control:
//
//     RecipientPickList::Options options;
//     options.none = RecipientPickList::NonePlacement::First;   // "None" (0xFFFF) on top
//     RecipientPickList::fill(combo, image, names, options);
//     RecipientPickList::select(combo, alarm.firstTarget());    // by local ID, never by text
//     const auto target = RecipientPickList::selectedLocalId(combo);
//
// Every item carries its local ID (0xFFFF for "None") as item data under LocalIdRole. Without
// sorting, pagers come first in ascending local ID, then groups in ascending local ID; with
// sortByText the whole list ("None" too when it is NonePlacement::AmongNames) is in the order of
// NameCollation, equal texts by local ID. A filter keeps only the local IDs it accepts
// (candidates of a group, for instance); "None" is never filtered.
class RecipientPickList {
    Q_DECLARE_TR_FUNCTIONS(RecipientPickList)
public:
    static constexpr int LocalIdRole = Qt::UserRole;

    enum class NonePlacement { Absent, First, AmongNames };

    struct Options {
        bool pagers = true;
        bool groups = true;
        bool sortByText = false;
        NonePlacement none = NonePlacement::Absent;
        std::function<bool(uint16_t localId)> accept;
    };

    struct Entry {
        QString text;
        uint16_t localId = 0xFFFF;
    };

    static QString noneText() { return tr("None"); }
    // The name, or the local ID of an entry without one.
    static QString displayText(const NameTable& names, uint16_t localId);

    static QList<Entry> entries(const ConfigurationImage& image, const NameTable& names,
                                const Options& options);
    static void sortByText(QList<Entry>& entries);

    static void fill(QComboBox* list, const ConfigurationImage& image, const NameTable& names,
                     const Options& options);
    static void fill(QListWidget* list, const ConfigurationImage& image, const NameTable& names,
                     const Options& options);
    static void fill(QComboBox* list, const QList<Entry>& entries);
    static void fill(QListWidget* list, const QList<Entry>& entries);

    // Select the entry with this local ID; false (and nothing selected) when there is none.
    static bool select(QComboBox* list, uint16_t localId);
    static bool select(QListWidget* list, uint16_t localId);

    static std::optional<uint16_t> selectedLocalId(const QComboBox* list);
    static std::optional<uint16_t> selectedLocalId(const QListWidget* list);
    static uint16_t localIdOf(const QListWidgetItem* item);
    static QList<Entry> entriesOf(const QListWidget* list);
};
