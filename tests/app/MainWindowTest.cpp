#include "MainWindow.h"
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"
#include "AlarmsDialog.h"
#include "CommandTable.h"
#include "CommonMessagesDialog.h"
#include "Database.h"
#include "LoginDialog.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "PagersDialog.h"
#include "PictureButton.h"
#include "RecipientPickList.h"
#include "ReportWindow.h"
#include "SerialPort.h"
#include "SettingsStore.h"
#include "SortableList.h"
#include "UnitSession.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The menu bar as titles and the ids of their items (0 for a separator).
using MenuLayout = QList<std::pair<QString, QList<int>>>;

// As the user pastes: through the clipboard and Ctrl+V.
void paste(QPlainTextEdit* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

MenuLayout menuLayout(MainWindow& window)
{
    MenuLayout layout;
    for (QAction* top : window.menuBar()->actions()) {
        QList<int> ids;
        if (QMenu* menu = top->menu()) {
            for (QAction* item : menu->actions())
                ids << (item->isSeparator() ? 0 : item->data().toInt());
        } else {
            ids << top->data().toInt();
        }
        layout.append({top->text(), ids});
    }
    return layout;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().clear();
        SiteBuilder(database_)
            .pager(12, 1012, "Bar")
            .pager(9, 1009, "kitchen")
            .group(40, "Floor staff", {12, 9});
    }
    void TearDown() override { QSettings().clear(); }

    std::unique_ptr<MainWindow> open()
    {
        auto window = std::make_unique<MainWindow>(database_);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    // A window online to a unit that falls silent in the first page's block, with a short
    // answer time-out: "Table 4 ready" has just been sent to Bar.
    std::unique_ptr<MainWindow> sendAPageTheUnitNeverConfirms(const SimulatedUnit& unit)
    {
        SettingsStore::setText(SettingsStore::ComPort, unit.path());
        auto window = open();
        window->session().setAnswerTimeout(300);
        window->runCommand(ConnectCommand);
        EXPECT_TRUE(window->session().isOnline());
        window->recipientList()->topLevelItem(2)->setSelected(true);
        QTest::keyClicks(window->messageBox(), QStringLiteral("Table 4 ready"));
        QTest::mouseClick(window->button(MainWindow::SendButton), Qt::LeftButton);
        return window;
    }
    static QStringList silentInThePageBlock()
    {
        return {QStringLiteral("--silent-after"), QStringLiteral("3"),
                QStringLiteral("--fault-type"), QStringLiteral("4")};
    }

    Database database_;
};

} // namespace

TEST_F(MainWindowTest, MenusAndButtonsFollowTheAccessLevel)
{
    auto window = open();
    const QList<int> view{ViewPagersCommand, ViewGroupsCommand, ViewAlarmsCommand,
                          ViewPageHistoryCommand, StatusCommand};
    struct Level {
        const char* password; // entered at login; nullptr: as the window opens
        MenuLayout menus;
        QList<int> enabledButtons;
    };
    const Level levels[] = {
        {nullptr,
         {{QStringLiteral("&File"),
           {OpenCommand, 0, LoginCommand, LogoutCommand, 0, ConnectCommand, DisconnectCommand,
            ConnectionSettingsCommand, 0, ExitCommand}},
          {QStringLiteral("&View"), view},
          {QStringLiteral("&About"), {AboutCommand}}},
         {}},
        {"",
         {{QStringLiteral("&File"),
           {OpenCommand, 0, SaveCommand, SaveAsCommand, 0, LoginCommand, LogoutCommand, 0,
            UploadCommand, DownloadCommand, 0, ConnectCommand, DisconnectCommand,
            ConnectionSettingsCommand, 0, ExitCommand}},
          {QStringLiteral("&Edit"),
           {PagersCommand, GroupsCommand, 0, ReminderMessagesCommand, CommonMessagesCommand,
            FunctionKeysCommand}},
          {QStringLiteral("&View"), view},
          {QStringLiteral("&About"), {AboutCommand}}},
         {ReminderMessagesCommand, GroupsCommand, FunctionKeysCommand, PagersCommand,
          CommonMessagesCommand}},
        {"482915",
         {{QStringLiteral("&File"),
           {NewCommand,
            OpenCommand,
            0,
            SaveCommand,
            SaveAsCommand,
            0,
            LoginCommand,
            LogoutCommand,
            0,
            UploadCommand,
            DownloadCommand,
            0,
            ConnectCommand,
            DisconnectCommand,
            ConnectionSettingsCommand,
            GatewaySettingsCommand,
            0,
            UpdateTavoluxCommand,
            UpdateVoicePromptsCommand,
            0,
            ExitCommand}},
          {QStringLiteral("&Edit"),
           {PagersCommand, GroupsCommand, 0, AlarmsCommand, 0, ReminderMessagesCommand,
            CommonMessagesCommand, FunctionKeysCommand, 0, SettingsCommand}},
          {QStringLiteral("&View"), view},
          {QStringLiteral("&About"), {AboutCommand}}},
         {AlarmsCommand, ReminderMessagesCommand, PagersCommand, GroupsCommand,
          CommonMessagesCommand, FunctionKeysCommand, SettingsCommand}},
    };
    for (const Level& level : levels) {
        if (level.password)
            window->login(QString::fromLatin1(level.password));
        EXPECT_EQ(menuLayout(*window), level.menus)
            << (level.password ? level.password : "operator");
        for (const CommandTable::Command& command : CommandTable::commands()) {
            if (command.picture.caption) {
                EXPECT_EQ(window->button(command.id)->isEnabled(),
                          level.enabledButtons.contains(command.id))
                    << command.id;
            }
        }
    }
    EXPECT_EQ(window->menuBar()->actions()[1]->menu()->actions()[5]->text(),
              QStringLiteral("&Reminder Messages\tCtrl+I"));

    // Greying as a menu opens: offline, Connect and Update are on, the online commands off.
    QMenu* file = window->menuBar()->actions()[0]->menu();
    emit file->aboutToShow();
    for (QAction* item : file->actions()) {
        const int id = item->data().toInt();
        if (id == ConnectCommand || id == UpdateTavoluxCommand || id == LogoutCommand) {
            EXPECT_TRUE(item->isEnabled()) << id;
        }
        if (id == DisconnectCommand || id == DownloadCommand || id == UploadCommand ||
            id == UpdateVoicePromptsCommand) {
            EXPECT_FALSE(item->isEnabled()) << id;
        }
    }
    window->logout();
    emit window->menuBar()->actions()[0]->menu()->aboutToShow();
    EXPECT_FALSE(window->menuBar()->actions()[0]->menu()->actions()[3]->isEnabled()); // Logout
}

TEST_F(MainWindowTest, CommandsBelowTheLevelDoNothingAlsoByAccelerator)
{
    auto window = open();
    struct Step {
        const char* password;
        Qt::Key key;
        bool opens;
    };
    const Step steps[] = {
        {nullptr, Qt::Key_P, false}, {"", Qt::Key_P, true},       {"", Qt::Key_A, false},
        {"", Qt::Key_S, false},      {"482915", Qt::Key_S, true}, {"482915", Qt::Key_A, true},
    };
    for (const Step& step : steps) {
        window->logout();
        if (step.password)
            window->login(QString::fromLatin1(step.password));
        const auto before = window->openedWindows().size();
        QTest::keyClick(window->messageBox(), step.key, Qt::ControlModifier);
        EXPECT_EQ(window->openedWindows().size() - before, step.opens ? 1 : 0)
            << (step.password ? step.password : "operator") << " key " << step.key;
    }
    // Ctrl+C in the message box is the Common Messages command, never a copy; at the operator
    // level it does nothing at all.
    for (const char* password : {static_cast<const char*>(nullptr), ""}) {
        window->logout();
        if (password)
            window->login(QString::fromLatin1(password));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        window->messageBox()->setPlainText(QStringLiteral("abc"));
        window->messageBox()->selectAll();
        const auto before = window->openedWindows().size();
        QTest::keyClick(window->messageBox(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        EXPECT_EQ(window->openedWindows().size() - before, password ? 1 : 0);
        if (password) {
            EXPECT_EQ(window->openedWindows().last(), CommonMessagesCommand);
        }
    }
}

TEST_F(MainWindowTest, TheLoginDialogAsksInsideItselfNotOnlyInItsTitle)
{
    auto window = open();
    LoginDialog dialog(window.get());
    dialog.show();
    QLabel* prompt = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text() == QStringLiteral("Enter Password:") && label->isVisible())
            prompt = label;
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->buddy(), static_cast<QWidget*>(dialog.passwordEdit()));
}

TEST_F(MainWindowTest, LoginPaths)
{
    auto window = open();
    struct Case {
        const char* what;
        QString administrator;
        QString maintenance;
        QStringList entered;
        AccessLevel::Level expected;
        int invalidMessages;
    };
    const Case cases[] = {
        {"empty administrator password of the default database",
         {},
         QStringLiteral("482915"),
         {QString()},
         AccessLevel::Administrator,
         0},
        {"maintenance password",
         {},
         QStringLiteral("482915"),
         {QStringLiteral("482915")},
         AccessLevel::Maintenance,
         0},
        {"equal passwords: maintenance wins",
         QStringLiteral("111111"),
         QStringLiteral("111111"),
         {QStringLiteral("111111")},
         AccessLevel::Maintenance,
         0},
        {"wrong at the operator level",
         QStringLiteral("222222"),
         QStringLiteral("482915"),
         {QStringLiteral("123")},
         AccessLevel::Operator,
         1},
        {"wrong at a level keeps it silently",
         QStringLiteral("222222"),
         QStringLiteral("482915"),
         {QStringLiteral("222222"), QStringLiteral("999999")},
         AccessLevel::Administrator,
         0},
        {"switching directly",
         QStringLiteral("222222"),
         QStringLiteral("482915"),
         {QStringLiteral("222222"), QStringLiteral("482915")},
         AccessLevel::Maintenance,
         0},
    };
    for (const Case& c : cases) {
        MessageBox::resetScript();
        window->logout();
        UnitSettings settings = database_.image().settings();
        settings.setText(UnitSettings::administratorPassword, c.administrator);
        settings.setText(UnitSettings::maintenancePassword, c.maintenance);
        for (const QString& password : c.entered)
            window->login(password);
        EXPECT_EQ(window->accessLevel().level(), c.expected) << c.what;
        EXPECT_EQ(MessageBox::shown().size(), c.invalidMessages) << c.what;
        if (c.invalidMessages) {
            EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("Password is invalid!"));
            EXPECT_EQ(MessageBox::beeps(), QList<MessageBox::Beep>{MessageBox::Beep::Exclamation});
        }
    }
}

TEST_F(MainWindowTest, MessageBoxLengthTimeDateAndCommonMessages)
{
    auto window = open();
    QPlainTextEdit* message = window->messageBox();
    EXPECT_EQ(window->statusPane(2)->text(), QStringLiteral("  Message Length: 0"));
    QTest::keyClicks(message, QString(200, u'a'));
    EXPECT_EQ(message->toPlainText().size(), 200);
    EXPECT_EQ(window->statusPane(2)->text(), QStringLiteral("  Message Length: 200"));
    QTest::keyClicks(message, QStringLiteral("b"));
    EXPECT_EQ(message->toPlainText(), QString(200, u'a'));

    // Time and Date go in at the caret, each with one blank after it.
    message->setPlainText(QStringLiteral("ab"));
    QTextCursor cursor = message->textCursor();
    cursor.setPosition(1);
    message->setTextCursor(cursor);
    QTest::mouseClick(window->button(MainWindow::TimeButton), Qt::LeftButton);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^a\\d\\d:\\d\\d:\\d\\d b$"))
                    .match(message->toPlainText())
                    .hasMatch())
        << message->toPlainText().toStdString();
    message->clear();
    QTest::mouseClick(window->button(MainWindow::DateButton), Qt::LeftButton);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d $"))
                    .match(message->toPlainText())
                    .hasMatch());

    // No common messages: the question, and at the operator level Yes opens nothing.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(window->button(MainWindow::CommonButton), Qt::LeftButton);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral("There are no common messages installed.\nAdd some now?"));
    EXPECT_TRUE(window->openedWindows().isEmpty());

    // A 33-character message is listed whole. A received entry without its NUL ends at the end
    // of its field: it does not run on into the next message.
    database_.image().commonMessage(3).setText(QString(33, u'c'));
    database_.image().commonMessage(6).setText(QStringLiteral("next"));
    for (int i = 0; i < 34; ++i)
        database_.image().setU8At(6528 + 5 * 34 + i, 'x');
    QMenu* menu = window->buildCommonMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[0]->text(), QString(33, u'c'));
    EXPECT_EQ(menu->actions()[0]->data().toInt(), 10003);
    EXPECT_EQ(menu->actions()[1]->data().toInt(), 10005);
    EXPECT_EQ(menu->actions()[1]->text(), QString(34, u'x'));
    EXPECT_EQ(menu->actions()[2]->text(), QStringLiteral("next"));

    // Choosing one inserts it at the caret.
    message->setPlainText(QStringLiteral("> "));
    message->moveCursor(QTextCursor::End);
    menu->actions()[2]->trigger();
    EXPECT_EQ(message->toPlainText(), QStringLiteral("> next"));
}

TEST_F(MainWindowTest, AnAmpersandInACommonMessageIsShownAsWritten)
{
    auto window = open();
    database_.image().commonMessage(0).setText(QStringLiteral("Fish & Chips"));
    QMenu* menu = window->buildCommonMenu();
    ASSERT_NE(menu, nullptr);
    // Doubled, it is no mnemonic marker: the menu shows one "&".
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Fish && Chips"));
    window->messageBox()->clear();
    menu->actions()[0]->trigger();
    EXPECT_EQ(window->messageBox()->toPlainText(), QStringLiteral("Fish & Chips"));
}

TEST_F(MainWindowTest, RecipientListSelectionSendAndTheNotConnectedPath)
{
    auto window = open();
    SortableList* list = window->recipientList();
    EXPECT_EQ(list->rowValues(),
              (QList<qint64>{40, 9, 12})); // groups first, then pagers by local ID
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Floor staff"));
    EXPECT_EQ(SortableList::picture(list->topLevelItem(0), 0), 1);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_K);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(SortableList::itemValue(list->currentItem()), 9);
    QTest::keyClick(list, Qt::Key_B);
    EXPECT_EQ(SortableList::itemValue(list->currentItem()), 12);

    // Nothing selected: a beep and a word in the status bar, until a row is chosen. Offline:
    // the page is refused, the text stays.
    list->clearSelection();
    window->messageBox()->setPlainText(QStringLiteral("hello"));
    window->sendCommand();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(MessageBox::beeps().size(), 1);
    EXPECT_EQ(window->statusPane(1)->text(), QStringLiteral("  Choose a pager or group first"));
    EXPECT_EQ(window->messageBox()->toPlainText(), QStringLiteral("hello"));
    list->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(window->statusPane(1)->text().isEmpty());
    window->sendCommand();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("Message not sent.  Not Connected!"));
    EXPECT_EQ(window->messageBox()->toPlainText(), QStringLiteral("hello"));
    EXPECT_EQ(window->statusPane(2)->text(), QStringLiteral("Message Length: 0"));
    EXPECT_EQ(window->statusPane(0)->text(), QStringLiteral("  Offline"));
    EXPECT_FALSE(window->button(MainWindow::SendButton)->isEnabled());

    // Enter sends only when "SendOnEnter" is set; otherwise it is a new line.
    MessageBox::resetScript();
    window->messageBox()->setPlainText(QStringLiteral("hi"));
    window->messageBox()->moveCursor(QTextCursor::End);
    QTest::keyClick(window->messageBox(), Qt::Key_Return);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(window->messageBox()->toPlainText(), QStringLiteral("hi\n"));
    SettingsStore::setInteger(SettingsStore::SendOnEnter, 1);
    QTest::keyClick(window->messageBox(), Qt::Key_Return);
    EXPECT_EQ(MessageBox::shown().size(), 1);
    QTest::keyClick(window->messageBox(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(MessageBox::shown().size(), 1);

    // A double click opens the editor of the row's kind, only at a level.
    list->setCurrentItem(list->topLevelItem(0));
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    EXPECT_TRUE(window->openedWindows().isEmpty());
    window->login(QString());
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    EXPECT_EQ(window->openedWindows(), QList<int>{GroupsCommand});
    EXPECT_EQ(list->rowValues().first(), 40); // refilled: groups first again
}

TEST_F(MainWindowTest, APageFromTheWindowReachesTheUnit)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    SettingsStore::setText(SettingsStore::ComPort, unit.path());
    auto window = open();
    window->runCommand(ConnectCommand);
    ASSERT_TRUE(window->session().isOnline());
    EXPECT_EQ(window->statusPane(0)->text(), QStringLiteral("  Connected"));
    EXPECT_TRUE(window->button(MainWindow::SendButton)->isEnabled());

    window->recipientList()->topLevelItem(2)->setSelected(true); // pager 12
    QTest::keyClicks(window->messageBox(), QStringLiteral("Table 4 ready"));
    QTest::mouseClick(window->button(MainWindow::SendButton), Qt::LeftButton);
    EXPECT_TRUE(window->messageBox()->toPlainText().isEmpty());
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 1));
    EXPECT_EQ(
        unit.events(QStringLiteral("page"))[0].value(QStringLiteral("bytes")).toString().toLatin1(),
        QByteArray("12\x1eTable 4 ready\x1e").toHex());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->session().isPageBusy(); }, 3000));
    EXPECT_EQ(window->progressBar()->value(), 0);

    // A line break goes out as CR LF, as the unit has always received it.
    QTest::keyClicks(window->messageBox(), QStringLiteral("Table 4"));
    QTest::keyClick(window->messageBox(), Qt::Key_Return);
    QTest::keyClicks(window->messageBox(), QStringLiteral("ready"));
    QTest::mouseClick(window->button(MainWindow::SendButton), Qt::LeftButton);
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 2));
    EXPECT_EQ(
        unit.events(QStringLiteral("page"))[1].value(QStringLiteral("bytes")).toString().toLatin1(),
        QByteArray("12\x1eTable 4\r\nready\x1e").toHex());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->session().isPageBusy(); }, 3000));
    window->runCommand(DisconnectCommand);
    EXPECT_EQ(window->statusPane(0)->text(), QStringLiteral("  Not Connected"));
}

TEST_F(MainWindowTest, TheTickRunsOnlyWhilePagesWaitOrThePointerIsOnAButton)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    SettingsStore::setText(SettingsStore::ComPort, unit.path());
    auto window = open();
    QTest::qWait(3 * MainWindow::TickMs);
    EXPECT_FALSE(window->isTicking());

    window->runCommand(ConnectCommand);
    ASSERT_TRUE(window->session().isOnline());
    window->session().QueuePage(UnitSession::pageRecord(12, QStringLiteral("one")), {});
    window->session().QueuePage(UnitSession::pageRecord(12, QStringLiteral("two")), {});
    EXPECT_TRUE(window->isTicking());
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isTicking(); }, 5000));
    EXPECT_TRUE(window->session().pageQueue().isEmpty());

    // The pointer on a picture button, then off it: the hot face goes with the tick's poll.
    PictureButton* send = window->button(MainWindow::SendButton);
    const QPoint on = send->rect().center();
    QCursor::setPos(send->mapToGlobal(on));
    QTest::mouseMove(send, on);
    ASSERT_TRUE(QTest::qWaitFor([&] { return send->isHover(); }, 2000));
    EXPECT_TRUE(window->isTicking());
    QCursor::setPos(window->mapToGlobal(QPoint(window->width() - 2, window->height() - 2)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !send->isHover() && !window->isTicking(); }, 2000));
    window->runCommand(DisconnectCommand);
}

TEST_F(MainWindowTest, MessageBoxRefusesWhatTheUnitCannotShowAsItRefusesThe201st)
{
    auto window = open();
    QPlainTextEdit* message = window->messageBox();
    // As a keyboard with that letter types it (QTest's own typing knows only ASCII).
    auto type = [&](const QString& text) {
        QTest::sendKeyEvent(QTest::Click, message, Qt::Key_unknown, text, Qt::NoModifier);
    };
    struct Case {
        const char* what;
        std::function<void()> type;
        QString expected;
        int length; // as the length pane counts it: a line break is two
    };
    const Case cases[] = {
        {"Greek letter", [&] { type(QStringLiteral("\u03b1")); }, {}, 2},
        {"emoji", [&] { type(QStringLiteral("\U0001F37D")); }, {}, 2},
        {"pasted tab", [&] { paste(message, QStringLiteral("\t")); }, {}, 2},
        {"pasted record separator",
         [&] {
             paste(message, QStringLiteral("b\x1e"
                                           "c"));
         },
         {},
         2},
        {"pasted escape sequence", [&] { paste(message, QStringLiteral("\x1b[2J")); }, {}, 2},
        {"pasted C1 control", [&] { paste(message, QStringLiteral("\u0085")); }, {}, 2},
        {"Latin-1 letter", [&] { type(QStringLiteral("\u00e9")); }, QStringLiteral("\u00e9"), 3},
        {"line break", [&] { QTest::keyClick(message, Qt::Key_Return); }, QStringLiteral("\n"), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        message->setPlainText(QStringLiteral("ok"));
        message->moveCursor(QTextCursor::End);
        c.type();
        EXPECT_EQ(message->toPlainText(), QStringLiteral("ok") + c.expected);
        EXPECT_EQ(window->statusPane(2)->text(),
                  QStringLiteral("  Message Length: %1").arg(c.length));
    }
}

TEST_F(MainWindowTest, ARefusedKeyLeavesTextCaretSelectionAndUndoAsTheyWere)
{
    auto window = open();
    QPlainTextEdit* message = window->messageBox();
    // 200 places taken, the last by a typed key the user can still undo.
    const QString before = QStringLiteral("14:10 ") + QString(192, u'a');
    struct Case {
        const char* where;
        int anchor;
        int position;
        Qt::Key key; // refused: no room for it
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    };
    const Case cases[] = {
        {"start", 0, 0, Qt::Key_Q},
        {"middle", 2, 2, Qt::Key_Q},
        {"end", 199, 199, Qt::Key_Q},
        {"line break over a one-character selection", 3, 4, Qt::Key_Return},
        {"Ctrl+Enter, a line break too", 199, 199, Qt::Key_Return, Qt::ControlModifier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        message->setPlainText(before);
        message->moveCursor(QTextCursor::End);
        QTest::keyClick(message, Qt::Key_Return);
        ASSERT_EQ(window->statusPane(2)->text(), QStringLiteral("  Message Length: 200"));
        const QString full = message->toPlainText();
        QTextCursor cursor = message->textCursor();
        cursor.setPosition(c.anchor);
        cursor.setPosition(c.position, QTextCursor::KeepAnchor);
        message->setTextCursor(cursor);
        MessageBox::resetScript();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(message, c.key, c.modifiers);
        EXPECT_EQ(message->toPlainText(), full);
        EXPECT_EQ(message->textCursor().anchor(), c.anchor);
        EXPECT_EQ(message->textCursor().position(), c.position);
        EXPECT_EQ(MessageBox::beeps().size(), 3);
        ASSERT_TRUE(message->document()->isUndoAvailable());
        message->undo();
        EXPECT_EQ(message->toPlainText(), before);
    }
}

TEST_F(MainWindowTest, AnInsertionTooLongGoesInAsFarAsItFitsWithABeep)
{
    auto window = open();
    QPlainTextEdit* message = window->messageBox();
    database_.image().commonMessage(0).setText(QStringLiteral("Your table is ready"));
    struct Case {
        const char* what;
        QString text;
        std::function<void()> insert;
        QString expected;
        int beeps;
    };
    const Case cases[] = {
        {"paste", QString(197, u'x'), [&] { paste(message, QStringLiteral("abcdef")); },
         QString(197, u'x') + QStringLiteral("abc"), 1},
        {"paste with CR LF line ends", QString(194, u'x'),
         [&] { paste(message, QStringLiteral("a\r\nb\rc\n")); },
         QString(194, u'x') + QStringLiteral("a\nb\n"), 1},
        {"paste that fits", QString(), [&] { paste(message, QStringLiteral("a\r\nb")); },
         QStringLiteral("a\nb"), 0},
        {"common message", QString(190, u'x'),
         [&] { window->buildCommonMenu()->actions()[0]->trigger(); },
         QString(190, u'x') + QStringLiteral("Your table"), 1},
        {"date", QString(195, u'x'),
         [&] { QTest::mouseClick(window->button(MainWindow::DateButton), Qt::LeftButton); },
         QString(195, u'x') + QDateTime::currentDateTime().toString(QStringLiteral("MM/dd")), 1},
        {"line break with one place left", QString(199, u'x'),
         [&] { window->insertIntoMessage(QStringLiteral("\n")); }, QString(199, u'x'), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        message->setPlainText(c.text);
        message->moveCursor(QTextCursor::End);
        MessageBox::resetScript();
        c.insert();
        EXPECT_EQ(message->toPlainText(), c.expected);
        EXPECT_EQ(MessageBox::beeps().size(), c.beeps);
    }
}

TEST_F(MainWindowTest, RecipientColumnsFitTheListWithMoreRowsThanItShows)
{
    SiteBuilder(database_).pagers(
        60, 100, 1100, [](int index) { return QStringLiteral("Pager %1").arg(100 + index); });
    auto window = open();
    SortableList* list = window->recipientList();
    for (const QSize size :
         {QSize(MainWindow::MinimumWidth, MainWindow::MinimumHeight), QSize(800, 600)}) {
        SCOPED_TRACE(size.width());
        window->resize(size);
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->verticalScrollBar()->isVisible(); }, 2000));
        QTest::qWait(50);
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
        EXPECT_LE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
        EXPECT_GE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width() - 1);
    }
}

TEST_F(MainWindowTest, TheMessageAndTheListUseTheRoomAndLongNamesShowWhole)
{
    const QString longName = QStringLiteral("Kitchen pass, second floor");
    SiteBuilder(database_).pager(77, 1077, "Kitchen pass, second floor");
    auto window = open();
    for (const QSize size : {QSize(MainWindow::MinimumWidth, MainWindow::MinimumHeight),
                             QSize(800, 600), QSize(1200, 800)}) {
        SCOPED_TRACE(size.width());
        window->resize(size);
        QTest::qWait(20);
        const int right = window->centralWidget()->width() - 10;
        EXPECT_EQ(window->messageBox()->geometry().right() + 1, right);
        EXPECT_EQ(window->progressBar()->geometry().right() + 1, right);
        EXPECT_GE(window->recipientList()->width(), 179 + (5 * size.width() - 2570) / 11);
    }
    const QTreeWidgetItem* row = window->recipientList()->findRow(77);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->toolTip(0), longName);
}

TEST_F(MainWindowTest, TabFromTheMessageReachesButtonsThatShowTheFocus)
{
    auto window = open();
    window->messageBox()->setFocus();
    QTest::keyClick(window->messageBox(), Qt::Key_Tab);
    auto* button = qobject_cast<PictureButton*>(QApplication::focusWidget());
    ASSERT_NE(button, nullptr);
    const QImage focused = button->grab().toImage();
    window->messageBox()->setFocus();
    ASSERT_FALSE(button->hasFocus());
    EXPECT_NE(button->grab().toImage(), focused);
}

TEST_F(MainWindowTest, LoginsAndLogoutsFreeTheMenusTheyReplace)
{
    auto window = open();
    auto menusAlive = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window->findChildren<QMenu*>().size();
    };
    window->login(QStringLiteral("482915"));
    window->logout();
    const qsizetype afterOne = menusAlive();
    for (int i = 0; i < 5; ++i) {
        window->login(QStringLiteral("482915"));
        window->logout();
    }
    EXPECT_EQ(menusAlive(), afterOne);
}

TEST_F(MainWindowTest, SavedLineSettingsTheLineCannotTakeAreNamedAtConnect)
{
    struct Case {
        SettingsStore::Key key;
        QString stored;
        QString named;
    };
    const Case cases[] = {
        {SettingsStore::BaudRate, QStringLiteral("12345"), QStringLiteral("BaudRate 12345")},
        {SettingsStore::BaudRate, QStringLiteral("-9600"), QStringLiteral("BaudRate -9600")},
        {SettingsStore::DataBits, QStringLiteral("99"), QStringLiteral("DataBits 99")},
        {SettingsStore::Parity, QStringLiteral("9"), QStringLiteral("Parity 9")},
        {SettingsStore::StopBits, QStringLiteral("5"), QStringLiteral("StopBits 5")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        QSettings().clear();
        MessageBox::resetScript();
        SimulatedUnit unit;
        ASSERT_TRUE(unit.started());
        SettingsStore::setText(SettingsStore::ComPort, unit.path());
        SettingsStore::setText(c.key, c.stored);
        auto window = open();
        EXPECT_TRUE(MessageBox::shown().isEmpty()); // said when the line is wanted, not before
        window->runCommand(ConnectCommand);
        EXPECT_FALSE(window->session().isOnline());
        ASSERT_EQ(MessageBox::shown().size(), 1);
        EXPECT_TRUE(MessageBox::shown()[0].text.contains(c.named))
            << MessageBox::shown()[0].text.toStdString();
        EXPECT_EQ(unit.events().size(), 1); // its own start: nothing came down the line
    }
}

TEST_F(MainWindowTest, APageTheUnitNeverConfirmsIsReportedAndTheWindowGoesOffline)
{
    SimulatedUnit unit(silentInThePageBlock());
    ASSERT_TRUE(unit.started());
    auto window = sendAPageTheUnitNeverConfirms(unit);
    QTest::keyClicks(window->messageBox(), QStringLiteral("Table 5 ready"));
    QTest::mouseClick(window->button(MainWindow::SendButton), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().isOnline(); }, 5000));
    EXPECT_EQ(window->statusPane(0)->text(), QStringLiteral("  Not Connected"));
    EXPECT_FALSE(window->button(MainWindow::SendButton)->isEnabled());
    EXPECT_FALSE(window->session().isPageBusy());
    EXPECT_TRUE(window->session().pageQueue().isEmpty());
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("No response from unit."));
    EXPECT_EQ(unit.events(QStringLiteral("page")).size(), 0);
    // The failed text is back in the empty box, with its recipient, to be sent again.
    EXPECT_EQ(window->messageBox()->toPlainText(), QStringLiteral("Table 4 ready"));
    ASSERT_EQ(window->recipientList()->selectedItems().size(), 1);
    EXPECT_EQ(SortableList::itemValue(window->recipientList()->selectedItems()[0]), 12);
}

TEST_F(MainWindowTest, AFailedPageLeavesATextTypedSinceAsItIs)
{
    SimulatedUnit unit(silentInThePageBlock());
    ASSERT_TRUE(unit.started());
    auto window = sendAPageTheUnitNeverConfirms(unit);
    QTest::keyClicks(window->messageBox(), QStringLiteral("Next"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().isOnline(); }, 5000));
    EXPECT_EQ(window->messageBox()->toPlainText(), QStringLiteral("Next"));
}

TEST_F(MainWindowTest, AnUploadedConfigurationIsAnUnsavedChange)
{
    // Left unmarked, the unit's configuration was lost at Exit without the save question, and
    // a signal kept no recovery copy of it.
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    SettingsStore::setText(SettingsStore::ComPort, unit.path());
    auto window = open();
    window->login(QString()); // the administrator's empty password of a new database
    window->runCommand(ConnectCommand);
    ASSERT_TRUE(window->session().isOnline());
    ASSERT_FALSE(database_.isModified());
    window->runCommand(UploadCommand);
    EXPECT_TRUE(unit.waitForEvents(QStringLiteral("upload"), 1));
    EXPECT_TRUE(window->session().isOnline());
    EXPECT_TRUE(database_.isModified());
}

TEST_F(MainWindowTest, TheUpdateCommandsOpenTheirWindows)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    SettingsStore::setText(SettingsStore::ComPort, unit.path());
    auto window = open();
    window->login(QStringLiteral("482915"));
    ASSERT_TRUE(window->accessLevel().isMaintenance());
    window->runCommand(ConnectCommand);
    ASSERT_TRUE(window->session().isOnline());
    QString opened;
    auto closeTheWindowThatOpens = [&] {
        opened.clear();
        QTimer::singleShot(200, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = QString::fromLatin1(dialog->metaObject()->className());
                dialog->reject();
            }
        });
    };

    closeTheWindowThatOpens();
    window->runCommand(UpdateVoicePromptsCommand);
    EXPECT_EQ(opened, QStringLiteral("VoiceUpdateWindow"));
    EXPECT_TRUE(window->session().isOnline());

    MessageBox::setNextAnswer(QMessageBox::Yes);
    closeTheWindowThatOpens();
    window->runCommand(UpdateTavoluxCommand);
    EXPECT_EQ(opened, QStringLiteral("FirmwareUpdateWindow"));
    EXPECT_FALSE(window->session().isOnline());
    EXPECT_EQ(window->session().port()->GetBaudRate(), 9600u);
}

TEST_F(MainWindowTest, ResizingAndTheStoredPosition)
{
    auto window = open();
    window->resize(800, 600);
    QTest::qWait(50);
    ASSERT_EQ(window->centralWidget()->width(), 800);
    EXPECT_EQ(window->recipientList()->width(), 309);
    EXPECT_EQ(window->messageBox()->x(), 199 + 130);

    window->setGeometry(QRect(40, 50, 700, 520));
    QTest::qWait(50);
    const QRect placed = window->normalGeometry();
    ASSERT_TRUE(window->close());
    const QByteArray stored = SettingsStore::binary(SettingsStore::WndPos);
    ASSERT_EQ(stored.size(), 16);
    auto again = open();
    EXPECT_EQ(again->normalGeometry(), placed);
}

TEST_F(MainWindowTest, AStoredFrameNoWindowCanHaveLeavesTheUsualPlace)
{
    const QRect usual = open()->normalGeometry();
    struct Case {
        const char* what;
        qint32 left, top, right, bottom;
    };
    const Case cases[] = {
        {"inside out", 700, 500, 40, 50},
        {"empty", 40, 50, 40, 50},
        {"wider than a widget can be", 0, 0, 1 << 25, 400},
        {"across the whole range", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
    };
    for (const Case& c : cases) {
        QByteArray stored(16, '\0');
        qToLittleEndian<qint32>(c.left, stored.data());
        qToLittleEndian<qint32>(c.top, stored.data() + 4);
        qToLittleEndian<qint32>(c.right, stored.data() + 8);
        qToLittleEndian<qint32>(c.bottom, stored.data() + 12);
        SettingsStore::setBinary(SettingsStore::WndPos, stored);
        EXPECT_EQ(open()->normalGeometry(), usual) << c.what;
    }
}

TEST_F(MainWindowTest, AStoredPlaceOffTheScreenComesBackInsideIt)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* what;
        QRect frame;
    } cases[] = {
        {"caption above the screen", QRect(area.left() + 30, area.top() - 20, 600, 500)},
        {"from a larger screen", QRect(area.right() + 400, area.bottom() + 300, 600, 500)},
        {"from a second screen on the left", QRect(area.left() - 1900, area.top() + 40, 600, 500)},
        {"larger than the screen", QRect(area.left(), area.top(), area.width() + 300, 3000)},
    };
    for (const auto& c : cases) {
        SettingsStore::setBinary(SettingsStore::WndPos, SettingsStore::windowFrameValue(c.frame));
        auto window = open();
        // The size is set again once the window's frame is known, just after it shows.
        EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(window->frameGeometry()); }, 2000))
            << c.what;
    }
}

TEST_F(MainWindowTest, ReportsOpenBesideTheWindowAndWhereTheUserLeftThem)
{
    auto window = open();
    window->resize(MainWindow::MinimumWidth, MainWindow::MinimumHeight);
    window->move(0, 0);
    QTest::qWait(20);
    const QRect area = window->screen()->availableGeometry();
    window->runCommand(ViewPagersCommand);
    ReportWindow* pagers = window->openReport(ViewPagersCommand);
    ASSERT_NE(pagers, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pagers));
    // Beside the window where the screen has room (the screenshot round shows that on a larger
    // screen); on this one, inside it at least.
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(pagers->frameGeometry()); }, 2000));

    // Moved by the user, closed, opened again: where it was left; the groups report has its own.
    QTest::qWait(50);
    const QRect placed = pagers->frameGeometry();
    pagers->move(area.left() + 40, area.bottom() - pagers->frameGeometry().height() - 10);
    QTest::qWait(50);
    const QRect left = pagers->frameGeometry();
    ASSERT_NE(left, placed);
    pagers->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->openReport(ViewPagersCommand); }, 2000));
    window->runCommand(ViewPagersCommand);
    ASSERT_NE(window->openReport(ViewPagersCommand), nullptr);
    EXPECT_EQ(window->openReport(ViewPagersCommand)->frameGeometry(), left);
    window->runCommand(ViewGroupsCommand);
    ASSERT_NE(window->openReport(ViewGroupsCommand), nullptr);
    EXPECT_NE(window->openReport(ViewGroupsCommand)->frameGeometry().topLeft(), left.topLeft());
}

// A row added to the command table must not take a key or a button place another row has: a
// shared key would run neither command.
TEST(CommandTable, NoTwoCommandsShareAnIdAKeyOrAButtonPlaceInEitherLanguage)
{
    QTranslator spanish;
    ASSERT_TRUE(spanish.load(QStringLiteral(":/i18n/tavolux_es.qm")));
    for (QTranslator* translator : {static_cast<QTranslator*>(nullptr), &spanish}) {
        SCOPED_TRACE(translator ? "Spanish" : "English");
        QSet<int> ids;
        QSet<QString> keys;
        QSet<int> places;
        for (const CommandTable::Command& command : CommandTable::commands()) {
            EXPECT_FALSE(ids.contains(command.id)) << command.id;
            ids << command.id;
            if (command.accelerator) {
                // As tr() does: the English text where the catalogue has none.
                QString key = translator ? translator->translate("MainWindow", command.accelerator)
                                         : QString();
                if (key.isEmpty())
                    key = QString::fromLatin1(command.accelerator);
                EXPECT_FALSE(QKeySequence(key).isEmpty()) << command.id;
                EXPECT_FALSE(keys.contains(key)) << key.toStdString();
                keys << key;
            }
            if (command.picture.caption) {
                EXPECT_FALSE(places.contains(command.picture.place)) << command.id;
                places << command.picture.place;
            }
        }
    }
}

TEST_F(MainWindowTest, SpanishTextsAndAccelerators)
{
    QTranslator spanish;
    ASSERT_TRUE(spanish.load(QStringLiteral(":/i18n/tavolux_es.qm")));
    QCoreApplication::installTranslator(&spanish);
    {
        auto window = open();
        window->login(QStringLiteral("482915"));
        const MenuLayout menus = menuLayout(*window);
        EXPECT_EQ(menus[0].first, QStringLiteral("&Archivo"));
        // The Edit menu names the letters that Spanish gives two of its accelerators.
        QStringList edit;
        for (QAction* item : window->menuBar()->actions()[1]->menu()->actions())
            edit << item->text();
        EXPECT_EQ(edit, (QStringList{QStringLiteral("&Buscas\tCtrl+P"),
                                     QStringLiteral("&Grupos\tCtrl+G"),
                                     {},
                                     QStringLiteral("&Alarmas\tCtrl+A"),
                                     {},
                                     QStringLiteral("&Mensajes recordatorios\tCtrl+R"),
                                     QStringLiteral("Mensajes &comunes\tCtrl+C"),
                                     QStringLiteral("Teclas de &función\tCtrl+F"),
                                     {},
                                     QStringLiteral("A&justes\tCtrl+N")}));
        EXPECT_EQ(window->button(PagersCommand)->text(), QStringLiteral("Buscas"));
        EXPECT_EQ(window->statusPane(2)->text(), QStringLiteral("  Longitud del mensaje: 0"));
        QTest::keyClick(window->messageBox(), Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(window->messageBox(), Qt::Key_R, Qt::ControlModifier);
        EXPECT_EQ(window->openedWindows(), (QList<int>{SettingsCommand, ReminderMessagesCommand}));
    }
    QCoreApplication::removeTranslator(&spanish);
}

TEST_F(MainWindowTest, AfterAnEditorClosesTheRecipientListFollowsTheImage)
{
    auto window = open();
    window->login(QString());
    SortableList* list = window->recipientList();
    list->setCurrentItem(list->findRow(12));
    ModalRunner::setDriver([](QDialog& dialog) {
        auto& pagers = dynamic_cast<PagersDialog&>(dialog);
        RecipientPickList::select(pagers.list(), 9);
        pagers.deleteSelected();
        // Offline, the test page is refused as any page is.
        RecipientPickList::select(pagers.list(), 12);
        pagers.testSelected();
    });
    window->runCommand(PagersCommand);
    ModalRunner::setDriver([](QDialog&) {});
    EXPECT_EQ(list->rowValues(), (QList<qint64>{40, 12}));
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(SortableList::itemValue(list->selectedItems().first()), 12);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown().first().text,
              QStringLiteral("Message not sent.  Not Connected!"));
}

namespace {

QStringList allTexts(const QTreeWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        for (int column = 0; column < list->columnCount(); ++column)
            texts << list->topLevelItem(row)->text(column);
    return texts;
}

} // namespace

// What the row editors commit shows at once: the Common popup offers the new texts, an open
// alarms report shows the new alarm, and the save question protects both.
TEST_F(MainWindowTest, TheRowEditorsOkShowsInTheCommonPopupAndTheAlarmsReport)
{
    auto window = open();
    window->login(QStringLiteral("482915"));
    database_.clearModified();
    ModalRunner::setDriver([](QDialog& dialog) {
        auto& common = dynamic_cast<CommonMessagesDialog&>(dialog);
        common.messageField(2)->setText(QStringLiteral("Your table is ready  "));
        common.accept();
    });
    window->runCommand(CommonMessagesCommand);
    QMenu* menu = window->buildCommonMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Your table is ready"));
    EXPECT_TRUE(database_.isModified());

    window->runCommand(ViewAlarmsCommand);
    ReportWindow* report = window->openReport(ViewAlarmsCommand);
    ASSERT_NE(report, nullptr);
    EXPECT_FALSE(allTexts(report->list()).contains(QStringLiteral("Freezer door")));
    ModalRunner::setDriver([](QDialog& dialog) {
        auto& alarms = dynamic_cast<AlarmsDialog&>(dialog);
        alarms.row(0).type->setCurrentIndex(AlarmRecord::NormallyOpen);
        alarms.row(0).message->setText(QStringLiteral("Freezer door"));
        alarms.accept();
    });
    window->runCommand(AlarmsCommand);
    ModalRunner::setDriver([](QDialog&) {});
    EXPECT_TRUE(allTexts(report->list()).contains(QStringLiteral("Freezer door")));
}

// Pages from the gateway: the middle pane names the last one and its sender, and the link state,
// the message length and the request for a recipient stay as they were.
TEST_F(MainWindowTest, TheStatusBarNamesTheLastPageFromOutside)
{
    auto window = open();
    SortableList* list = window->recipientList();
    QTest::keyClicks(window->messageBox(), QStringLiteral("hello"));
    EXPECT_TRUE(window->statusPane(1)->text().isEmpty());
    auto expectOtherPanes = [&] {
        EXPECT_EQ(window->statusPane(0)->text(), QStringLiteral("  Offline"));
        EXPECT_EQ(window->statusPane(2)->text(), QStringLiteral("  Message Length: 5"));
    };

    window->showOutsidePage(QStringLiteral("SNPP 127.0.0.1"), 12);
    EXPECT_EQ(window->statusPane(1)->text(), QStringLiteral("  Page to 12 from SNPP 127.0.0.1"));
    expectOtherPanes();
    window->showOutsidePage(QStringLiteral("HTTP 10.0.0.7 (till)"), 40);
    EXPECT_EQ(window->statusPane(1)->text(),
              QStringLiteral("  Page to 40 from HTTP 10.0.0.7 (till)"));
    EXPECT_EQ(window->statusPane(1)->toolTip(),
              QStringLiteral("Page to 40 from HTTP 10.0.0.7 (till)"));
    expectOtherPanes();

    // Asking for a recipient comes first; the last page from outside shows again once a row is
    // chosen, also one that came meanwhile.
    list->clearSelection();
    window->sendCommand();
    EXPECT_EQ(window->statusPane(1)->text(), QStringLiteral("  Choose a pager or group first"));
    window->showOutsidePage(QStringLiteral("SNPP ::1"), 9);
    EXPECT_EQ(window->statusPane(1)->text(), QStringLiteral("  Choose a pager or group first"));
    list->topLevelItem(2)->setSelected(true);
    EXPECT_EQ(window->statusPane(1)->text(), QStringLiteral("  Page to 9 from SNPP ::1"));
    expectOtherPanes();

    QTranslator spanish;
    ASSERT_TRUE(spanish.load(QStringLiteral(":/i18n/tavolux_es.qm")));
    QCoreApplication::installTranslator(&spanish);
    window->showOutsidePage(QStringLiteral("SNPP 127.0.0.1"), 12);
    EXPECT_EQ(window->statusPane(1)->text(), QStringLiteral("  Mensaje a 12 desde SNPP 127.0.0.1"));
    QCoreApplication::removeTranslator(&spanish);
}
