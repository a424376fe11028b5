// The pages the window sends itself (the message box, an editor's Test, the coaster panel) each
// leave one row in the page history, with their source and the name the pager had then.
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"
#include "CoasterPanel.h"
#include "Database.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "PageHistory.h"
#include "PageHistoryReader.h"
#include "PageRecorder.h"
#include "PagersDialog.h"
#include "PictureButton.h"
#include "SortableList.h"
#include "SettingsStore.h"
#include "UnitSettings.h"

#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ConsolePageHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().clear();
        SiteBuilder(database_).pager(12, 1012, "Bar staff");
        UnitSettings settings = database_.image().settings();
        settings.setValue(UnitSettings::groupCapCode, 204800);
        settings.setValue(UnitSettings::locateCapCode, 1234567);
        SettingsStore::setInteger(SettingsStore::Alert, 1);
        SettingsStore::setInteger(SettingsStore::Range, 1);
        SettingsStore::setInteger(SettingsStore::Locate, 1);
    }
    void TearDown() override { QSettings().clear(); }

    QList<PageHistoryEntry> kept()
    {
        EXPECT_TRUE(history_.flush(10000));
        PageHistoryReader reader;
        EXPECT_FALSE(reader.open(history_.path()));
        return reader.rows({}, {HistoryColumn::Queued, true}, 0, 100);
    }

    Database database_;
    QTemporaryDir dir_;
    PageHistory history_{dir_.filePath(QStringLiteral("pages.sqlite"))};
};

} // namespace

TEST_F(ConsolePageHistoryTest, EveryPageTheWindowSendsLeavesOneRow)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    SettingsStore::setText(SettingsStore::ComPort, unit.path());
    MainWindow window(database_);
    PageRecorder recorder(window.session(), history_, PageRecorder::namesIn(database_));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.session().setPagePause(0);
    window.runCommand(ConnectCommand);
    ASSERT_TRUE(window.session().isOnline());
    window.login(QStringLiteral("482915"));

    // The message box.
    window.recipientList()->setCurrentItem(window.recipientList()->topLevelItem(0));
    window.recipientList()->topLevelItem(0)->setSelected(true);
    QTest::keyClicks(window.messageBox(), QStringLiteral("Table 4"));
    QTest::mouseClick(window.button(MainWindow::SendButton), Qt::LeftButton);
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 1));

    // The pagers editor's Test.
    ModalRunner::setDriver([](QDialog& dialog) {
        auto& pagers = dynamic_cast<PagersDialog&>(dialog);
        pagers.list()->setCurrentRow(0);
        QTest::mouseClick(pagers.testButton(), Qt::LeftButton);
    });
    window.runCommand(PagersCommand);
    ModalRunner::setDriver([](QDialog&) {});
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 2));

    // The coaster panel: an alert mode with its range page, then Locate.
    CoasterPanel* panel = window.coasterPanel();
    ASSERT_NE(panel, nullptr);
    QTest::mouseClick(panel->button(CoasterPanel::Beep), Qt::LeftButton);
    panel->sendWaitingMode();
    QTest::mouseClick(panel->button(CoasterPanel::Locate), Qt::LeftButton);
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.session().isPageBusy(); }, 5000));

    // Offline, Send is refused with the window's alert; the refusal is kept too.
    window.runCommand(DisconnectCommand);
    window.session().QueuePage(UnitSession::pageRecord(12, QStringLiteral("late")),
                               {PageOrigin::Source::MessageBox, {}, {}});
    EXPECT_EQ(MessageBox::shown().size(), 1);

    const QList<PageHistoryEntry> rows = kept();
    QStringList seen;
    for (const PageHistoryEntry& row : rows)
        seen << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(PageOrigin::key(row.origin.source))
                    .arg(row.recipient)
                    .arg(row.name, row.text, historyOutcomeKey(row.outcome));
    EXPECT_EQ(seen, (QStringList{
                        QStringLiteral("message-box 12 Bar staff Table 4 confirmed"),
                        QStringLiteral("test-page 12 Bar staff 0123456789 confirmed"),
                        QStringLiteral("coaster-alert 204800  9595 confirmed"),
                        QStringLiteral("coaster-range 204800  9393 confirmed"),
                        QStringLiteral("coaster-locate 1234567    confirmed"),
                        QStringLiteral("message-box 12 Bar staff late refused"),
                    }));
}
