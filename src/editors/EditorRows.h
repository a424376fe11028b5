#pragma once

#include "ConfigurationImage.h"
#include "RecipientPickList.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class QComboBox;
class QDialog;
class QGridLayout;
class QLineEdit;
class QWidget;

// The layout the row editors (alarms, reminders, common messages, function keys) share: column
// headings on top, one labelled row of controls per record, and the OK and Close (or Cancel)
// buttons below. Each dialog describes its row once and adds it for every record:
//
//     EditorRows grid(this, {tr("Pager"), tr("Message")});
//     for (int index = 0; index < count; ++index)
//         grid.addRow(QString::number(index + 1), {makeTargetList(), makeMessageField()});
//     grid.addButtons(tr("&Ok"), tr("&Close"));
class EditorRows {
public:
    EditorRows(QDialog* dialog, const QStringList& headings);

    void addRow(const QString& label, const QList<QWidget*>& controls);
    // OK accepts (the dialog's accept() writes), the other button rejects.
    void addButtons(const QString& ok, const QString& cancel);

    // A drop-down list of pagers and groups holding `entries`.
    static QComboBox* targetList(const QList<RecipientPickList::Entry>& entries, QWidget* parent);
    // A message field that takes at most maxLength characters and is wide enough to show them.
    static QLineEdit* messageField(int maxLength, QWidget* parent);
    // The beep tones "A" to "D", list position 0 to 3.
    static QComboBox* toneList(QWidget* parent);
    // What an editor's OK ends with: the database is marked modified when the image changed.
    static void markIfChanged(Database& database, const ConfigurationImage::Bytes& before);

private:
    QDialog* dialog_;
    QGridLayout* grid_;
    int rows_ = 1;
};
