#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class Database;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The Pagers editor: lists the pagers, and creates, changes, renumbers, deletes and test-pages
// them. Save and Delete write the image and the name table at once (and mark the database
// modified); closing undoes nothing but a New that was never saved.
class PagersDialog : public QDialog {
    Q_OBJECT
public:
    using TestPage = std::function<void(uint16_t localId)>;

    PagersDialog(Database& database, TestPage testPage, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* capcodeField() const { return capcode_; }
    QLineEdit* localIdField() const { return localId_; }
    QComboBox* receiverTypeList() const { return type_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* saveButton() const { return save_; }
    bool hasPendingNew() const { return pendingSlot_.has_value(); }
    // Names the local IDs that more than one pager or group holds; hidden when there are none.
    QLabel* duplicatesNote() const { return duplicates_; }

    void newPager();
    void save();
    void deleteSelected();
    void testSelected();
    // What happens when the list receives the focus: a New not yet saved is given up.
    void dropPendingNew();
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillList(std::optional<uint16_t> select);
    void showDuplicates();
    void showSelected();
    void markEdited();
    void receiverTypeChosen(int type);
    void setFieldsEnabled(bool enabled);
    void setReceiverType(int type);
    static bool isVoiceType(int type);

    Database& database_;
    TestPage testPage_;
    QListWidget* list_;
    QLineEdit* name_;
    QLineEdit* capcode_;
    QLineEdit* localId_;
    QComboBox* type_;
    QLabel* duplicates_;
    QPushButton* test_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* save_;
    std::optional<int> pendingSlot_;
    bool edited_ = false;
    int rememberedType_ = -1;
    bool removeFromGroups_ = false;
    int shownLocalId_ = 1;
    uint32_t shownCapcode_ = 8;
};
