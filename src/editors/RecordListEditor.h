#pragma once

#include "RecipientPickList.h"
#include "RecordEditing.h"

#include <QDialog>

#include <functional>
#include <optional>

class DataExchange;
class Database;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// The pagers and groups editors' common frame: the list of entries on the left, the Name and
// Local ID fields, the entry a New has taken a slot for (saved or given up), and the Test, New,
// Delete, Save and Close buttons with their enabling. Save and Delete write the image and the
// name table at once (and mark the database modified); closing undoes nothing but a New that was
// never saved.
//
// A dialog adds its own fields and supplies how an entry is shown, checked, written and how a
// slot New took is freed; it ends its constructor with start().
class RecordListEditor : public QDialog {
    Q_OBJECT
public:
    using TestPage = std::function<void(uint16_t localId)>;

    QListWidget* list() const { return list_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* localIdField() const { return localId_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* saveButton() const { return save_; }
    bool hasPendingNew() const { return pendingSlot_.has_value(); }

    void newRecord();
    void save();
    // Delete takes the entry the list selects; what the fields hold has no say in it.
    void deleteSelected();
    void testSelected();
    // What happens when the list receives the focus: a New not yet saved is given up.
    void dropPendingNew();
    void done(int result) override;

protected:
    RecordListEditor(Database& database, TestPage testPage, RecordEditing::FindSlot find,
                     QWidget* parent);

    // Lays out the list beside `fields` and the buttons, and shows the first entry. `controls`
    // are the dialog's own inputs, enabled with Name and Local ID while an entry is on show.
    void start(QVBoxLayout* fields, const QList<QWidget*>& controls);
    // Calls markEdited() whenever the user changes the field.
    void watchEdits(QLineEdit* field);
    void markEdited();

    // Which entries the list shows.
    virtual RecipientPickList::Options listOptions() const = 0;
    // After every filling of the list, that is after every change of the image.
    virtual void listFilled() {}
    // The message New shows when the table is full; empty while there is room.
    virtual QString tableFullMessage() const = 0;
    // The dialog's own fields for the entry in `slot`; Name and Local ID are shown already.
    virtual void showRecord(int slot) = 0;
    // With no entry selected.
    virtual void showNoRecord() {}
    // With the list emptied by Delete: nothing to show, every field disabled.
    virtual void clearRecord() {}
    // The dialog's own fields for a New; Name is cleared and Local ID suggested already.
    virtual void prepareNew() = 0;
    // Save's length checks of the dialog's fields, after the name's.
    virtual void exchangeFields(DataExchange&) {}
    // Save's checks of the values, after the local ID's; each shows its own refusal.
    virtual bool checkFields() { return true; }
    // Writes the dialog's fields into the record in `slot`, given local ID `localId` already.
    virtual void writeRecord(int slot, uint16_t localId) = 0;
    // After every Save that wrote.
    virtual void recordSaved(uint16_t) {}
    // Frees the slot of a New that was never saved.
    virtual void clearSlot(int slot) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

    Database& database_;
    // The local ID New counts on from.
    int shownLocalId_ = 1;

private:
    void fillList(std::optional<uint16_t> select);
    void showSelected();
    void disableRecordControls();
    void setControlsEnabled(bool enabled);

    TestPage testPage_;
    RecordEditing::FindSlot find_;
    QList<QWidget*> controls_;
    QListWidget* list_;
    QLineEdit* name_;
    QLineEdit* localId_;
    QPushButton* test_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* save_;
    std::optional<int> pendingSlot_;
    bool edited_ = false;
};
