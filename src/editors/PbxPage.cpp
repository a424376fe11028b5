#include "PbxPage.h"

#include "Database.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

// Each list's field and how an entry stands for the stored number: most lists count from 1,
// the prompt delay counts half-seconds from 0.
struct ListInfo {
    const char* label;
    ImageField field;
    int firstValue;
};

const ListInfo lists[PbxPage::ListCount] = {
    {QT_TRANSLATE_NOOP("PbxPage", "Answer &Rings"), UnitSettings::answerRings, 1},
    {QT_TRANSLATE_NOOP("PbxPage", "&Prompt Delay (seconds)"), UnitSettings::promptDelay, 0},
    {QT_TRANSLATE_NOOP("PbxPage", "&Inactivity Time (seconds)"), UnitSettings::inactivityTime, 1},
    {QT_TRANSLATE_NOOP("PbxPage", "&Msgs. Before Disconnect"),
     UnitSettings::messagesBeforeDisconnect, 1},
    {QT_TRANSLATE_NOOP("PbxPage", "&Voice paging timeout (seconds)"),
     UnitSettings::voicePagingTimeout, 1},
};

QStringList numbers(int from, int to)
{
    QStringList entries;
    for (int n = from; n <= to; ++n)
        entries << QString::number(n);
    return entries;
}

} // namespace

PbxPage::PbxPage(Database& database, QWidget* parent)
    : SettingsPage(database, parent)
{
    const QStringList entries[ListCount] = {
        numbers(1, 9),
        {QStringLiteral("0"), QStringLiteral("0.5"), QStringLiteral("1"), QStringLiteral("1.5"),
         QStringLiteral("2"), QStringLiteral("2.5"), QStringLiteral("3"), QStringLiteral("3.5"),
         QStringLiteral("4"), QStringLiteral("4.5"), QStringLiteral("5")},
        numbers(1, 99),
        numbers(1, 9),
        numbers(1, 99),
    };
    const UnitSettings settings = database_.image().settings();
    auto* fields = new QFormLayout;
    for (int which = 0; which < ListCount; ++which) {
        const ListInfo& info = lists[which];
        QComboBox* list = listOf(entries[which]);
        const int stored = static_cast<int>(settings.value(info.field));
        // A count of 0 is not one the unit works with; the list offers its usual 2 instead.
        const int shown = info.firstValue == 1 && stored == 0 ? 2 : stored;
        selectIndex(list, static_cast<uint32_t>(shown - info.firstValue));
        lists_[which] = list;
        fields->addRow(tr(info.label), list);
    }
    auto* content = new QVBoxLayout;
    content->addLayout(fields);
    content->addStretch();
    setContent(content);
}

bool PbxPage::apply()
{
    UnitSettings settings = database_.image().settings();
    for (int which = 0; which < ListCount; ++which) {
        const int index = lists_[which]->currentIndex();
        // A stored number the list does not hold stays as it was.
        if (index >= 0)
            settings.setValue(lists[which].field,
                              static_cast<uint32_t>(index + lists[which].firstValue));
    }
    return true;
}
