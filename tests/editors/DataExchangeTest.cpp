#include "DataExchange.h"
#include "MessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class DataExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBox::resetScript();
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(first);
        layout->addWidget(second);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        other()->setFocus();
    }
    void TearDown() override { MessageBox::resetScript(); }
    QLineEdit* other() { return second; }

    QWidget dialog;
    QLineEdit* first = new QLineEdit;
    QLineEdit* second = new QLineEdit;
};

struct IntegerCase {
    const char* text;
    std::optional<int> expected;
    const char* message; // nullptr: taken
};

TEST_F(DataExchangeTest, IntegersAreTakenOrRefusedWithTheFocusOnTheField)
{
    const QString integer = QStringLiteral("Please enter an integer.");
    const QString between = QStringLiteral("Please enter an integer between 8 and 2097150.");
    const QList<IntegerCase> cases = {
        {"8", 8, nullptr},
        {"2097150", 2097150, nullptr},
        {"0012", 12, nullptr},
        {"", std::nullopt, "integer"},
        {" 12", std::nullopt, "integer"},
        {"12a", std::nullopt, "integer"},
        {"99999999999", std::nullopt, "integer"},
        {"7", std::nullopt, "range"},
        {"2097151", std::nullopt, "range"},
    };
    for (const IntegerCase& c : cases) {
        MessageBox::resetScript();
        other()->setFocus();
        first->setText(QString::fromLatin1(c.text));
        DataExchange exchange(&dialog);
        EXPECT_EQ(exchange.integer(first, 8, 2097150), c.expected) << c.text;
        EXPECT_EQ(exchange.refused(), c.message != nullptr) << c.text;
        if (!c.message) {
            EXPECT_TRUE(MessageBox::shown().isEmpty()) << c.text;
            continue;
        }
        ASSERT_EQ(MessageBox::shown().size(), 1) << c.text;
        EXPECT_EQ(MessageBox::shown().first().text,
                  QString::fromLatin1(c.message) == QStringLiteral("range") ? between : integer)
            << c.text;
        EXPECT_EQ(MessageBox::shown().first().icon, MessageBox::Icon::Warning);
        EXPECT_TRUE(first->hasFocus()) << c.text;
    }
}

TEST_F(DataExchangeTest, TextLongerThanItsLimitIsRefused)
{
    first->setText(QStringLiteral("12345"));
    DataExchange exchange(&dialog);
    EXPECT_EQ(exchange.text(first, 5), QStringLiteral("12345"));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_FALSE(exchange.text(first, 4));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown().first().text,
              QStringLiteral("Please enter no more than 4 characters."));
    EXPECT_TRUE(first->hasFocus());
}

TEST_F(DataExchangeTest, OneOperationShowsOnlyTheFirstRefusal)
{
    first->setText(QStringLiteral("x"));
    second->setText(QStringLiteral("too long"));
    DataExchange exchange(&dialog);
    const auto number = exchange.integer(first);
    const auto text = exchange.text(second, 3);
    EXPECT_FALSE(number);
    EXPECT_FALSE(text);
    EXPECT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(first->hasFocus());
}

} // namespace
