#pragma once

#include "RecordListEditor.h"

class QCheckBox;

// The Groups editor: lists the groups, and creates, changes, renumbers, deletes and test-pages
// them; Edit opens the Members dialog on the members list and the (hidden) candidate list.
// Members reach the image only at Save, in alphabetical order of their display texts.
class GroupsDialog : public RecordListEditor {
    Q_OBJECT
public:
    GroupsDialog(Database& database, TestPage testPage, QWidget* parent = nullptr);

    QListWidget* membersList() const { return members_; }
    QListWidget* candidateList() const { return candidates_; }
    QCheckBox* rotaryBox() const { return rotary_; }
    QPushButton* editButton() const { return edit_; }

    void editMembers();

protected:
    RecipientPickList::Options listOptions() const override;
    QString tableFullMessage() const override;
    void showRecord(int slot) override;
    void clearRecord() override;
    void prepareNew() override;
    bool checkFields() override;
    void writeRecord(int slot, uint16_t localId) override;
    void clearSlot(int slot) override;

private:
    void fillMembers(std::optional<int> groupSlot);
    void fillCandidates(std::optional<int> groupSlot);

    QListWidget* members_;
    QListWidget* candidates_;
    QPushButton* edit_;
    QCheckBox* rotary_;
};
