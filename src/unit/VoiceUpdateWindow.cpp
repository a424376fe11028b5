#include "VoiceUpdateWindow.h"

#include "BlockExchange.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "VoicePrompts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

VoiceUpdateWindow::VoiceUpdateWindow(Channel& port, const QString& folder, QWidget* parent)
    : QDialog(parent)
    , port_(port)
    , folder_(folder)
    , answerTimeoutMs_(BlockTransfer::AnswerTimeoutMs)
    , languages_(new QComboBox(this))
    , progress_(new QProgressBar(this))
    , status_(new QLabel(this))
    , ok_(new QPushButton(tr("&Ok"), this))
    , cancel_(new QPushButton(tr("&Cancel"), this))
{
    setWindowTitle(tr("Voice Update"));
    languages_->addItems(VoicePrompts::languageTitles());
    const int stored = SettingsStore::integer(SettingsStore::VoiceLanguage, 0);
    languages_->setCurrentIndex(stored >= 0 && stored < languages_->count() ? stored : 0);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    // Idle until OK: no transfer and no percentage to show yet.
    progress_->setTextVisible(false);
    status_->setMinimumHeight(status_->fontMetrics().height());
    auto* label = new QLabel(tr("&Language"), this);
    label->setBuddy(languages_);
    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(languages_, 0, 1);
    grid->addWidget(status_, 1, 0, 1, 2);
    grid->addWidget(progress_, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setLayout(grid);
    setMinimumWidth(360);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &VoiceUpdateWindow::sendPrompts);
    connect(cancel_, &QPushButton::clicked, this, &VoiceUpdateWindow::reject);
}

VoiceUpdateWindow::~VoiceUpdateWindow()
{
    if (exchange_)
        exchange_->stop();
}

void VoiceUpdateWindow::sendPrompts()
{
    if (exchange_)
        return;
    const int language = languages_->currentIndex();
    SettingsStore::setInteger(SettingsStore::VoiceLanguage, language);
    QString error;
    const std::optional<QByteArray> block = VoicePrompts::build(folder_, language, &error);
    if (!block) {
        MessageBox::beep();
        MessageBox::message(this, error);
        return;
    }
    exchange_ = std::make_unique<BlockExchange>(
        port_, [this](const QString& text) { MessageBox::information(this, text); });
    exchange_->setAnswerTimeout(answerTimeoutMs_);
    connect(exchange_.get(), &BlockExchange::progress, progress_,
            [this](int percent) { progress_->setValue(std::min(percent, 100)); });
    connect(exchange_.get(), &BlockExchange::done, this, [this] { finish(true); });
    connect(exchange_.get(), &BlockExchange::failed, this, [this] { finish(false); });
    ok_->setEnabled(false);
    languages_->setEnabled(false);
    status_->setText(tr("Transferring..."));
    progress_->setTextVisible(true);
    exchange_->send(BlockTransfer::VoicePrompts, *block);
}

void VoiceUpdateWindow::finish(bool completed)
{
    exchange_->stop();
    // This may run inside one of the exchange's own signals.
    exchange_.release()->deleteLater();
    if (completed)
        accept();
    else
        QDialog::reject();
}

void VoiceUpdateWindow::reject()
{
    if (exchange_)
        finish(false);
    else
        QDialog::reject();
}
