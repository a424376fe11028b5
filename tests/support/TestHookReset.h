#pragma once

#include "FileDialog.h"
#include "MessageBox.h"
#include "ModalRunner.h"

#include <gtest/gtest.h>

// Puts the program's test hooks back to where a test starts from, before every test and after
// it: the message boxes and file dialogs forget their queued answers and what they showed, and
// the editors' dialogs are closed at once again, unless a test drives them. So a test that stops
// halfway (a failed ASSERT in a driver, say) leaves nothing behind for the next one.
class TestHookReset : public ::testing::EmptyTestEventListener {
public:
    static void reset()
    {
        MessageBox::resetScript();
        FileDialog::resetScript();
        ModalRunner::setDriver([](QDialog&) {});
    }

    void OnTestStart(const ::testing::TestInfo&) override { reset(); }
    void OnTestEnd(const ::testing::TestInfo&) override { reset(); }
};
