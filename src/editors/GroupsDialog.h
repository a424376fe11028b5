#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class Database;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// The Groups editor: lists the groups, and creates, changes, renumbers, deletes and test-pages
// them; Edit opens the Members dialog on the members list and the (hidden) candidate list.
// Members reach the image only at Save, in alphabetical order of their display texts.
class GroupsDialog : public QDialog {
    Q_OBJECT
public:
    using TestPage = std::function<void(uint16_t localId)>;

    GroupsDialog(Database& database, TestPage testPage, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    QListWidget* membersList() const { return members_; }
    QListWidget* candidateList() const { return candidates_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* localIdField() const { return localId_; }
    QCheckBox* rotaryBox() const { return rotary_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* saveButton() const { return save_; }
    bool hasPendingNew() const { return pendingSlot_.has_value(); }

    void newGroup();
    void save();
    void deleteSelected();
    void testSelected();
    void editMembers();
    void dropPendingNew();
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillList(std::optional<uint16_t> select);
    void showSelected();
    void showNothing();
    void fillMembers(std::optional<int> groupSlot);
    void fillCandidates(std::optional<int> groupSlot);
    void markEdited();
    void setGroupControlsEnabled(bool enabled);

    Database& database_;
    TestPage testPage_;
    QListWidget* list_;
    QLineEdit* name_;
    QLineEdit* localId_;
    QListWidget* members_;
    QListWidget* candidates_;
    QPushButton* edit_;
    QCheckBox* rotary_;
    QPushButton* test_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* save_;
    std::optional<int> pendingSlot_;
    bool edited_ = false;
    int shownLocalId_ = 0;
};
