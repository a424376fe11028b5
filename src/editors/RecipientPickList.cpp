#include "RecipientPickList.h"

#include "ConfigurationImage.h"
#include "NameCollation.h"
#include "NameTable.h"

#include <QComboBox>
#include <QListWidget>

#include <algorithm>

QString RecipientPickList::displayText(const NameTable& names, uint16_t localId)
{
    return names.contains(localId) ? names.name(localId) : QString::number(localId);
}

QList<RecipientPickList::Entry> RecipientPickList::entries(const ConfigurationImage& image,
                                                           const NameTable& names,
                                                           const Options& options)
{
    QList<Entry> list;
    auto add = [&](uint16_t localId) {
        if (!options.accept || options.accept(localId))
            list.append({displayText(names, localId), localId});
    };
    if (options.pagers) {
        for (const int slot : image.listedPagerSlots())
            add(image.pager(slot).localId());
    }
    if (options.groups) {
        for (const int slot : image.listedGroupSlots())
            add(image.group(slot).localId());
    }
    const Entry none{noneText(), ConfigurationImage::NoLocalId};
    if (options.none == NonePlacement::AmongNames)
        list.append(none);
    if (options.sortByText)
        sortByText(list);
    if (options.none == NonePlacement::First)
        list.prepend(none);
    return list;
}

void RecipientPickList::sortByText(QList<Entry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = NameCollation::compare(a.text, b.text);
        return order != 0 ? order < 0 : a.localId < b.localId;
    });
}

void RecipientPickList::fill(QComboBox* list, const ConfigurationImage& image,
                             const NameTable& names, const Options& options)
{
    fill(list, entries(image, names, options));
}

void RecipientPickList::fill(QListWidget* list, const ConfigurationImage& image,
                             const NameTable& names, const Options& options)
{
    fill(list, entries(image, names, options));
}

void RecipientPickList::fill(QComboBox* list, const QList<Entry>& entries)
{
    const QSignalBlocker quiet(list);
    list->clear();
    for (const Entry& entry : entries)
        list->addItem(entry.text, entry.localId);
    list->setCurrentIndex(-1);
}

void RecipientPickList::fill(QListWidget* list, const QList<Entry>& entries)
{
    const QSignalBlocker quiet(list);
    list->clear();
    for (const Entry& entry : entries) {
        auto* item = new QListWidgetItem(entry.text);
        item->setData(LocalIdRole, entry.localId);
        list->addItem(item);
    }
    list->setCurrentRow(-1);
}

bool RecipientPickList::select(QComboBox* list, uint16_t localId)
{
    const int index = list->findData(localId, LocalIdRole);
    list->setCurrentIndex(index);
    return index >= 0;
}

bool RecipientPickList::select(QListWidget* list, uint16_t localId)
{
    for (int row = 0; row < list->count(); ++row) {
        if (localIdOf(list->item(row)) == localId) {
            list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    list->setCurrentRow(-1, QItemSelectionModel::Clear);
    return false;
}

std::optional<uint16_t> RecipientPickList::selectedLocalId(const QComboBox* list)
{
    if (list->currentIndex() < 0)
        return std::nullopt;
    return static_cast<uint16_t>(list->currentData(LocalIdRole).toUInt());
}

std::optional<uint16_t> RecipientPickList::selectedLocalId(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return localIdOf(selected.first());
}

uint16_t RecipientPickList::localIdOf(const QListWidgetItem* item)
{
    return static_cast<uint16_t>(item->data(LocalIdRole).toUInt());
}

QList<RecipientPickList::Entry> RecipientPickList::entriesOf(const QListWidget* list)
{
    QList<Entry> entries;
    for (int row = 0; row < list->count(); ++row)
        entries.append({list->item(row)->text(), localIdOf(list->item(row))});
    return entries;
}
