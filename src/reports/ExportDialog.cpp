#include "ExportDialog.h"

#include "FileDialog.h"
#include "MessageBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>

ExportDialog::ExportDialog(const QString& title, const QStringList& columnTitles, QWidget* parent)
    : QDialog(parent)
    , settings_(ExportSettings::forColumns(columnTitles))
    , fileName_(new QLineEdit(this))
    , browse_(new QPushButton(QStringLiteral("..."), this))
    , exportAll_(new QCheckBox(tr("Export &all columns"), this))
    , columnsLabel_(new QLabel(tr("C&olumns"), this))
    , columns_(new QListWidget(this))
    , header_(new QCheckBox(tr("Include &Header row"), this))
    , limit_(new QCheckBox(tr("&Limit to"), this))
    , rowLimit_(new QLineEdit(QStringLiteral("0"), this))
    , export_(new QPushButton(tr("E&xport"), this))
{
    setWindowTitle(title.isEmpty() ? defaultTitle() : title);
    auto* fileLabel = new QLabel(tr("&File Name"), this);
    fileLabel->setBuddy(fileName_);
    columnsLabel_->setBuddy(columns_);
    for (const QString& column : columnTitles) {
        auto* item = new QListWidgetItem(column, columns_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
    }
    connect(columns_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        settings_.columns[columns_->row(item)].ticked = item->checkState() == Qt::Checked;
    });
    rowLimit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), rowLimit_));
    rowLimit_->setEnabled(false);
    connect(limit_, &QCheckBox::toggled, rowLimit_, &QWidget::setEnabled);
    connect(exportAll_, &QCheckBox::toggled, this, &ExportDialog::exportAllToggled);
    connect(browse_, &QPushButton::clicked, this, &ExportDialog::browse);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    export_->setDefault(true);
    connect(export_, &QPushButton::clicked, this, &ExportDialog::exportPressed);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(fileLabel, 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName_, 1);
    fileRow->addWidget(browse_);
    grid->addLayout(fileRow, 0, 1);
    grid->addWidget(exportAll_, 1, 1);
    grid->addWidget(columnsLabel_, 2, 0, Qt::AlignTop);
    grid->addWidget(columns_, 2, 1);
    grid->addWidget(header_, 3, 1);
    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(limit_);
    rowLimit_->setMaximumWidth(80);
    limitRow->addWidget(rowLimit_);
    limitRow->addWidget(new QLabel(tr("output data rows"), this));
    limitRow->addStretch();
    grid->addLayout(limitRow, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(export_);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 5, 0, 1, 2);
    columns_->setMaximumHeight(columns_->sizeHintForRow(0) * 7);
    browse_->setMaximumWidth(browse_->fontMetrics().horizontalAdvance(browse_->text()) + 24);
    fileName_->setMinimumWidth(260);
}

QString ExportDialog::defaultTitle()
{
    return tr("Export Contact Details to File");
}

void ExportDialog::exportAllToggled(bool on)
{
    if (on)
        for (int i = 0; i < columns_->count(); ++i)
            columns_->item(i)->setCheckState(Qt::Checked);
    columns_->setEnabled(!on);
    columnsLabel_->setEnabled(!on);
}

void ExportDialog::browse()
{
    FileDialog::Request request;
    request.mode = FileDialog::Mode::Save;
    request.caption = windowTitle();
    request.initialPath = fileName_->text();
    request.filters = {tr("Tab Separated Values (*.tsv)"), tr("Text Files (*.txt)"),
                       tr("All Files (*)")};
    request.defaultSuffix = QStringLiteral("tsv");
    const QString chosen = FileDialog::getFileName(this, request);
    if (!chosen.isEmpty())
        fileName_->setText(chosen);
}

void ExportDialog::exportPressed()
{
    // Without a limit the box is disabled, and what it holds cannot stop the export.
    bool ok = false;
    const int limit = rowLimit_->text().toInt(&ok);
    if (!ok && limit_->isChecked()) {
        MessageBox::warning(this, tr("Please enter an integer."));
        rowLimit_->setFocus();
        return;
    }
    settings_.fileName = fileName_->text();
    settings_.includeHeader = header_->isChecked();
    settings_.limitRows = limit_->isChecked();
    settings_.rowLimit = limit;
    settings_.exportAll = exportAll_->isChecked();
    accept();
}
