#include "CommonMessagesDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "EditorRows.h"
#include "RecordEditing.h"

#include <QLineEdit>

CommonMessagesDialog::CommonMessagesDialog(Database& database, QWidget* parent)
    : QDialog(parent)
    , database_(database)
{
    setWindowTitle(tr("Common Messages"));
    EditorRows grid(this, {});
    for (int index = 0; index < ConfigurationImage::CommonMessageCount; ++index) {
        QLineEdit* field = EditorRows::messageField(MaxMessageLength, this);
        field->setText(database_.image().commonMessage(index).text());
        fields_[index] = field;
        grid.addRow(QString::number(index), {field});
    }
    grid.addButtons(tr("&Ok"), tr("&Close"));
}

void CommonMessagesDialog::accept()
{
    ConfigurationImage& image = database_.image();
    const auto before = image.bytes();
    for (int index = 0; index < ConfigurationImage::CommonMessageCount; ++index) {
        CommonMessageRecord message = image.commonMessage(index);
        if (DataExchange::edited(fields_[index], message.text()))
            message.setText(RecordEditing::trimmedRight(fields_[index]->text()));
    }
    EditorRows::markIfChanged(database_, before);
    QDialog::accept();
}
