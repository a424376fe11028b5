#include "EditorLauncher.h"

#include "AlarmsDialog.h"
#include "CommandId.h"
#include "CommonMessagesDialog.h"
#include "FunctionKeysDialog.h"
#include "GroupsDialog.h"
#include "ModalRunner.h"
#include "PagersDialog.h"
#include "ReminderMessagesDialog.h"
#include "SettingsSheet.h"
#include "UnitSession.h"

bool EditorLauncher::open(int command, QWidget* parent, Database& database, UnitSession& session)
{
    // A test page carries the ten digits, so that the pager shows whether it displays them all.
    auto testPage = [&session](uint16_t localId) {
        session.QueuePage(UnitSession::pageRecord(localId, QStringLiteral("0123456789")),
                          {PageOrigin::Source::TestPage, {}, {}});
    };
    switch (command) {
    case PagersCommand: {
        PagersDialog dialog(database, testPage, parent);
        ModalRunner::run(dialog);
        return true;
    }
    case GroupsCommand: {
        GroupsDialog dialog(database, testPage, parent);
        ModalRunner::run(dialog);
        return true;
    }
    case AlarmsCommand: {
        AlarmsDialog dialog(database, parent);
        ModalRunner::run(dialog);
        return true;
    }
    case ReminderMessagesCommand: {
        ReminderMessagesDialog dialog(database, parent);
        ModalRunner::run(dialog);
        return true;
    }
    case CommonMessagesCommand: {
        CommonMessagesDialog dialog(database, parent);
        ModalRunner::run(dialog);
        return true;
    }
    case FunctionKeysCommand: {
        FunctionKeysDialog dialog(database, parent);
        ModalRunner::run(dialog);
        return true;
    }
    case SettingsCommand: {
        SettingsSheet sheet(database, parent);
        ModalRunner::run(sheet);
        return true;
    }
    default:
        return false;
    }
}
