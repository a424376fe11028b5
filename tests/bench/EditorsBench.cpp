// Times the editors' actions at capacity (1000 named pagers, 20 full groups), offscreen, and
// prints the median milliseconds of each. The aim is under 50 ms an action.
#include "CapacityDatabase.h"

#include "AlarmsDialog.h"
#include "CommonMessagesDialog.h"
#include "FunctionKeysDialog.h"
#include "GroupsDialog.h"
#include "MainWindow.h"
#include "MembersDialog.h"
#include "ModalRunner.h"
#include "PagersDialog.h"
#include "RecipientPickList.h"
#include "ReminderMessagesDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Rounds = 15;

// `prepare` runs untimed before each round, `action` is timed.
void report(const char* what, const std::function<void()>& prepare,
            const std::function<void()>& action)
{
    std::vector<double> ms;
    for (int round = 0; round < Rounds; ++round) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        action();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-52s %8.2f ms (median of %d, worst %.2f)\n", what, ms[ms.size() / 2], Rounds,
                ms.back());
}

void noTestPage(uint16_t) {}

void waitUntilShown(QWidget* window)
{
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "a window was not shown within the time-out\n");
        std::exit(1);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Database database;
    std::printf("Editors at capacity: 1000 named pagers, 20 groups of 10 members\n");

    std::unique_ptr<PagersDialog> pagers;
    report(
        "Pagers: open until shown",
        [&] {
            pagers.reset();
            fillToCapacity(database);
        },
        [&] {
            pagers = std::make_unique<PagersDialog>(database, noTestPage);
            pagers->show();
            waitUntilShown(pagers.get());
        });
    int row = 0;
    report(
        "Pagers: select a pager", [] {}, [&] { pagers->list()->setCurrentRow(++row % 1000); });
    report(
        "Pagers: Save renumbering a member of all 20 groups",
        [&] {
            fillToCapacity(database);
            pagers = std::make_unique<PagersDialog>(database, noTestPage);
            RecipientPickList::select(pagers->list(), 1);
            pagers->localIdField()->setText(QStringLiteral("5000"));
        },
        [&] { pagers->save(); });
    report(
        "Pagers: Delete a member of all 20 groups",
        [&] {
            fillToCapacity(database);
            pagers = std::make_unique<PagersDialog>(database, noTestPage);
            RecipientPickList::select(pagers->list(), 1);
        },
        [&] { pagers->deleteSelected(); });
    pagers.reset();

    std::unique_ptr<GroupsDialog> groups;
    report(
        "Groups: open until shown",
        [&] {
            groups.reset();
            fillToCapacity(database);
        },
        [&] {
            groups = std::make_unique<GroupsDialog>(database, noTestPage);
            groups->show();
            waitUntilShown(groups.get());
        });
    report(
        "Groups: select a group", [] {},
        [&] { groups->list()->setCurrentRow(++row % ConfigurationImage::GroupCount); });
    std::unique_ptr<MembersDialog> members;
    report(
        "Members: open until shown", [&] { members.reset(); },
        [&] {
            members =
                std::make_unique<MembersDialog>(QStringLiteral("Group"), groups->membersList(),
                                                groups->candidateList(), groups.get());
            members->show();
            waitUntilShown(members.get());
        });
    members.reset();
    groups.reset();

    // The row editors: up to ten pick lists of 1021 entries each.
    const auto rowEditor = [&]<typename Dialog>(const char* name) {
        std::unique_ptr<Dialog> dialog;
        report((std::string(name) + ": open until shown").c_str(),
               [&] {
                   dialog.reset();
                   fillToCapacity(database);
               },
               [&] {
                   dialog = std::make_unique<Dialog>(database);
                   dialog->show();
                   waitUntilShown(dialog.get());
               });
        report((std::string(name) + ": OK").c_str(),
               [&] {
                   fillToCapacity(database);
                   dialog = std::make_unique<Dialog>(database);
               },
               [&] { dialog->accept(); });
    };
    rowEditor.operator()<AlarmsDialog>("Alarms");
    rowEditor.operator()<ReminderMessagesDialog>("Reminder Messages");
    rowEditor.operator()<CommonMessagesDialog>("Common Messages");
    rowEditor.operator()<FunctionKeysDialog>("Function Keys");

    fillToCapacity(database);
    MainWindow window(database);
    window.show();
    waitUntilShown(&window);
    report(
        "Main window: recipient list refill", [] {}, [&] { window.fillRecipientList(); });
    ModalRunner::setDriver([](QDialog&) {});
    window.login(QString());
    report(
        "Main window: Pagers opened, closed and list refilled", [] {},
        [&] { window.runCommand(PagersCommand); });
    return 0;
}
