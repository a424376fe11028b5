#include "FunctionKeysDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "EditorRows.h"
#include "RecipientPickList.h"

#include <QComboBox>
#include <QLineEdit>

FunctionKeysDialog::FunctionKeysDialog(Database& database, QWidget* parent)
    : QDialog(parent)
    , database_(database)
{
    setWindowTitle(tr("Function Keys"));
    ConfigurationImage& image = database_.image();
    // F1 and Del F1 list "None" first and the rest in table order; the other keys list
    // everything, "None" too, alphabetically.
    RecipientPickList::Options firstKeyOptions;
    firstKeyOptions.none = RecipientPickList::NonePlacement::First;
    const auto tableOrder = RecipientPickList::entries(image, database_.names(), firstKeyOptions);
    RecipientPickList::Options otherKeyOptions;
    otherKeyOptions.none = RecipientPickList::NonePlacement::AmongNames;
    otherKeyOptions.sortByText = true;
    const auto sorted = RecipientPickList::entries(image, database_.names(), otherKeyOptions);

    constexpr int KeysPerBank = ConfigurationImage::FunctionKeyCount / 2;
    EditorRows grid(this, {tr("Pager"), tr("Tone"), tr("Message")});
    for (int index = 0; index < ConfigurationImage::FunctionKeyCount; ++index) {
        const int key = index % KeysPerBank + 1;
        Row& row = rows_[index];
        row.target = EditorRows::targetList(key == 1 ? tableOrder : sorted, this);
        row.tone = EditorRows::toneList(this);
        row.message = EditorRows::messageField(MaxMessageLength, this);
        const QString label =
            index < KeysPerBank ? QStringLiteral("F%1").arg(key) : tr("Del F%1").arg(key);
        grid.addRow(label, {row.target, row.tone, row.message});

        const FunctionKeyRecord functionKey = image.functionKey(index);
        RecipientPickList::select(row.target, functionKey.target());
        row.tone->setCurrentIndex(functionKey.tone());
        row.message->setText(functionKey.message());
    }
    grid.addButtons(tr("&Ok"), tr("&Close"));
}

void FunctionKeysDialog::accept()
{
    ConfigurationImage& image = database_.image();
    const auto before = image.bytes();
    for (int index = 0; index < ConfigurationImage::FunctionKeyCount; ++index) {
        const Row& row = rows_[index];
        FunctionKeyRecord functionKey = image.functionKey(index);
        // A list left without a selection keeps what is stored, so that OK alone changes
        // nothing.
        if (const auto target = RecipientPickList::selectedLocalId(row.target))
            functionKey.setTarget(*target);
        if (row.tone->currentIndex() >= 0)
            functionKey.setTone(row.tone->currentIndex());
        if (DataExchange::edited(row.message, functionKey.message()))
            functionKey.setMessage(row.message->text());
    }
    EditorRows::markIfChanged(database_, before);
    QDialog::accept();
}
