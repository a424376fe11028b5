#include "UnitStatusWindow.h"

#include "BlockExchange.h"
#include "MessageBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

UnitStatusWindow::UnitStatusWindow(Channel& port, QWidget* parent)
    : QDialog(parent)
    , port_(port)
    , text_(new QLabel(tr("Loading"), this))
    , answerTimeoutMs_(BlockTransfer::AnswerTimeoutMs)
{
    setWindowTitle(tr("Status"));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setMinimumSize(320, 120);
    text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &UnitStatusWindow::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);

    connect(&timer_, &QTimer::timeout, this, &UnitStatusWindow::ask);
    timer_.start(500);
}

UnitStatusWindow::~UnitStatusWindow()
{
    if (request_)
        request_->stop();
    delete request_;
}

QString UnitStatusWindow::text() const
{
    return text_->text();
}

void UnitStatusWindow::ask()
{
    if (request_)
        return;
    request_ = new BlockExchange(
        port_, [this](const QString& text) { MessageBox::information(this, text); });
    connect(request_, &BlockExchange::done, this, [this] {
        text_->setText(QString::fromLatin1(request_->received()));
        endRequest();
        if (closeRequested_) {
            timer_.stop();
            QDialog::accept();
        }
    });
    connect(request_, &BlockExchange::failed, this, [this] {
        // An answer against the protocol (the user has been told) is asked for again on the next
        // tick; a unit gone quiet or a line gone would only repeat the same message.
        const bool linkFailed = request_->failure() != BlockTransfer::Failure::Refused;
        endRequest();
        if (!linkFailed && !closeRequested_)
            return;
        requestFailed_ = linkFailed;
        timer_.stop();
        if (linkFailed)
            QDialog::reject();
        else
            QDialog::accept();
    });
    request_->setAnswerTimeout(answerTimeoutMs_);
    request_->receive(BlockTransfer::StatusText);
}

void UnitStatusWindow::endRequest()
{
    if (!request_)
        return;
    request_->stop();
    request_->deleteLater();
    request_ = nullptr;
}

void UnitStatusWindow::accept()
{
    if (request_) {
        closeRequested_ = true;
        return;
    }
    timer_.stop();
    QDialog::accept();
}

void UnitStatusWindow::reject()
{
    timer_.stop();
    endRequest();
    QDialog::reject();
}
