#include "CoasterPanel.h"
#include "../support/Mnemonics.h"
#include "../support/SimulatedUnit.h"
#include "CommandId.h"
#include "Database.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PictureButton.h"
#include "SettingsStore.h"
#include "UnitSession.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr uint32_t GroupCapCode = 204800;
constexpr uint32_t LocateCapCode = 1234567;

class CoasterPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().clear();
        UnitSettings settings = database_.image().settings();
        settings.setValue(UnitSettings::groupCapCode, GroupCapCode);
        settings.setValue(UnitSettings::locateCapCode, LocateCapCode);
    }
    void TearDown() override { QSettings().clear(); }

    std::unique_ptr<MainWindow> openConsole()
    {
        auto window = std::make_unique<MainWindow>(database_);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    // A console online with the simulated unit; pages follow each other without the unit's pause.
    std::unique_ptr<MainWindow> openOnline(const SimulatedUnit& unit)
    {
        SettingsStore::setText(SettingsStore::ComPort, unit.path());
        auto window = openConsole();
        window->session().setPagePause(0);
        window->runCommand(ConnectCommand);
        EXPECT_TRUE(window->session().isOnline());
        return window;
    }

    static void setRows(int alert, int range, int locate)
    {
        SettingsStore::setInteger(SettingsStore::Alert, alert);
        SettingsStore::setInteger(SettingsStore::Range, range);
        SettingsStore::setInteger(SettingsStore::Locate, locate);
    }

    static void click(CoasterPanel& panel, CoasterPanel::Button which)
    {
        QTest::mouseClick(panel.button(which), Qt::LeftButton);
    }

    // The pages the unit received, as their bytes.
    static QList<QByteArray> pages(const SimulatedUnit& unit)
    {
        QList<QByteArray> found;
        for (const QJsonObject& event : unit.events(QStringLiteral("page")))
            found << QByteArray::fromHex(
                event.value(QStringLiteral("bytes")).toString().toLatin1());
        return found;
    }

    static QByteArray groupPage(const char* code)
    {
        return QByteArray::number(GroupCapCode) + "\x1e" + code + "\x1e" + "1\x1e" + "1\x1eN\x1e";
    }

    Database database_;
};

} // namespace

TEST_F(CoasterPanelTest, EveryRowOfTheAlertCodeTableReachesTheCoasters)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    auto window = openOnline(unit);
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);

    struct Row {
        bool beep, flash, vibrate, antiTheft;
        QList<QByteArray> sent;
    };
    const Row rows[] = {
        {false, false, false, false, {groupPage("9393")}},
        {false, true, false, false, {groupPage("9797"), groupPage("9393")}},
        {true, false, false, false, {groupPage("9595"), groupPage("9393")}},
        {true, true, false, false, {groupPage("9595"), groupPage("9393")}},
        {false, false, true, false, {groupPage("9292"), groupPage("9393")}},
        {false, true, true, false, {groupPage("9696"), groupPage("9393")}},
        {true, false, true, false, {groupPage("9898"), groupPage("9393")}},
        {true, true, true, false, {groupPage("9898"), groupPage("9393")}},
        {false, false, false, true, {groupPage("9494")}},
        {true, true, true, true, {groupPage("9898"), groupPage("9494")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.beep << row.flash << row.vibrate << row.antiTheft);
        const auto before = pages(unit).size();
        // Each switch goes to the row's state; one click too many puts Beep back where it was,
        // so that every row has a mode waiting.
        const std::pair<CoasterPanel::Button, bool> wanted[] = {
            {CoasterPanel::Beep, row.beep},
            {CoasterPanel::Flash, row.flash},
            {CoasterPanel::Vibrate, row.vibrate},
            {CoasterPanel::AntiTheft, row.antiTheft}};
        for (const auto& [which, on] : wanted)
            if (panel->button(which)->isLatched() != on)
                click(*panel, which);
        click(*panel, CoasterPanel::Beep);
        click(*panel, CoasterPanel::Beep);
        ASSERT_TRUE(panel->isModeWaiting());
        panel->sendWaitingMode();
        EXPECT_FALSE(panel->isModeWaiting());
        ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), before + row.sent.size()));
        EXPECT_EQ(pages(unit).mid(before), row.sent);
    }
    // The example's range page, byte for byte.
    EXPECT_EQ(pages(unit)[0], QByteArray("204800\x1e"
                                         "9393\x1e"
                                         "1\x1e"
                                         "1\x1e"
                                         "N\x1e"));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(CoasterPanelTest, QuickClicksMakeOneSendingThreeSecondsAfterTheLast)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    auto window = openOnline(unit);
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_FALSE(panel->button(CoasterPanel::Beep)->isLatched());
    EXPECT_EQ(panel->settleMs(), 3000);
    // The clicks and the settle time scaled down by ten: the panel counts from the last click.
    constexpr int SettleMs = 300;
    panel->setSettleTime(SettleMs);

    // Three clicks, each well within the settle time of the one before; the state is stored at
    // each click.
    const int expectedStates[] = {1, 0, 1};
    QElapsedTimer sinceLastClick;
    for (int state : expectedStates) {
        if (sinceLastClick.isValid())
            QTest::qWait(SettleMs * 3 / 10);
        click(*panel, CoasterPanel::Beep);
        sinceLastClick.start();
        EXPECT_EQ(SettingsStore::integer(SettingsStore::BeepState, -1), state);
        EXPECT_EQ(panel->button(CoasterPanel::Beep)->isLatched(), state == 1);
    }

    qint64 queuedAfter = -1;
    QObject::connect(&window->session(), &UnitSession::pageQueueChanged, panel, [&] {
        if (queuedAfter < 0)
            queuedAfter = sinceLastClick.elapsed();
    });
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 2, UnitSession::AnswerWaitMs + 8000));
    EXPECT_GE(queuedAfter, SettleMs - 50);
    EXPECT_LT(queuedAfter, SettleMs + 2000);
    EXPECT_FALSE(panel->isModeWaiting()); // nothing more to come
    EXPECT_EQ(pages(unit), (QList<QByteArray>{groupPage("9595"), groupPage("9393")}));
}

TEST_F(CoasterPanelTest, LocateSendsAtOnceWithOneBlankForItsMessage)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    setRows(0, 0, 1);
    auto window = openOnline(unit);
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);
    // One row: only Locate, and the panel exactly one button high.
    EXPECT_EQ(panel->rowCount(), 1);
    EXPECT_EQ(panel->height(), CoasterPanel::ButtonHeight);
    for (auto which :
         {CoasterPanel::Beep, CoasterPanel::Flash, CoasterPanel::Vibrate, CoasterPanel::AntiTheft})
        EXPECT_TRUE(panel->button(which)->isHidden()) << which;
    EXPECT_FALSE(panel->button(CoasterPanel::Locate)->isHidden());
    EXPECT_EQ(panel->button(CoasterPanel::Locate)->geometry(),
              QRect(0, 0, panel->width(), CoasterPanel::ButtonHeight));

    click(*panel, CoasterPanel::Locate);
    EXPECT_FALSE(panel->isModeWaiting());
    EXPECT_EQ(window->session().pageQueue().size(), 1);
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 1));
    EXPECT_EQ(pages(unit), QList<QByteArray>{QByteArray("1234567\x1e \x1e"
                                                        "1\x1e"
                                                        "1\x1eN\x1e")});
}

TEST_F(CoasterPanelTest, RowsFollowThePatronValues)
{
    struct Case {
        int alert, range, locate, light;
        int rows; // -1: no panel at all
        QList<CoasterPanel::Button> shown;
    };
    using B = CoasterPanel::Button;
    const Case cases[] = {
        {1, 1, 1, 1, 5, {B::Beep, B::Flash, B::Vibrate, B::AntiTheft, B::Locate}},
        {1, 0, 0, 0, 3, {B::Beep, B::Flash, B::Vibrate}},
        {0, 1, 1, 0, 2, {B::AntiTheft, B::Locate}},
        {7, 0, 1, 0, 4, {B::Beep, B::Flash, B::Vibrate, B::Locate}},
        // "Light" alone opens a panel with nothing to show: it does not stay.
        {0, 0, 0, 1, 0, {}},
        {0, 0, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alert << c.range << c.locate << c.light);
        QSettings().clear();
        setRows(c.alert, c.range, c.locate);
        SettingsStore::setInteger(SettingsStore::Light, c.light);
        auto window = openConsole();
        CoasterPanel* panel = window->coasterPanel();
        if (c.rows == 0) {
            EXPECT_EQ(panel, nullptr);
            EXPECT_TRUE(window->isActiveWindow());
            continue;
        }
        ASSERT_NE(panel, nullptr);
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->rowCount(), c.rows);
        EXPECT_EQ(panel->height(), c.rows * CoasterPanel::ButtonHeight);
        int top = 0;
        for (int i = 0; i < CoasterPanel::ButtonCount; ++i) {
            PictureButton* button = panel->button(static_cast<B>(i));
            EXPECT_EQ(button->isHidden(), !c.shown.contains(static_cast<B>(i))) << i;
            if (button->isHidden())
                continue;
            EXPECT_EQ(button->geometry(),
                      QRect(0, top, panel->width(), CoasterPanel::ButtonHeight));
            top += CoasterPanel::ButtonHeight;
        }
    }
}

TEST_F(CoasterPanelTest, SwitchStatesAreKeptAndShownLatched)
{
    SettingsStore::setInteger(SettingsStore::FlashState, 1);
    SettingsStore::setInteger(SettingsStore::RangeState, 1);
    {
        auto window = openConsole();
        CoasterPanel* panel = window->coasterPanel();
        ASSERT_NE(panel, nullptr);
        EXPECT_FALSE(panel->button(CoasterPanel::Beep)->isLatched());
        EXPECT_TRUE(panel->button(CoasterPanel::Flash)->isLatched());
        EXPECT_FALSE(panel->button(CoasterPanel::Vibrate)->isLatched());
        EXPECT_TRUE(panel->button(CoasterPanel::AntiTheft)->isLatched());
        EXPECT_FALSE(panel->button(CoasterPanel::Locate)->isLatched());
        click(*panel, CoasterPanel::Vibrate);
        click(*panel, CoasterPanel::AntiTheft);
        EXPECT_EQ(SettingsStore::integer(SettingsStore::VibeState, -1), 1);
        EXPECT_EQ(SettingsStore::integer(SettingsStore::RangeState, -1), 0);
        // Locate is no switch.
        click(*panel, CoasterPanel::Locate);
        EXPECT_FALSE(panel->button(CoasterPanel::Locate)->isLatched());
    }
    MessageBox::resetScript();
    auto window = openConsole();
    EXPECT_TRUE(window->coasterPanel()->button(CoasterPanel::Vibrate)->isLatched());
    EXPECT_FALSE(window->coasterPanel()->button(CoasterPanel::AntiTheft)->isLatched());
}

TEST_F(CoasterPanelTest, OfflineTheModeAndLocateAreRefusedOnceEach)
{
    auto window = openConsole();
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);
    click(*panel, CoasterPanel::Beep);
    panel->sendWaitingMode();
    // The mode is refused as a whole before any of its pages is offered.
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("You must be Connected."));
    EXPECT_EQ(MessageBox::beeps(), QList<MessageBox::Beep>{MessageBox::Beep::Default});
    EXPECT_EQ(SettingsStore::integer(SettingsStore::BeepState, -1), 1);
    EXPECT_TRUE(panel->button(CoasterPanel::Beep)->isLatched());

    // Only the range page: refused all the same.
    MessageBox::resetScript();
    click(*panel, CoasterPanel::Beep);
    panel->sendWaitingMode();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("You must be Connected."));

    MessageBox::resetScript();
    click(*panel, CoasterPanel::Locate);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("Message not sent.  Not Connected!"));
    EXPECT_TRUE(window->session().pageQueue().isEmpty());
}

TEST_F(CoasterPanelTest, AWaitingModeIsSentWhenThePanelCloses)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    auto window = openOnline(unit);
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);
    click(*panel, CoasterPanel::Flash);
    ASSERT_TRUE(panel->close());
    QTest::qWait(0);
    EXPECT_EQ(window->coasterPanel(), nullptr);
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 2, 3000));
    EXPECT_EQ(pages(unit), (QList<QByteArray>{groupPage("9797"), groupPage("9393")}));
}

TEST_F(CoasterPanelTest, AWaitingModeIsSentBeforeTheConsoleSaysGoodbye)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    auto window = openOnline(unit);
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);
    click(*panel, CoasterPanel::Vibrate);
    ASSERT_TRUE(window->close());
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("disconnect"), 1));
    EXPECT_EQ(pages(unit), (QList<QByteArray>{groupPage("9292"), groupPage("9393")}));
    // The pages went out before the goodbye, not after it.
    QStringList order;
    for (const QJsonObject& event : unit.events())
        order << event.value(QStringLiteral("event")).toString();
    EXPECT_EQ(order.mid(order.indexOf(QStringLiteral("page"))),
              (QStringList{QStringLiteral("page"), QStringLiteral("page"),
                           QStringLiteral("disconnect")}));
}

TEST_F(CoasterPanelTest, AWaitingModeThatCannotGoOutAtExitIsSaidAndTheExitGoesOn)
{
    struct Case {
        const char* what;
        QStringList unitOptions; // empty: no unit, the console stays offline
        QString said;
    };
    const Case cases[] = {
        {"offline", {}, QStringLiteral("You must be Connected.")},
        {"a unit that never confirms",
         {QStringLiteral("--silent-after"), QStringLiteral("3"), QStringLiteral("--fault-type"),
          QStringLiteral("4")},
         QStringLiteral("No response from unit.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBox::resetScript();
        std::optional<SimulatedUnit> unit;
        std::unique_ptr<MainWindow> window;
        if (c.unitOptions.isEmpty()) {
            window = openConsole();
        } else {
            unit.emplace(c.unitOptions);
            ASSERT_TRUE(unit->started());
            window = openOnline(*unit);
            window->session().setAnswerTimeout(300);
        }
        click(*window->coasterPanel(), CoasterPanel::Beep);
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(window->close());
        EXPECT_LT(clock.elapsed(), 2 * 5 * 300 + 2000);
        ASSERT_EQ(MessageBox::shown().size(), 1);
        EXPECT_EQ(MessageBox::shown()[0].text, c.said);
        EXPECT_FALSE(window->session().isOnline());
        EXPECT_TRUE(window->session().pageQueue().isEmpty());
    }
}

TEST_F(CoasterPanelTest, ACreatedAnewPanelStandsWhereTheOldOneStoodWithTheNewRows)
{
    auto window = openConsole();
    ASSERT_NE(window->coasterPanel(), nullptr);
    window->coasterPanel()->move(300, 200);
    QTest::qWait(20);
    const QPoint stood = window->coasterPanel()->geometry().topLeft();

    struct Step {
        int alert, range, locate;
        int rows; // 0: no panel stays
    };
    const Step steps[] = {{0, 1, 0, 1}, {0, 0, 0, 0}, {1, 1, 1, 5}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.rows);
        setRows(step.alert, step.range, step.locate);
        window->recreateCoasterPanel();
        CoasterPanel* panel = window->coasterPanel();
        if (step.rows == 0) {
            EXPECT_EQ(panel, nullptr);
            continue;
        }
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->rowCount(), step.rows);
        EXPECT_EQ(panel->geometry().topLeft(), stood);
        // Shown beside the console without taking the focus from it.
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(window->isActiveWindow());
    }

    // The place outlives the program.
    window.reset();
    auto again = openConsole();
    ASSERT_NE(again->coasterPanel(), nullptr);
    EXPECT_EQ(again->coasterPanel()->geometry().topLeft(), stood);
}

TEST_F(CoasterPanelTest, TheHoverPollRunsOnlyWhileThePointerIsOverThePanel)
{
    auto window = openConsole();
    CoasterPanel* panel = window->coasterPanel();
    ASSERT_NE(panel, nullptr);
    QCursor::setPos(window->mapToGlobal(QPoint(20, 300)));
    QTest::qWait(120);
    EXPECT_FALSE(panel->isHoverPollRunning());

    PictureButton* flash = panel->button(CoasterPanel::Flash);
    QTest::mouseMove(flash, QPoint(10, 10));
    ASSERT_TRUE(flash->isHover());
    EXPECT_TRUE(panel->isHoverPollRunning());
    QTest::qWait(3 * CoasterPanel::HoverPollMs);
    EXPECT_TRUE(panel->isHoverPollRunning()); // still over it

    // Off to another window without a word: the poll clears the hover, then stops.
    QCursor::setPos(window->mapToGlobal(QPoint(20, 300)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isHoverPollRunning(); }, 1000));
    EXPECT_FALSE(flash->isHover());
}

TEST_F(CoasterPanelTest, CaptionsAndMnemonicsInBothLanguages)
{
    struct Language {
        bool spanish;
        QString title;
        QString beep;
    };
    const Language languages[] = {{false, QStringLiteral("Coasters"), QStringLiteral("&Beep")},
                                  {true, QStringLiteral("Posavasos"), QStringLiteral("&Pitido")}};
    for (const Language& language : languages) {
        SCOPED_TRACE(language.spanish ? "es" : "en");
        std::optional<mnemonics::SpanishTexts> spanish;
        if (language.spanish) {
            spanish.emplace();
            ASSERT_TRUE(spanish->loaded());
        }
        auto window = openConsole();
        CoasterPanel* panel = window->coasterPanel();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->windowTitle(), language.title);
        EXPECT_EQ(panel->button(CoasterPanel::Beep)->text(), language.beep);
        EXPECT_TRUE(mnemonics::windowClashes(*panel).isEmpty())
            << mnemonics::windowClashes(*panel).join(u'\n').toStdString();
        // Every caption fits its row.
        for (int i = 0; i < CoasterPanel::ButtonCount; ++i) {
            PictureButton* button = panel->button(static_cast<CoasterPanel::Button>(i));
            EXPECT_FALSE(mnemonics::of(button->text()).isNull()) << i;
            EXPECT_LE(button->sizeHint().width(), panel->width()) << i;
        }
    }
}
