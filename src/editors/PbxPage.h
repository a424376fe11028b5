#pragma once

#include "SettingsPage.h"

#include <array>

class QComboBox;

// How the unit answers the telephone exchange: rings, prompt delay, inactivity, messages before
// it hangs up and the voice paging time-out. Lists only, so there is nothing to refuse.
class PbxPage : public SettingsPage {
    Q_OBJECT
public:
    enum List {
        AnswerRings,
        PromptDelay,
        InactivityTime,
        MessagesBeforeDisconnect,
        VoicePagingTimeout,
        ListCount
    };

    explicit PbxPage(Database& database, QWidget* parent = nullptr);

    bool apply() override;

    QComboBox* list(List which) const { return lists_[which]; }

private:
    std::array<QComboBox*, ListCount> lists_{};
};
