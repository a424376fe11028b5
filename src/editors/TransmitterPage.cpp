#include "TransmitterPage.h"

#include "Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int LongestDurationTenths = 100;

// 0.0 to 10.0 seconds; the entry's index is the stored number of tenths.
QComboBox* durationList(uint32_t storedTenths)
{
    auto* list = new QComboBox;
    for (int tenths = 0; tenths <= LongestDurationTenths; ++tenths)
        list->addItem(QString::number(tenths / 10.0, 'f', 1));
    SettingsPage::selectIndex(list, storedTenths);
    return list;
}

// Entries that stand for a code of the unit's own; the first entry unless one has the stored code.
QComboBox* codedList(const QList<std::pair<QString, int>>& entries, uint32_t stored)
{
    auto* list = new QComboBox;
    for (const auto& [text, code] : entries)
        list->addItem(text, code);
    list->setCurrentIndex(std::max(0, list->findData(static_cast<int>(stored))));
    return list;
}

} // namespace

TransmitterPage::TransmitterPage(Database& database, QWidget* parent)
    : SettingsPage(database, parent)
    , dataRate_(listOf({QStringLiteral("512"), QStringLiteral("1200"), QStringLiteral("2400")}))
    , beepTone_(listOf(
          {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}))
    // The same words in every language, as the unit's own manual has them.
    , ignoreBusy_(new QCheckBox(QStringLiteral("&Ignore Busy")))
    , transmitterTypeLabel_(new QLabel(tr("Transmitter Type")))
    , transmitterType_(listOf({tr("Standard"), tr("Inverted")}))
{
    UnitSettings settings = database_.image().settings();
    selectIndex(dataRate_, settings.value(UnitSettings::pocsagDataRate));
    selectIndex(beepTone_, settings.value(UnitSettings::defaultBeepTone));
    ignoreBusy_->setChecked(settings.value(UnitSettings::ignoreBusy) != 0);
    durationA_ = durationList(settings.value(UnitSettings::twoToneDurationA));
    durationB_ = durationList(settings.value(UnitSettings::twoToneDurationB));
    gap_ = durationList(settings.value(UnitSettings::twoToneGap));
    encoding_ = codedList({{tr("Tone"), 0}, {tr("Numeric"), 4}, {tr("Alpha Numeric"), 7}},
                          settings.value(UnitSettings::encodingMethod));
    voicePagerType_ = codedList({{tr("sequential standard"), 0}, {tr("sequential extended"), 1}},
                                settings.value(UnitSettings::voicePagerType));
    transmitterType_->setCurrentIndex(settings.value(UnitSettings::transmitterInverted) != 0 ? 1
                                                                                             : 0);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Pocsag &Data Rate"), dataRate_);
    fields->addRow(tr("Default Beep &Tone"), beepTone_);
    fields->addRow(QString(), ignoreBusy_);
    fields->addRow(tr("Two Tone Duration &A (sec)"), durationA_);
    fields->addRow(tr("Two Tone Duration &B (sec)"), durationB_);
    fields->addRow(tr("Two Tone &Gap Duration (sec)"), gap_);
    fields->addRow(tr("System &Encoding Method"), encoding_);
    fields->addRow(tr("&Voice Pager Type"), voicePagerType_);
    // The transmitter type is kept and stored, but the page does not offer it.
    fields->addRow(transmitterTypeLabel_, transmitterType_);
    transmitterTypeLabel_->hide();
    transmitterType_->hide();
    auto* content = new QVBoxLayout;
    content->addLayout(fields);
    content->addStretch();
    setContent(content);
}

bool TransmitterPage::apply()
{
    UnitSettings settings = database_.image().settings();
    storeIndex(settings, UnitSettings::pocsagDataRate, dataRate_);
    storeIndex(settings, UnitSettings::defaultBeepTone, beepTone_);
    settings.setValue(UnitSettings::ignoreBusy, ignoreBusy_->isChecked() ? 1 : 0);
    storeIndex(settings, UnitSettings::twoToneDurationA, durationA_);
    storeIndex(settings, UnitSettings::twoToneDurationB, durationB_);
    storeIndex(settings, UnitSettings::twoToneGap, gap_);
    settings.setValue(UnitSettings::encodingMethod, encoding_->currentData().toUInt());
    settings.setValue(UnitSettings::voicePagerType, voicePagerType_->currentData().toUInt());
    settings.setValue(UnitSettings::reservedFlagA, 0);
    settings.setValue(UnitSettings::transmitterInverted,
                      transmitterType_->currentIndex() == 1 ? 1 : 0);
    settings.setValue(UnitSettings::reservedFlagB, 0);
    return true;
}
