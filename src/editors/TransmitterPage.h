#pragma once

#include "SettingsPage.h"

class QCheckBox;
class QComboBox;
class QLabel;

// The transmitter: POCSAG rate, default beep tone, two-tone timings, encoding and voice pager
// type. Lists and one check box, so there is nothing to refuse.
class TransmitterPage : public SettingsPage {
    Q_OBJECT
public:
    explicit TransmitterPage(Database& database, QWidget* parent = nullptr);

    bool apply() override;

    QComboBox* dataRateList() const { return dataRate_; }
    QComboBox* beepToneList() const { return beepTone_; }
    QCheckBox* ignoreBusyBox() const { return ignoreBusy_; }
    QComboBox* durationAList() const { return durationA_; }
    QComboBox* durationBList() const { return durationB_; }
    QComboBox* gapList() const { return gap_; }
    QComboBox* encodingList() const { return encoding_; }
    QComboBox* voicePagerTypeList() const { return voicePagerType_; }
    QComboBox* transmitterTypeList() const { return transmitterType_; }

private:
    QComboBox* dataRate_;
    QComboBox* beepTone_;
    QCheckBox* ignoreBusy_;
    QComboBox* durationA_;
    QComboBox* durationB_;
    QComboBox* gap_;
    QComboBox* encoding_;
    QComboBox* voicePagerType_;
    QLabel* transmitterTypeLabel_;
    QComboBox* transmitterType_;
};
