#include "../support/TestHookReset.h"

#include <QDialog>

// What a test leaves in the hooks, a driver that refers to its own locals included, is gone
// before the next test starts.
TEST(TestHookReset, LeavesNoDriverAnswerOrRecordForTheNextTest)
{
    int driven = 0;
    ModalRunner::setDriver([&driven](QDialog& dialog) {
        ++driven;
        dialog.accept();
    });
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::message(nullptr, QStringLiteral("left over"));
    MessageBox::beep();
    FileDialog::setNextFileName(QStringLiteral("/tmp/taken.dat"));
    FileDialog::setNextFileName(QStringLiteral("/tmp/left-over.dat"));
    ASSERT_EQ(FileDialog::getFileName(nullptr, {}), QStringLiteral("/tmp/taken.dat"));

    TestHookReset().OnTestEnd(*::testing::UnitTest::GetInstance()->current_test_info());

    QDialog dialog;
    EXPECT_EQ(ModalRunner::run(dialog), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(driven, 0);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_TRUE(MessageBox::beeps().isEmpty());
    EXPECT_TRUE(FileDialog::requests().isEmpty());
    // The queued Yes went with the reset: the box answers as Escape would.
    EXPECT_NE(MessageBox::question(nullptr, QStringLiteral("?")), QMessageBox::Yes);
    EXPECT_TRUE(FileDialog::getFileName(nullptr, {}).isEmpty());
}
