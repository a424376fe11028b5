#include "PictureButton.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QColor Face(200, 200, 200);
const QColor Shadow(100, 100, 100);
const QColor Highlight(255, 255, 255);
const QColor Hot(220, 0, 0);
const QColor Normal(0, 160, 0);

QIcon solid(const QColor& colour)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A button with known colours and two solid pictures, so that the paint can be read pixel by pixel.
struct Button {
    PictureButton button;
    explicit Button(const QString& caption, PictureButton::Layout layout = PictureButton::IconAbove)
    {
        QPalette colours;
        colours.setColor(QPalette::Button, Face);
        colours.setColor(QPalette::Dark, Shadow);
        colours.setColor(QPalette::Light, Highlight);
        colours.setColor(QPalette::ButtonText, Qt::black);
        button.setPalette(colours);
        button.Configure(caption, solid(Hot), solid(Normal), layout, false);
        button.resize(80, 60);
        button.show();
    }
    QImage paint() { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

int bluePixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.blue() > 200 && c.red() < 120 && c.green() < 120;
        }
    return n;
}

bool has(const QImage& image, int x, int y, const QColor& colour)
{
    return image.pixelColor(x, y) == colour;
}

} // namespace

TEST(PictureButton, NormalHoverAndPressedLooks)
{
    Button b(QStringLiteral("Pagers"));
    // Normal: no frame, the normal picture centred at the top, the caption in the text colour.
    QImage image = b.paint();
    EXPECT_TRUE(has(image, 0, 40, Face));
    EXPECT_TRUE(has(image, 79, 40, Face));
    EXPECT_TRUE(has(image, 24, 10, Normal));
    EXPECT_TRUE(has(image, 23, 10, Face));
    EXPECT_TRUE(has(image, 55, 10, Normal));
    EXPECT_TRUE(has(image, 56, 10, Face));
    EXPECT_EQ(bluePixels(image), 0);

    // Hover: raised frame, hot picture, blue caption.
    QTest::mouseMove(&b.button, QPoint(40, 30));
    ASSERT_TRUE(b.button.isHover());
    image = b.paint();
    EXPECT_TRUE(has(image, 0, 40, Highlight));
    EXPECT_TRUE(has(image, 40, 0, Normal) ||
                has(image, 40, 0, Hot)); // the picture sits on the top edge
    EXPECT_TRUE(has(image, 79, 40, Shadow));
    EXPECT_TRUE(has(image, 40, 59, Shadow));
    EXPECT_TRUE(has(image, 24, 10, Hot));
    EXPECT_GT(bluePixels(image), 0);

    // Pressed: sunken frame, picture and caption one pixel right and down.
    b.button.setDown(true);
    image = b.paint();
    EXPECT_TRUE(has(image, 0, 40, Shadow));
    EXPECT_TRUE(has(image, 79, 40, Highlight));
    EXPECT_TRUE(has(image, 40, 59, Highlight));
    EXPECT_FALSE(has(image, 24, 10, Hot));
    EXPECT_TRUE(has(image, 25, 10, Hot));
    EXPECT_TRUE(has(image, 56, 10, Hot));
    EXPECT_TRUE(has(image, 40, 32, Hot));
    EXPECT_GT(bluePixels(image), 0);
}

TEST(PictureButton, LatchedLooksAndTheCaptionColourRule)
{
    Button b(QStringLiteral("Beep"), PictureButton::IconLeft);
    b.button.SetLatched(true);
    QImage image = b.paint();
    // Sunken, hot picture shifted (left layout: 3 px in, centred vertically, plus one), caption not
    // blue.
    EXPECT_TRUE(has(image, 0, 30, Shadow));
    EXPECT_TRUE(has(image, 4, 15, Hot));
    EXPECT_TRUE(has(image, 3, 15, Face));
    EXPECT_TRUE(has(image, 35, 15, Hot));
    EXPECT_TRUE(has(image, 4, 46, Hot));
    EXPECT_TRUE(has(image, 4, 47, Face));
    EXPECT_EQ(bluePixels(image), 0);

    QTest::mouseMove(&b.button, QPoint(40, 30));
    image = b.paint();
    EXPECT_TRUE(has(image, 0, 30, Shadow)); // still sunken
    EXPECT_GT(bluePixels(image), 0);

    b.button.SetLatched(false);
    EXPECT_TRUE(has(b.paint(), 0, 30, Highlight)); // raised again, under the pointer
}

TEST(PictureButton, EmptyCaptionCentresThePictureInEitherLayout)
{
    for (auto layout : {PictureButton::IconLeft, PictureButton::IconAbove}) {
        Button b(QString(), layout);
        const QImage image = b.paint();
        EXPECT_TRUE(has(image, 24, 14, Normal)) << layout;
        EXPECT_TRUE(has(image, 55, 45, Normal)) << layout;
        EXPECT_TRUE(has(image, 23, 14, Face)) << layout;
        EXPECT_TRUE(has(image, 24, 13, Face)) << layout;
        EXPECT_TRUE(has(image, 56, 46, Face)) << layout;
    }
}

TEST(PictureButton, DisabledKeepsThePlacesAndDrawsNoBlue)
{
    Button b(QStringLiteral("Alarms"));
    const QImage enabled = b.paint();
    b.button.setEnabled(false);
    QTest::mouseMove(&b.button, QPoint(40, 30));
    const QImage disabled = b.paint();
    EXPECT_EQ(bluePixels(disabled), 0);
    // The picture is drawn where it was (not the face), but not in its own colour.
    EXPECT_FALSE(has(disabled, 30, 10, Face));
    EXPECT_FALSE(has(disabled, 30, 10, Normal));
    EXPECT_TRUE(has(disabled, 23, 10, Face));
    // Caption pixels appear in the same band below the picture.
    auto captionRows = [](const QImage& image) {
        int first = -1, last = -1;
        for (int y = 32; y < image.height(); ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                if (image.pixelColor(x, y) != Face) {
                    if (first < 0)
                        first = y;
                    last = y;
                }
        return std::pair{first, last};
    };
    const auto [enabledFirst, enabledLast] = captionRows(enabled);
    const auto [disabledFirst, disabledLast] = captionRows(disabled);
    EXPECT_EQ(disabledFirst, enabledFirst);
    EXPECT_GE(disabledLast, enabledLast); // the embossed copy reaches one pixel further
    EXPECT_LE(disabledLast, enabledLast + 1);
}

TEST(PictureButton, TheOwnersPollClearsAHoverThePointerLeftBehind)
{
    Button b(QStringLiteral("Send"));
    QTest::mouseMove(&b.button, QPoint(10, 10));
    ASSERT_TRUE(b.button.isHover());
    QCursor::setPos(b.button.mapToGlobal(QPoint(10, 10)));
    b.button.pollHover();
    EXPECT_TRUE(b.button.isHover());
    QCursor::setPos(b.button.mapToGlobal(QPoint(500, 500)));
    b.button.pollHover();
    EXPECT_FALSE(b.button.isHover());
}

// The focus must show however the button looks, or Tab walks through stops that show nothing.
TEST(PictureButton, TheFocusShowsInEveryLook)
{
    Button b(QStringLiteral("Send"));
    b.button.Configure(QStringLiteral("Send"), solid(Hot), solid(Normal), PictureButton::IconAbove,
                       true);
    b.button.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&b.button));
    // Dark pixels down the left side, three pixels in, where only the face is otherwise.
    auto focusMarks = [&] {
        const QImage image = b.paint();
        int marks = 0;
        for (int y = 3; y <= 56; ++y)
            marks += image.pixelColor(3, y).lightness() < 60;
        return marks;
    };
    const struct {
        const char* look;
        std::function<void()> set;
    } looks[] = {
        {"normal",
         [] {
         }},
        {"under the pointer",
         [&] {
             QTest::mouseMove(&b.button, QPoint(40, 30));
         }},
        {"pressed",
         [&] {
             b.button.setDown(true);
         }},
        {"latched",
         [&] {
             b.button.setDown(false);
             b.button.SetLatched(true);
         }},
    };
    for (const auto& look : looks) {
        look.set();
        b.button.clearFocus();
        EXPECT_EQ(focusMarks(), 0) << look.look;
        b.button.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(b.button.hasFocus()) << look.look;
        EXPECT_GT(focusMarks(), 10) << look.look;
    }
}
