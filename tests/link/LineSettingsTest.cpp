#include "LineSettings.h"

#include <gtest/gtest.h>

#include <termios.h>

// A pseudo-terminal forces 8 data bits and no parity, so the framing the port asks of a real
// adapter is checked on the termios structure it builds.
TEST(LineSettingsTermios, FramingMapsToControlFlags)
{
    struct Case {
        int byteSize;
        int parity;
        int stopBits;
        tcflag_t expected; // within CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
    };
    const Case cases[] = {
        {8, LineSettings::NoParity, LineSettings::OneStopBit, CS8},
        {7, LineSettings::EvenParity, LineSettings::TwoStopBits, CS7 | PARENB | CSTOPB},
        {7, LineSettings::OddParity, LineSettings::OneStopBit, CS7 | PARENB | PARODD},
        {8, LineSettings::MarkParity, LineSettings::OneStopBit, CS8 | PARENB | PARODD | CMSPAR},
        {8, LineSettings::SpaceParity, LineSettings::OneStopBit, CS8 | PARENB | CMSPAR},
        {5, LineSettings::NoParity, LineSettings::OneAndHalfStopBits, CS5 | CSTOPB},
        {6, LineSettings::NoParity, LineSettings::OneStopBit, CS6},
    };
    for (const Case& c : cases) {
        LineSettings s = LineSettings::defaults();
        s.byteSize = static_cast<uint8_t>(c.byteSize);
        s.parity = static_cast<uint8_t>(c.parity);
        s.stopBits = static_cast<uint8_t>(c.stopBits);
        termios t{};
        t.c_cflag = CS8 | PARENB | PARODD | CMSPAR | CSTOPB; // leftovers must go
        ASSERT_TRUE(s.toTermios(t));
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), c.expected)
            << c.byteSize << " bits, parity " << c.parity << ", stop " << c.stopBits;
        EXPECT_TRUE(t.c_cflag & CREAD);
        EXPECT_TRUE(t.c_cflag & CLOCAL);
    }
}

TEST(LineSettingsTermios, FlowControlAndRawMode)
{
    LineSettings s = LineSettings::defaults(); // XON/XOFF both ways
    termios t{};
    t.c_iflag = ICRNL | IXANY | INPCK;
    t.c_oflag = OPOST;
    t.c_lflag = ICANON | ECHO | ISIG;
    ASSERT_TRUE(s.toTermios(t));
    EXPECT_EQ(t.c_iflag, static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_oflag, 0u);
    EXPECT_EQ(t.c_lflag, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
    EXPECT_FALSE(t.c_cflag & CRTSCTS);

    s.outX = s.inX = false;
    s.rtsControl = LineSettings::RtsControl::Handshake;
    ASSERT_TRUE(s.toTermios(t));
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);

    s.baudRate = 14000;
    EXPECT_FALSE(s.toTermios(t));
}

TEST(LineSettingsModeText, BuildsFromTheClassicText)
{
    const auto x = LineSettings::fromModeText(QStringLiteral("9600,n,8,1,x"));
    ASSERT_TRUE(x);
    EXPECT_EQ(x->baudRate, 9600u);
    EXPECT_TRUE(x->outX && x->inX);
    EXPECT_FALSE(x->outxCtsFlow);

    const auto p = LineSettings::fromModeText(QStringLiteral("115200,E,7,2,p"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->parity, LineSettings::EvenParity);
    EXPECT_EQ(p->byteSize, 7);
    EXPECT_EQ(p->stopBits, LineSettings::TwoStopBits);
    EXPECT_TRUE(p->outxCtsFlow && p->outxDsrFlow);
    EXPECT_EQ(p->rtsControl, LineSettings::RtsControl::Handshake);

    const auto none = LineSettings::fromModeText(QStringLiteral("1200,o,8,1.5"));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->outX || none->inX || none->outxCtsFlow);
    EXPECT_EQ(none->stopBits, LineSettings::OneAndHalfStopBits);

    for (const char* bad :
         {"", "9600", "fast,n,8,1", "9600,q,8,1", "9600,n,9,1", "9600,n,8,3", "9600,n,8,1,z"})
        EXPECT_FALSE(LineSettings::fromModeText(QString::fromLatin1(bad))) << bad;
}
