#include "MainWindow.h"

#include "CoasterPanel.h"
#include "CommandTable.h"
#include "Database.h"
#include "DatabaseCommands.h"
#include "EditorLauncher.h"
#include "GatewaySettingsWindow.h"
#include "LoginDialog.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "PageHistory.h"
#include "PageHistoryWindow.h"
#include "PageTextEdit.h"
#include "PictureButton.h"
#include "ReportWindow.h"
#include "SettingsStore.h"
#include "SortableList.h"
#include "UnitSession.h"
#include "UnitText.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace {

// The layout at the smallest client area (514 x 434); resizing moves and stretches from here.
constexpr int BaseHeight = 434;
constexpr int ListLeft = 10;
constexpr int ListTop = 102;
constexpr int ListBaseWidth = 179;
constexpr int RightColumn = 199;
constexpr int MessageBaseHeight = 89;
constexpr int ButtonHeight = 60;
constexpr int RightMargin = 10;
// The first time, the window stands this far from the screen's top left corner.
constexpr int FirstPlaceOffset = 24;

struct MessageButton {
    MainWindow::MessageButtonId id;
    const char* text; // caption
    const char* icon; // picture name in the resources
};

const MessageButton MessageButtons[] = {
    {MainWindow::CommonButton, QT_TRANSLATE_NOOP("MainWindow", "&Common"), "common"},
    {MainWindow::TimeButton, QT_TRANSLATE_NOOP("MainWindow", "&Time"), "time"},
    {MainWindow::DateButton, QT_TRANSLATE_NOOP("MainWindow", "&Date"), "date"},
    {MainWindow::SendButton, QT_TRANSLATE_NOOP("MainWindow", "&Send"), "send"},
    {MainWindow::ClearButton, QT_TRANSLATE_NOOP("MainWindow", "C&lear"), "clear"},
};

QIcon picture(const char* name, bool hot)
{
    return QIcon(QStringLiteral(":/icons/%1%2.png")
                     .arg(QString::fromLatin1(name), hot ? QStringLiteral("-hot") : QString()));
}

} // namespace

MainWindow::MainWindow(Database& database, QWidget* parent)
    : QMainWindow(parent)
    , database_(database)
    , commands_(new DatabaseCommands(database, this))
    , sessionHost_(*this, database, *commands_,
                   [this] {
                       fillRecipientList();
                       refreshOpenReports();
                   })
    , session_(&sessionHost_.session())
{
    setWindowTitle(tr("Tavolux"));
    setWindowIcon(picture("pagers", true));
    setMinimumSize(MinimumWidth, MinimumHeight);
    buildControls();
    buildShortcuts();
    ApplyAccessLevel();
    fillRecipientList();

    connect(commands_, &DatabaseCommands::databaseReplaced, this, &MainWindow::fillRecipientList);
    connect(commands_, &DatabaseCommands::databaseReplaced, this, &MainWindow::refreshOpenReports);
    connect(session_, &UnitSession::onlineChanged, this, &MainWindow::showLinkState);
    connect(session_, &UnitSession::pageProgress, this,
            [this](int percent) { progress_->setValue(std::min(percent, 100)); });
    connect(&tick_, &QTimer::timeout, this, [this] {
        for (PictureButton* button : std::as_const(buttons_))
            button->pollHover();
        session_->PumpPages();
        if (!tickHasWork())
            tick_.stop();
    });
    connect(session_, &UnitSession::pageQueueChanged, this, &MainWindow::wakeTick);
    connect(session_, &UnitSession::pageFailed, this, &MainWindow::pageFailed);
    connect(session_, &UnitSession::pageQueueChanged, this, [this] {
        sentMessages_.removeIf([this](const SentMessage& sent) {
            return !session_->pageQueue().contains(sent.record);
        });
    });

    session_->openPort(SettingsStore::portSettings());
    showLinkState(false);
    panes_[0]->setText(QStringLiteral("  ") + tr("Offline"));
    resize(MinimumWidth, MinimumHeight);
    restorePosition();
    const bool coastersWanted = std::ranges::any_of(
        std::initializer_list<SettingsStore::Key>{SettingsStore::Alert, SettingsStore::Range,
                                                  SettingsStore::Light, SettingsStore::Locate},
        [](SettingsStore::Key key) { return SettingsStore::integer(key, 1) != 0; });
    if (coastersWanted)
        openCoasterPanel();
}

// The tick runs only while it has something to do, so that an idle console does not wake the
// computer twenty times a second.
bool MainWindow::tickHasWork() const
{
    if (!session_->pageQueue().isEmpty() || session_->isPageBusy())
        return true;
    return std::any_of(buttons_.cbegin(), buttons_.cend(),
                       [](const PictureButton* button) { return button->isHover(); });
}

void MainWindow::wakeTick()
{
    if (!tick_.isActive())
        tick_.start(TickMs);
}

MainWindow::~MainWindow()
{
    // The session is a child and outlives this window's own members; a page it is still sending
    // when it stops must not reach back into the half-destroyed window (its tick, its panes).
    disconnect(session_, nullptr, this, nullptr);
    tick_.stop();
}

void MainWindow::buildControls()
{
    canvas_ = new QWidget(this);
    canvas_->installEventFilter(this);
    setCentralWidget(canvas_);

    auto place = [this](QWidget* widget, const QRect& base) {
        baseGeometry_.insert(widget, base);
        widget->setGeometry(base);
    };
    for (const CommandTable::Command& command : CommandTable::commands()) {
        const CommandTable::Picture& spec = command.picture;
        if (!spec.caption)
            continue;
        auto* button = new PictureButton(canvas_);
        button->Configure(tr(spec.caption), picture(spec.icon, true), picture(spec.icon, false),
                          PictureButton::IconAbove, false);
        button->installEventFilter(this);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &PictureButton::clicked, this, [this, id = command.id] { runCommand(id); });
        buttons_.insert(command.id, button);
        place(button, QRect(8 + 71 * spec.place, 4, 68, ButtonHeight));
    }

    recipientLabel_ = new QLabel(tr("Recipient"), canvas_);
    place(recipientLabel_, QRect(ListLeft, 82, ListBaseWidth, 18));
    recipients_ = new SortableList(canvas_);
    recipients_->insertColumn(0, tr("Name"), Qt::AlignLeft, ListBaseWidth * 3 / 5,
                              SortableList::TextSort);
    recipients_->insertColumn(1, tr("Local ID"), Qt::AlignLeft, ListBaseWidth * 2 / 5,
                              SortableList::NumberSort);
    recipients_->setColumnShares({3, 2});
    recipients_->setPictures({QIcon(QStringLiteral(":/icons/list-pager.png")),
                              QIcon(QStringLiteral(":/icons/list-group.png"))});
    recipients_->setSelectionMode(QAbstractItemView::SingleSelection);
    recipients_->installEventFilter(this);
    connect(recipients_, &QTreeWidget::itemDoubleClicked, this, &MainWindow::recipientActivated);
    connect(recipients_, &QTreeWidget::itemSelectionChanged, this, [this] {
        askingForRecipient_ = false;
        panes_[1]->setText(lastNotice_);
    });
    place(recipients_, QRect(ListLeft, ListTop, ListBaseWidth, 200));

    messageLabel_ = new QLabel(tr("Message to send"), canvas_);
    place(messageLabel_, QRect(RightColumn, 82, 305, 18));
    message_ = new PageTextEdit(canvas_);
    message_->setTabChangesFocus(true);
    message_->installEventFilter(this);
    connect(message_, &QPlainTextEdit::textChanged, this, &MainWindow::showMessageLength);
    place(message_, QRect(RightColumn, ListTop, 305, MessageBaseHeight));

    int x = RightColumn;
    for (const MessageButton& spec : MessageButtons) {
        auto* button = new PictureButton(canvas_);
        // In the tab chain after the message, so the focus must show; a click leaves it where
        // the user was typing.
        button->Configure(tr(spec.text), picture(spec.icon, true), picture(spec.icon, false),
                          PictureButton::IconAbove, true);
        button->setFocusPolicy(Qt::TabFocus);
        button->installEventFilter(this);
        buttons_.insert(spec.id, button);
        place(button, QRect(x, ListTop + MessageBaseHeight + 8, 58, 56));
        x += 61;
    }
    connect(buttons_[CommonButton], &PictureButton::clicked, this, &MainWindow::commonButton);
    connect(buttons_[TimeButton], &PictureButton::clicked, this, [this] {
        insertIntoMessage(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss ")));
    });
    connect(buttons_[DateButton], &PictureButton::clicked, this, [this] {
        insertIntoMessage(QDateTime::currentDateTime().toString(QStringLiteral("MM/dd/yy ")));
    });
    connect(buttons_[SendButton], &PictureButton::clicked, this, &MainWindow::sendCommand);
    connect(buttons_[ClearButton], &PictureButton::clicked, message_, &QPlainTextEdit::clear);

    const int progressTop = ListTop + MessageBaseHeight + 8 + 56 + 12;
    sendingLabel_ = new QLabel(tr("Sending..."), canvas_);
    place(sendingLabel_, QRect(RightColumn, progressTop, 80, 20));
    progress_ = new QProgressBar(canvas_);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    place(progress_, QRect(RightColumn + 84, progressTop, 221, 20));

    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(this);
        pane->setMinimumWidth(1);
        statusBar()->addWidget(pane, 1);
        panes_ << pane;
    }
    statusBar()->setSizeGripEnabled(false);
    showMessageLength();
}

void MainWindow::buildShortcuts()
{
    // The accelerators work whatever the menu bar shows; the level check stops them.
    for (const CommandTable::Command& command : CommandTable::commands()) {
        if (!command.accelerator)
            continue;
        auto* shortcut = new QShortcut(QKeySequence(tr(command.accelerator)), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, id = command.id] { runCommand(id); });
        accelerators_ << shortcut->key();
    }
}

void MainWindow::ApplyAccessLevel()
{
    QMenuBar* bar = menuBar();
    // clear() leaves the menus alive. They go once the event loop has them back, as the login or
    // logout that brought us here may come from one of their items.
    for (QAction* title : bar->actions())
        if (QMenu* menu = title->menu())
            menu->deleteLater();
    bar->clear();
    const AccessLevel::Level level = level_.level();
    auto addItem = [this, level](QWidget* where, const CommandTable::Command& command) {
        QString text = tr(command.text);
        if (command.accelerator)
            text += u'\t' + tr(command.accelerator);
        auto* action = new QAction(text, where);
        action->setData(command.id);
        connect(action, &QAction::triggered, this, [this, id = command.id] { runCommand(id); });
        where->addAction(action);
    };
    for (const CommandTable::MenuTitle& title : CommandTable::menus()) {
        auto* menu = new QMenu(tr(title.title), bar);
        std::optional<int> group;
        for (const CommandTable::Command& command : CommandTable::commands()) {
            if (command.menu != title.menu || !command.allows(level))
                continue;
            if (group && *group != command.group)
                menu->addSeparator();
            group = command.group;
            addItem(menu, command);
        }
        // A menu with nothing for this level is left out, as Edit is for the operator.
        if (menu->isEmpty()) {
            delete menu;
            continue;
        }
        bar->addMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { greyMenu(menu); });
    }
    for (const CommandTable::Command& command : CommandTable::commands())
        if (command.menu == CommandTable::Menu::Bar && command.allows(level))
            addItem(bar, command);

    for (auto it = buttons_.cbegin(); it != buttons_.cend(); ++it)
        if (const CommandTable::Command* command = CommandTable::find(it.key()))
            it.value()->setEnabled(command->allows(level));
}

void MainWindow::greyMenu(QMenu* menu)
{
    const bool online = session_->isOnline();
    for (QAction* action : menu->actions()) {
        const CommandTable::Command* command = CommandTable::find(action->data().toInt());
        if (!command)
            continue;
        switch (command->enabled) {
        case CommandTable::Enabled::Always:
            break;
        case CommandTable::Enabled::Offline:
            action->setEnabled(!online);
            break;
        case CommandTable::Enabled::Online:
            action->setEnabled(online);
            break;
        case CommandTable::Enabled::LoggedIn:
            action->setEnabled(level_.isAnyLevel());
            break;
        }
    }
}

void MainWindow::runCommand(int id)
{
    // A command below its levels does nothing, also through its accelerator or its button.
    if (const CommandTable::Command* command = CommandTable::find(id);
        command && !command->allows(level_.level()))
        return;
    switch (id) {
    case NewCommand:
        commands_->fileNew();
        break;
    case OpenCommand:
        commands_->fileOpen();
        break;
    case SaveCommand:
        commands_->fileSave();
        break;
    case SaveAsCommand:
        commands_->fileSaveAs();
        break;
    case LoginCommand: {
        LoginDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            login(dialog.password());
        break;
    }
    case LogoutCommand:
        logout();
        break;
    case UploadCommand:
        session_->UploadCommand();
        break;
    case DownloadCommand:
        session_->DownloadCommand();
        break;
    case ConnectCommand:
        session_->ConnectCommand();
        break;
    case DisconnectCommand:
        session_->DisconnectCommand();
        break;
    case ConnectionSettingsCommand:
        session_->ConnectionSettingsCommand();
        break;
    case UpdateTavoluxCommand:
        session_->FirmwareUpdateCommand();
        break;
    case UpdateVoicePromptsCommand:
        session_->VoicePromptUpdateCommand();
        break;
    case StatusCommand:
        session_->StatusCommand();
        break;
    case ExitCommand:
        close();
        break;
    case AboutCommand:
        showAbout();
        break;
    case GatewaySettingsCommand:
        openGatewaySettings();
        break;
    case ViewPagersCommand:
    case ViewGroupsCommand:
    case ViewAlarmsCommand:
        showReport(id);
        break;
    case ViewPageHistoryCommand:
        showPageHistory();
        break;
    default:
        openEditor(id);
        break;
    }
}

// The editors and reports plug in here; each opening is noted for the tests.
void MainWindow::openEditor(int command)
{
    openedWindows_ << command;
    if (!EditorLauncher::open(command, this, database_, *session_))
        return;
    editorClosed();
    // The panel's rows and cap codes may have changed with the patron pager settings.
    if (command == SettingsCommand)
        recreateCoasterPanel();
}

void MainWindow::showReport(int viewCommand)
{
    if (ReportWindow* open = reports_.value(viewCommand)) {
        open->activateWindow();
        open->raise();
        return;
    }
    const ReportKind kind = viewCommand == ViewPagersCommand   ? ReportKind::Pagers
                            : viewCommand == ViewGroupsCommand ? ReportKind::Groups
                                                               : ReportKind::Alarms;
    auto* report = new ReportWindow(kind, database_, this);
    reports_.insert(viewCommand, report);
    QList<QRect> taken{WindowPlacement::frame(*this)};
    if (coasterPanel_)
        taken << WindowPlacement::frame(*coasterPanel_);
    report->placeBeside(taken);
    report->show();
}

void MainWindow::showPageHistory()
{
    if (pageHistoryWindow_) {
        pageHistoryWindow_->activateWindow();
        pageHistoryWindow_->raise();
        return;
    }
    pageHistoryWindow_ = new PageHistoryWindow(
        pageHistory_ ? pageHistory_->path() : PageHistory::defaultPath(), pageHistory_, this);
    QList<QRect> taken{WindowPlacement::frame(*this)};
    if (coasterPanel_)
        taken << WindowPlacement::frame(*coasterPanel_);
    pageHistoryWindow_->placeBeside(taken);
    pageHistoryWindow_->show();
}

PageHistoryWindow* MainWindow::pageHistoryWindow() const
{
    return pageHistoryWindow_;
}

void MainWindow::setPageHistory(PageHistory* history)
{
    pageHistory_ = history;
    applyHistoryRetention();
}

void MainWindow::applyHistoryRetention()
{
    if (pageHistory_)
        pageHistory_->setRetentionDays(
            SettingsStore::integer(SettingsStore::HistoryKeepDays, PageHistory::DefaultKeepDays));
}

ReportWindow* MainWindow::openReport(int viewCommand) const
{
    return reports_.value(viewCommand);
}

void MainWindow::refreshOpenReports()
{
    for (ReportWindow* report : std::as_const(reports_))
        if (report)
            report->refresh();
}

void MainWindow::editorClosed()
{
    const QList<QTreeWidgetItem*> selected = recipients_->selectedItems();
    const auto shown = selected.isEmpty()
                           ? std::nullopt
                           : std::optional(SortableList::itemValue(selected.first()));
    fillRecipientList();
    if (QTreeWidgetItem* row = shown ? recipients_->findRow(*shown) : nullptr)
        recipients_->setCurrentItem(row);
    refreshOpenReports();
}

void MainWindow::login(const QString& password)
{
    UnitSettings settings = database_.image().settings();
    const bool wasOperator = !level_.isAnyLevel();
    if (!level_.login(password, settings.text(UnitSettings::administratorPassword),
                      settings.text(UnitSettings::maintenancePassword)) &&
        wasOperator) {
        MessageBox::beep(MessageBox::Beep::Exclamation);
        MessageBox::warning(this, tr("Password is invalid!"));
    }
    ApplyAccessLevel();
}

void MainWindow::logout()
{
    level_.logout();
    ApplyAccessLevel();
}

void MainWindow::fillRecipientList()
{
    recipients_->clearRows();
    ConfigurationImage& image = database_.image();
    NameTable& names = database_.names();
    auto addRow = [&](uint16_t id, int pictureIndex) {
        if (!names.contains(id))
            names.setName(id, QString::number(id));
        QTreeWidgetItem* row = recipients_->addRow(id, {names.name(id), QString::number(id)});
        // The column shows only the start of a long name.
        row->setToolTip(0, names.name(id));
        recipients_->setPicture(row, 0, pictureIndex);
    };
    for (auto slot = image.firstGroup(); slot; slot = image.nextGroup(*slot))
        addRow(image.group(*slot).localId(), 1);
    for (auto slot = image.firstPager(); slot; slot = image.nextPager(*slot))
        addRow(image.pager(*slot).localId(), 0);
}

void MainWindow::sendCommand()
{
    const QList<QTreeWidgetItem*> selected = recipients_->selectedItems();
    if (selected.isEmpty()) {
        // The focus frame on the first row looks like a choice; say that it is not one.
        MessageBox::beep();
        askingForRecipient_ = true;
        panes_[1]->setText(QStringLiteral("  ") + tr("Choose a pager or group first"));
        return;
    }
    const auto id = static_cast<uint16_t>(SortableList::itemValue(selected.first()));
    const QString text = message_->toPlainText();
    const QByteArray record = UnitSession::pageRecord(id, text);
    session_->QueuePage(record, {PageOrigin::Source::MessageBox, {}, {}});
    if (session_->isOnline()) {
        sentMessages_.append({record, id, text});
        message_->clear();
    }
    panes_[2]->setText(tr("Message Length: %1").arg(0));
}

void MainWindow::pageFailed(const QByteArray& record)
{
    const auto sent = std::ranges::find(sentMessages_, record, &SentMessage::record);
    if (sent == sentMessages_.end() || !message_->toPlainText().isEmpty())
        return;
    if (QTreeWidgetItem* row = recipients_->findRow(sent->recipient)) {
        recipients_->setCurrentItem(row);
        row->setSelected(true);
    }
    message_->setPlainText(sent->text);
    message_->moveCursor(QTextCursor::End);
}

void MainWindow::showMessageLength()
{
    panes_[2]->setText(QStringLiteral("  ") +
                       tr("Message Length: %1").arg(UnitText::pageLength(message_->toPlainText())));
}

void MainWindow::showLinkState(bool online)
{
    panes_[0]->setText(QStringLiteral("  ") + (online ? tr("Connected") : tr("Not Connected")));
    buttons_[SendButton]->setEnabled(online);
    buttons_[ClearButton]->setEnabled(online);
}

void MainWindow::showOutsidePage(const QString& source, uint16_t localId)
{
    showNotice(tr("Page to %1 from %2").arg(QString::number(localId), source));
}

void MainWindow::showNotice(const QString& text)
{
    lastNotice_ = QStringLiteral("  ") + text;
    // A long text may not fit the pane.
    panes_[1]->setToolTip(text);
    if (!askingForRecipient_)
        panes_[1]->setText(lastNotice_);
}

void MainWindow::insertIntoMessage(const QString& text)
{
    message_->setFocus();
    message_->insertLimited(text);
    message_->ensureCursorVisible();
}

QMenu* MainWindow::buildCommonMenu()
{
    delete commonMenu_;
    commonMenu_ = nullptr;
    ConfigurationImage& image = database_.image();
    QList<int> filled;
    for (int i = 0; i < ConfigurationImage::CommonMessageCount; ++i)
        if (!image.commonMessage(i).text().isEmpty())
            filled << i;
    if (filled.isEmpty())
        return nullptr;
    commonMenu_ = new QMenu(this);
    for (int i : filled) {
        const QString text = image.commonMessage(i).text();
        const QString shown = text.size() <= 50 ? text : text.left(30) + QStringLiteral("...");
        // A menu would take "&" for the mark of a mnemonic and hide it.
        QAction* action =
            commonMenu_->addAction(QString(shown).replace(u'&', QStringLiteral("&&")));
        action->setData(CommonMessageCommandBase + i);
        connect(action, &QAction::triggered, this, [this, text] { insertIntoMessage(text); });
    }
    return commonMenu_;
}

void MainWindow::commonButton()
{
    QMenu* menu = buildCommonMenu();
    if (!menu) {
        if (MessageBox::question(this,
                                 tr("There are no common messages installed.\nAdd some now?")) ==
            QMessageBox::Yes)
            runCommand(CommonMessagesCommand);
        return;
    }
    PictureButton* button = buttons_[CommonButton];
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void MainWindow::recipientActivated()
{
    const QTreeWidgetItem* row = recipients_->currentItem();
    if (!row || !level_.isAnyLevel())
        return;
    runCommand(SortableList::picture(row, 0) == 1 ? GroupsCommand : PagersCommand);
}

bool MainWindow::selectByFirstLetter(const QString& letter)
{
    for (int i = 0; i < recipients_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = recipients_->topLevelItem(i);
        if (row->text(0).startsWith(letter, Qt::CaseInsensitive)) {
            recipients_->setCurrentItem(row);
            row->setSelected(true);
            return true;
        }
    }
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == canvas_ && event->type() == QEvent::Paint) {
        // Two etched lines: one along the top, one under the row of editor buttons.
        QPainter painter(canvas_);
        for (int y : {0, 4 + ButtonHeight + 11}) {
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawLine(0, y, canvas_->width(), y);
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(0, y + 1, canvas_->width(), y + 1);
        }
        return false;
    }
    // The pointer over a picture button: the tick follows it until it leaves.
    if (event->type() == QEvent::Enter && qobject_cast<PictureButton*>(watched))
        wakeTick();
    if (event->type() == QEvent::ShortcutOverride && watched == message_) {
        // The accelerators come first, also where the box would take Ctrl+C for itself.
        if (accelerators_.contains(
                QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()))) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == message_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier) &&
            SettingsStore::integer(SettingsStore::SendOnEnter, 0) != 0) {
            sendCommand();
            return true;
        }
        if (watched == recipients_ && key->text().size() == 1 && key->text()[0].isPrint() &&
            key->modifiers() == Qt::NoModifier)
            return selectByFirstLetter(key->text());
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutControls();
}

// f = (5W - 2570) / 11: the list widens by f, everything right of it moves by f, and the message
// box grows with the height, pushing what is under it down.
void MainWindow::layoutControls()
{
    if (!canvas_ || isMinimized())
        return;
    const int width = std::max(canvas_->width(), 400);
    const int height = std::max(canvas_->height() + statusBar()->height(), 300);
    const int f = (5 * width - 2570) / 11;
    const int messageHeight = height * MessageBaseHeight / BaseHeight;
    const int growth = messageHeight - MessageBaseHeight;
    for (auto it = baseGeometry_.cbegin(); it != baseGeometry_.cend(); ++it) {
        QRect r = it.value();
        if (it.key() == recipients_) {
            r.setWidth(ListBaseWidth + f);
            r.setBottom(canvas_->height() - 4);
        } else if (r.left() >= ListLeft + ListBaseWidth && r.top() >= ListTop - 20) {
            r.translate(f, 0);
            if (it.key() == message_)
                r.setHeight(messageHeight);
            else if (r.top() > ListTop)
                r.translate(0, growth);
            // The message, its label and the progress bar take the room up to the right edge.
            if (it.key() == message_ || it.key() == messageLabel_ || it.key() == progress_)
                r.setRight(canvas_->width() - 1 - RightMargin);
        }
        it.key()->setGeometry(r);
    }
}

void MainWindow::restorePosition()
{
    if (const auto frame =
            SettingsStore::windowFrame(SettingsStore::binary(SettingsStore::WndPos))) {
        WindowPlacement::place(*this, *frame);
        return;
    }
    // The first time: near the screen's top left, placed by us rather than by the window manager,
    // so that the coaster panel opening beside it knows where it stands, with room on the right.
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    WindowPlacement::place(*this, QRect(corner + QPoint(FirstPlaceOffset, FirstPlaceOffset),
                                        size().grownBy(WindowPlacement::frameMargins(*this))));
}

void MainWindow::storePosition()
{
    SettingsStore::setBinary(SettingsStore::WndPos,
                             SettingsStore::windowFrameValue(WindowPlacement::frame(*this)));
}

void MainWindow::openGatewaySettings()
{
    GatewaySettingsWindow window(GatewaySettings::load(), this);
    if (ModalRunner::run(window) != QDialog::Accepted)
        return;
    applyHistoryRetention();
    emit gatewaySettingsChanged(window.settings());
}

void MainWindow::showAbout()
{
    std::unique_ptr<QDialog> about(createAboutBox(this));
    about->exec();
}

QDialog* MainWindow::createAboutBox(QWidget* parent)
{
    auto* about = new QDialog(parent);
    about->setWindowTitle(tr("About Tavolux"));
    auto* layout = new QVBoxLayout(about);
    auto* pictureLabel = new QLabel(about);
    pictureLabel->setPixmap(picture("pagers", true).pixmap(32, 32));
    layout->addWidget(pictureLabel, 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("Tavolux"), about), 0, Qt::AlignHCenter);
    layout->addWidget(
        new QLabel(tr("Version %1.%2 Build(%3)")
                       .arg(QStringLiteral("3"), QStringLiteral("05"), QStringLiteral("1")),
                   about),
        0, Qt::AlignHCenter);
    auto* buttons = new QDialogButtonBox(about);
    buttons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, about, &QDialog::accept);
    layout->addWidget(buttons);
    WindowPlacement::widenForTitle(*about);
    return about;
}

QString MainWindow::databasePath() const
{
    return commands_->currentPath();
}

void MainWindow::setDatabasePath(const QString& path)
{
    commands_->setCurrentPath(path);
}

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::leaveUnattended()
{
    if (leavingUnattended_)
        return;
    leavingUnattended_ = true;
    if (database_.isModified())
        commands_->keepRecoveryCopy();
    close();
}

void MainWindow::openCoasterPanel()
{
    auto* panel = new CoasterPanel(*session_, database_.image(), this);
    if (panel->rowCount() == 0) {
        // Nothing to show: the panel does not stay, and the console keeps the focus.
        delete panel;
        activateWindow();
        return;
    }
    coasterPanel_ = panel;
    panel->show();
}

CoasterPanel* MainWindow::coasterPanel() const
{
    return coasterPanel_;
}

void MainWindow::recreateCoasterPanel()
{
    if (coasterPanel_) {
        coasterPanel_->close();
        // Gone at once, so that its place is stored before the new one reads it.
        delete coasterPanel_.data();
    }
    openCoasterPanel();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!leavingUnattended_ && !commands_->promptSaveChanges()) {
        event->ignore();
        return;
    }
    // The coaster switches already show a waiting mode; the coasters must get it before the
    // goodbye. Left from outside, nobody could hear of a page that failed, so it stays unsent.
    if (coasterPanel_ && coasterPanel_->isModeWaiting() && !leavingUnattended_) {
        coasterPanel_->sendWaitingMode();
        session_->sendQueuedPages();
    }
    session_->Leave();
    storePosition();
    event->accept();
}
