#include "TransferWindow.h"

#include "ImageTransfer.h"
#include "MessageBox.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TransferWindow::TransferWindow(Channel& port, ConfigurationImage& image, uint8_t type,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
    , progress_(new QProgressBar(this))
    , text_(new QLabel(tr("Transferring..."), this))
    , abort_(new QPushButton(tr("&Abort"), this))
{
    transfer_ = std::make_unique<ImageTransfer>(
        port, image, type, [this](const QString& text) { MessageBox::information(this, text); });
    progress_->setRange(0, 100);
    progress_->setValue(0);
    // Enter must not end the transfer; only Abort and Esc do.
    abort_->setAutoDefault(false);
    abort_->setDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progress_);
    layout->addWidget(text_);
    layout->addWidget(abort_, 0, Qt::AlignHCenter);
    setMinimumWidth(320);

    connect(abort_, &QPushButton::clicked, this, &TransferWindow::reject);
    connect(transfer_.get(), &ImageTransfer::progress, progress_,
            [this](int percent) { progress_->setValue(std::min(percent, 100)); });
    connect(transfer_.get(), &ImageTransfer::finished, this, &TransferWindow::finish);
}

TransferWindow::~TransferWindow() = default;

void TransferWindow::setAnswerTimeout(int ms)
{
    transfer_->setAnswerTimeout(ms);
}

void TransferWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        transfer_->start();
    }
}

void TransferWindow::reject()
{
    if (finished_)
        QDialog::reject();
    else
        transfer_->abort();
}

void TransferWindow::finish(bool completed)
{
    finished_ = true;
    if (completed)
        accept();
    else
        QDialog::reject();
}

void TransferWindow::closeEvent(QCloseEvent* event)
{
    if (finished_)
        event->accept();
    else
        event->ignore();
}
