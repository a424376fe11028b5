#include "PrintOptionsDialog.h"

#include "FileDialog.h"
#include "MessageBox.h"
#include "PrintTable.h"
#include "TablePrinter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <memory>

PrintOptionsDialog::PrintOptionsDialog(const QString& header, const QStringList& columnTitles,
                                       bool hasSelection, TableSource source, QWidget* parent)
    : QDialog(parent)
    , source_(std::move(source))
    , printers_(new QComboBox(this))
    , header_(new QLineEdit(header, this))
    , columns_(new QListWidget(this))
    , copies_(new QLineEdit(QStringLiteral("1"), this))
    , selectedOnly_(new QCheckBox(tr("Print &selected items only"), this))
    , preview_(new QPushButton(tr("Pre&view"), this))
    , print_(new QPushButton(tr("&Print"), this))
{
    setWindowTitle(tr("Print Options"));
    settings_.header = header;
    for (const QString& title : columnTitles)
        settings_.columns.append({title, true});

    QStringList names = QPrinterInfo::availablePrinterNames();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    printers_->addItems(names);
    printers_->addItem(pdfChoiceText());
    printers_->setCurrentIndex(0);

    header_->setMaxLength(50);
    for (const QString& column : columnTitles) {
        auto* item = new QListWidgetItem(column, columns_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
    }
    connect(columns_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        settings_.columns[columns_->row(item)].ticked = item->checkState() == Qt::Checked;
    });
    copies_->setMaxLength(2);
    copies_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), copies_));
    copies_->setMaximumWidth(60);
    selectedOnly_->setEnabled(hasSelection);
    selectedOnly_->setChecked(hasSelection);

    auto* cancel = new QPushButton(tr("&Cancel"), this);
    print_->setDefault(true);
    connect(print_, &QPushButton::clicked, this, &PrintOptionsDialog::printPressed);
    connect(preview_, &QPushButton::clicked, this, &PrintOptionsDialog::previewPressed);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(tr("Printer &Name"), printers_), 0, 0);
    grid->addWidget(printers_, 0, 1);
    grid->addWidget(label(tr("&Header"), header_), 1, 0);
    grid->addWidget(header_, 1, 1);
    grid->addWidget(label(tr("Colu&mns"), columns_), 2, 0, Qt::AlignTop);
    grid->addWidget(columns_, 2, 1);
    grid->addWidget(label(tr("Number of c&opies"), copies_), 3, 0);
    grid->addWidget(copies_, 3, 1, Qt::AlignLeft);
    grid->addWidget(selectedOnly_, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(preview_);
    buttons->addStretch();
    buttons->addWidget(print_);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 5, 0, 1, 2);
    columns_->setMaximumHeight(columns_->sizeHintForRow(0) * 7);
    printers_->setMinimumWidth(260);
}

PrintOptionsDialog::~PrintOptionsDialog()
{
    // A preview still open uses the printer; it goes first.
    qDeleteAll(findChildren<QPrintPreviewDialog*>());
}

QString PrintOptionsDialog::pdfChoiceText()
{
    return tr("Print to PDF file…");
}

bool PrintOptionsDialog::pdfChosen() const
{
    return printers_->currentIndex() == printers_->count() - 1;
}

bool PrintOptionsDialog::readControls(PrintSettings& settings)
{
    if (printers_->currentIndex() < 0) {
        MessageBox::warning(this, tr("No printer selected"));
        return false;
    }
    const int copies = copies_->text().toInt();
    if (copies <= 0) {
        MessageBox::warning(this, tr("No pages to print.  Please enter a value greater than 0"));
        copies_->setFocus();
        return false;
    }
    settings.printerName = pdfChosen() ? QString() : printers_->currentText();
    settings.header = header_->text();
    settings.copies = copies;
    settings.selectedOnly = selectedOnly_->isChecked();
    return true;
}

void PrintOptionsDialog::printPressed()
{
    PrintSettings settings = settings_;
    if (!readControls(settings))
        return;
    if (pdfChosen()) {
        FileDialog::Request request;
        request.mode = FileDialog::Mode::Save;
        request.caption = pdfChoiceText();
        request.filters = {tr("PDF Files (*.pdf)"), tr("All Files (*)")};
        request.defaultSuffix = QStringLiteral("pdf");
        settings.pdfFile = FileDialog::getFileName(this, request);
        if (settings.pdfFile.isEmpty())
            return;
    }
    settings_ = settings;
    accept();
}

QPrintPreviewDialog* PrintOptionsDialog::createPreview()
{
    PrintSettings settings = settings_;
    if (!readControls(settings))
        return nullptr;
    // The preview lays the pages out for the printer that would print them.
    const QPrinterInfo info = QPrinterInfo::printerInfo(settings.printerName);
    if (!pdfChosen() && !info.isNull()) {
        previewPrinter_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
        previewPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        previewPrinter_->setOutputFormat(QPrinter::PdfFormat);
    }
    previewPrinter_->setDocName(settings.header);
    auto* preview = new QPrintPreviewDialog(previewPrinter_.get(), this);
    preview->setWindowTitle(tr("Print Preview"));
    connect(preview, &QPrintPreviewDialog::paintRequested, preview,
            [this, settings](QPrinter* target) {
                PrintTable table;
                source_(table, settings);
                TablePrinter::paint(table, *target, settings.pageNumbers);
            });
    return preview;
}

void PrintOptionsDialog::previewPressed()
{
    std::unique_ptr<QPrintPreviewDialog> preview(createPreview());
    if (preview)
        preview->exec();
}
