#pragma once

#include "RecordListEditor.h"

class QComboBox;
class QLabel;

// The Pagers editor: lists the pagers, and creates, changes, renumbers, deletes and test-pages
// them.
class PagersDialog : public RecordListEditor {
    Q_OBJECT
public:
    PagersDialog(Database& database, TestPage testPage, QWidget* parent = nullptr);

    QLineEdit* capcodeField() const { return capcode_; }
    QComboBox* receiverTypeList() const { return type_; }
    // Names the local IDs that more than one pager or group holds; hidden when there are none.
    QLabel* duplicatesNote() const { return duplicates_; }

protected:
    RecipientPickList::Options listOptions() const override;
    void listFilled() override;
    QString tableFullMessage() const override;
    void showRecord(int slot) override;
    void showNoRecord() override;
    void clearRecord() override;
    void prepareNew() override;
    void exchangeFields(DataExchange& exchange) override;
    bool checkFields() override;
    void writeRecord(int slot, uint16_t localId) override;
    void recordSaved(uint16_t localId) override;
    void clearSlot(int slot) override;

private:
    void receiverTypeChosen(int type);
    void setReceiverType(int type);
    static bool isVoiceType(int type);

    QLineEdit* capcode_;
    QComboBox* type_;
    QLabel* duplicates_;
    std::optional<QString> capcodeText_;
    int rememberedType_ = -1;
    bool removeFromGroups_ = false;
    uint32_t shownCapcode_ = 8;
};
