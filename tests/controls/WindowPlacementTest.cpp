#include "WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

const QRect Laptop(0, 0, 1366, 740);    // a panel along the bottom takes the rest
const QRect Right(1366, 0, 1920, 1050); // a second, larger screen on its right

} // namespace

TEST(WindowPlacement, AFrameComesInsideTheAreaItIsMostlyOn)
{
    const struct {
        const char* what;
        QRect frame;
        QList<QRect> areas;
        QRect expected;
    } cases[] = {
        {"inside already", QRect(100, 100, 530, 510), {Laptop}, QRect(100, 100, 530, 510)},
        {"caption above the top", QRect(200, -20, 130, 230), {Laptop}, QRect(200, 0, 130, 230)},
        {"past the right and the bottom",
         QRect(1300, 700, 530, 510),
         {Laptop},
         QRect(836, 230, 530, 510)},
        {"left of everything", QRect(-900, 50, 530, 510), {Laptop}, QRect(0, 50, 530, 510)},
        {"larger than the area", QRect(-10, -10, 2000, 900), {Laptop}, QRect(0, 0, 1366, 740)},
        {"mostly on the second screen",
         QRect(1300, 100, 530, 510),
         {Laptop, Right},
         QRect(1366, 100, 530, 510)},
        {"on a screen that is gone",
         QRect(4000, 300, 530, 510),
         {Laptop, Right},
         QRect(2756, 300, 530, 510)},
        {"no screen known", QRect(-50, -50, 10, 10), {}, QRect(-50, -50, 10, 10)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowPlacement::fitted(c.frame, c.areas), c.expected) << c.what;
}

TEST(WindowPlacement, BesideTheFirstFrameAndClearOfTheOthers)
{
    const QRect console(100, 50, 530, 510);
    const QRect panel(638, 50, 130, 230);
    const struct {
        const char* what;
        QSize size;
        QList<QRect> taken;
        QList<QRect> areas;
        QRect expected;
    } cases[] = {
        {"right of the console", QSize(130, 230), {console}, {Laptop}, QRect(638, 50, 130, 230)},
        {"under the panel beside it",
         QSize(460, 380),
         {console, panel},
         {Laptop},
         QRect(638, 288, 460, 380)},
        {"left when the right is full",
         QSize(300, 380),
         {QRect(900, 50, 460, 500)},
         {Laptop},
         QRect(592, 50, 300, 380)},
        {"nowhere free: over it, inside the area",
         QSize(1000, 700),
         {console},
         {Laptop},
         QRect(366, 40, 1000, 700)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowPlacement::beside(c.size, c.taken, c.areas), c.expected) << c.what;
}
