// Runs the window tests offscreen, with the settings store and the lock files in a folder of
// their own, the message boxes and file dialogs scripted, and every test hook reset around each
// test.
#include "FileDialog.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "support/TestHookReset.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QTemporaryDir sandbox;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TAVOLUX_TEST_SANDBOX")) {
        qputenv("XDG_CONFIG_HOME", sandbox.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", sandbox.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", sandbox.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("TAVOLUX_TEST_SANDBOX", sandbox.path().toLocal8Bit());
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsStore::Organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));
    MessageBox::setScripted(true);
    FileDialog::setScripted(true);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TestHookReset);
    return RUN_ALL_TESTS();
}
