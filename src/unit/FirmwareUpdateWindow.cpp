#include "FirmwareUpdateWindow.h"

#include "HexFile.h"

#include "FileDialog.h"
#include "MessageBox.h"
#include "RegularFile.h"
#include "SerialPort.h"
#include "ServeEventsUntil.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FirmwareUpdateWindow::FirmwareUpdateWindow(SerialPort& port, QWidget* parent)
    : QDialog(parent)
    , port_(port)
    , text_(
          new QLabel(tr("To update Tavolux firmware, first browse for the Intel Hex file."), this))
    , progress_(new QProgressBar(this))
    , action_(new QPushButton(tr("&Browse"), this))
    , cancel_(new QPushButton(tr("&Cancel"), this))
{
    setWindowTitle(tr("Update Firmware"));
    text_->setWordWrap(true);
    text_->setMinimumHeight(text_->fontMetrics().lineSpacing() * 2);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(action_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    setMinimumWidth(420);
    action_->setDefault(true);
    connect(action_, &QPushButton::clicked, this, &FirmwareUpdateWindow::act);
    connect(cancel_, &QPushButton::clicked, this, &FirmwareUpdateWindow::reject);

    QueuedLoaderListener::Handlers handlers;
    handlers.text = [this](const QString& text) { text_->setText(text); };
    handlers.progress = [this](qint64 position) {
        progress_->setValue(static_cast<int>(position));
    };
    handlers.message = [this](const QString& text) { MessageBox::information(this, text); };
    handlers.complete = [this] { action_->setText(tr("&Close")); };
    handlers.ended = [this] {
        if (mode_ == Mode::Running && loader_)
            act();
    };
    reports_ = std::make_unique<QueuedLoaderListener>(std::move(handlers));
}

FirmwareUpdateWindow::~FirmwareUpdateWindow()
{
    stopWorker();
}

void FirmwareUpdateWindow::act()
{
    switch (mode_) {
    case Mode::NoFile:
        browse();
        break;
    case Mode::FileChosen:
        start();
        break;
    case Mode::Running:
        stopWorker();
        accept();
        break;
    }
}

void FirmwareUpdateWindow::browse()
{
    FileDialog::Request request;
    request.mode = FileDialog::Mode::OpenExisting;
    request.caption = tr("Update Firmware");
    request.filters = QStringList{tr("Tavolux Firmware (*.hex)"), tr("All Files (*)")};
    request.defaultSuffix = QStringLiteral("hex");
    const QString path = FileDialog::getFileName(this, request);
    if (path.isEmpty())
        return;
    // Browse is offered only while no file is open.
    QString error;
    if (!RegularFile::openForReading(file_, path, QIODevice::Text, &error)) {
        MessageBox::warning(this, tr("%1 cannot be read: %2").arg(path, error));
        return;
    }
    error = HexFile::problem(file_, FirmwareLoader::MaxLineLength);
    if (!error.isEmpty()) {
        file_.close();
        MessageBox::warning(this, tr("%1 cannot be sent: %2").arg(path, error));
        return;
    }
    mode_ = Mode::FileChosen;
    text_->setText(tr("Please turn OFF the power to the unit, and press start"));
    action_->setText(tr("&Start"));
    progress_->setRange(0, static_cast<int>(std::min<qint64>(file_.size(), INT_MAX)));
    progress_->setValue(0);
}

void FirmwareUpdateWindow::start()
{
    mode_ = Mode::Running;
    text_->setText(FirmwareLoader::startText());
    action_->setText(tr("&Abort"));
    cancel_->setEnabled(false);
    loader_ = std::make_unique<FirmwareLoader>(port_, file_, *reports_);
    loader_->start();
}

void FirmwareUpdateWindow::stopWorker()
{
    if (!loader_)
        return;
    loader_->requestStop();
    // The worker may be waiting for this thread to show a message or change a control, so
    // this thread keeps serving its events. The worker's own waits are bounded (one read and
    // one write time-out, the write released above), so only a message still open holds it.
    static_cast<void>(
        serveEventsUntil([this] { return loader_->hasEnded(); }, QDeadlineTimer::Forever));
    loader_->join();
    loader_.reset();
}

void FirmwareUpdateWindow::reject()
{
    if (mode_ != Mode::Running)
        QDialog::reject();
}

void FirmwareUpdateWindow::closeEvent(QCloseEvent* event)
{
    if (mode_ == Mode::Running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
