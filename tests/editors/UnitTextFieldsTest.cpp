#include "AlarmsDialog.h"
#include "CommonMessagesDialog.h"
#include "EditorFixture.h"
#include "FunctionKeysDialog.h"
#include "GeneralPage.h"
#include "GroupsDialog.h"
#include "PagersDialog.h"
#include "ReminderMessagesDialog.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The unit keeps Latin-1 only: a character outside it would reach the image or the names file as
// "?". Every text field of every editor refuses it as the main window's message box does.
class UnitTextFieldsTest : public ::testing::Test, public EditorFixture {};

// Typed one key at a time; QTest's own typing knows only ASCII.
void type(QWidget* field, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QLineEdit* fieldOfLength(QWidget& window, int maxLength)
{
    for (QLineEdit* field : window.findChildren<QLineEdit*>())
        if (field->maxLength() == maxLength && field->isEnabled())
            return field;
    return nullptr;
}

TEST_F(UnitTextFieldsTest, EveryTextFieldRefusesWhatTheUnitCannotHold)
{
    struct Case {
        const char* field;
        std::function<std::unique_ptr<QWidget>(Database&)> open;
        std::function<QLineEdit*(QWidget&)> find;
    };
    const Case cases[] = {
        {"pager name",
         [](Database& db) { return std::make_unique<PagersDialog>(db, [](uint16_t) {}); },
         [](QWidget& w) {
             return static_cast<PagersDialog&>(w).nameField();
         }},
        {"group name",
         [](Database& db) { return std::make_unique<GroupsDialog>(db, [](uint16_t) {}); },
         [](QWidget& w) {
             return static_cast<GroupsDialog&>(w).nameField();
         }},
        {"alarm message", [](Database& db) { return std::make_unique<AlarmsDialog>(db); },
         [](QWidget& w) {
             return fieldOfLength(w, AlarmsDialog::MaxMessageLength);
         }},
        {"reminder message",
         [](Database& db) { return std::make_unique<ReminderMessagesDialog>(db); },
         [](QWidget& w) {
             return fieldOfLength(w, ReminderMessagesDialog::MaxMessageLength);
         }},
        {"common message", [](Database& db) { return std::make_unique<CommonMessagesDialog>(db); },
         [](QWidget& w) {
             return static_cast<CommonMessagesDialog&>(w).messageField(3);
         }},
        {"function key message",
         [](Database& db) { return std::make_unique<FunctionKeysDialog>(db); },
         [](QWidget& w) {
             return fieldOfLength(w, FunctionKeysDialog::MaxMessageLength);
         }},
        {"start-up label", [](Database& db) { return std::make_unique<GeneralPage>(db); },
         [](QWidget& w) {
             return static_cast<GeneralPage&>(w).screen2Line1();
         }},
    };
    addPager(0, 5, "Five");
    addGroup(0, 60, "Sixty", {5});
    image().alarm(0).setInputType(AlarmRecord::NormallyOpen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        MessageBox::resetScript();
        auto window = c.open(database);
        showActive(*window);
        QLineEdit* field = c.find(*window);
        ASSERT_NE(field, nullptr);
        field->setFocus();
        field->setText(QStringLiteral("ab"));
        field->setCursorPosition(1);

        type(field, QStringLiteral("\u20AC5 \u0141\u00F3d\u017A"));
        EXPECT_EQ(field->text(), QStringLiteral("a5 \u00F3db"));
        EXPECT_EQ(field->cursorPosition(), 5);
        EXPECT_EQ(MessageBox::beeps().size(), 3);

        // A paste holding one such character is refused whole, the caret where it was.
        QGuiApplication::clipboard()->setText(QStringLiteral("xy\u2013z"));
        field->paste();
        EXPECT_EQ(field->text(), QStringLiteral("a5 \u00F3db"));
        EXPECT_EQ(field->cursorPosition(), 5);
        EXPECT_EQ(MessageBox::beeps().size(), 4);
        // A line break would end the field's line: one line only.
        QGuiApplication::clipboard()->setText(QStringLiteral("x\ny"));
        field->paste();
        EXPECT_EQ(field->text(), QStringLiteral("a5 \u00F3db"));
        QGuiApplication::clipboard()->setText(QStringLiteral("\u00E9t\u00E9"));
        field->paste();
        EXPECT_EQ(field->text(), QStringLiteral("a5 \u00F3d\u00E9t\u00E9b"));
    }
}

TEST_F(UnitTextFieldsTest, ANameIsStoredAsTyped)
{
    addPager(0, 5, "Five");
    auto dialog = std::make_unique<PagersDialog>(database, recordTestPages());
    showActive(*dialog);
    dialog->nameField()->setFocus();
    dialog->nameField()->selectAll();
    type(dialog->nameField(), QStringLiteral("\u20AC5 \u0141\u00F3d\u017A"));
    dialog->save();
    EXPECT_EQ(database.names().name(5), QStringLiteral("5 \u00F3d"));
}

} // namespace
