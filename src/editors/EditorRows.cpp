#include "EditorRows.h"

#include "Database.h"
#include "UnitTextValidator.h"
#include "WindowPlacement.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

EditorRows::EditorRows(QDialog* dialog, const QStringList& headings)
    : dialog_(dialog)
    , grid_(new QGridLayout)
{
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid_);
    for (int column = 0; column < headings.size(); ++column)
        grid_->addWidget(new QLabel(headings[column], dialog), 0, column + 1);
}

void EditorRows::addRow(const QString& label, const QList<QWidget*>& controls)
{
    grid_->addWidget(new QLabel(label, dialog_), rows_, 0);
    for (int column = 0; column < controls.size(); ++column)
        grid_->addWidget(controls[column], rows_, column + 1);
    ++rows_;
}

void EditorRows::addButtons(const QString& ok, const QString& cancel)
{
    auto* okButton = new QPushButton(ok, dialog_);
    auto* cancelButton = new QPushButton(cancel, dialog_);
    okButton->setDefault(true);
    QObject::connect(okButton, &QPushButton::clicked, dialog_, &QDialog::accept);
    QObject::connect(cancelButton, &QPushButton::clicked, dialog_, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    static_cast<QVBoxLayout*>(dialog_->layout())->addLayout(buttons);
    WindowPlacement::widenForTitle(*dialog_);
}

QComboBox* EditorRows::targetList(const QList<RecipientPickList::Entry>& entries, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    // Long lists of names: the width follows the first entries, not the longest of 1000.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(12);
    RecipientPickList::fill(list, entries);
    return list;
}

QLineEdit* EditorRows::messageField(int maxLength, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(maxLength);
    UnitTextValidator::guard(field);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * (maxLength + 2));
    return field;
}

QComboBox* EditorRows::toneList(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->addItems(
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    return list;
}

void EditorRows::markIfChanged(Database& database, const ConfigurationImage::Bytes& before)
{
    if (database.image().bytes() != before)
        database.markModified();
}
