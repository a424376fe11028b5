// The simulated unit refuses a value it cannot use instead of reading it as 0 and quietly
// simulating something other than the test asked for.
#include "../support/ChildProcess.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UnitSimulatorArguments, ValuesItCannotUseAreRefusedBeforeTheLineIsMade)
{
    struct Case {
        QStringList arguments;
        const char* said;
    };
    const Case cases[] = {
        {{"extra"}, "unexpected argument \"extra\""},
        {{"--speed", "0"}, "--speed takes a whole number from 1"},
        {{"--speed", "fast"}, "--speed takes a whole number from 1"},
        {{"--silent-after", "-1"}, "--silent-after takes a whole number from 0"},
        {{"--hangup-after", "99999999999"}, "--hangup-after takes a whole number from 0"},
        {{"--power-on-after", "soon"}, "--power-on-after takes a whole number from 0"},
        {{"--fault-type", "0"}, "--fault-type takes a whole number from 1 to 255"},
        {{"--loader-garbage", "0"}, "--loader-garbage takes a whole number from 1"},
        {{"--loader-nak", "a:b"}, "--loader-nak takes L or L:N"},
        {{"--loader-nak", "2:0"}, "--loader-nak takes L or L:N"},
        {{"--exit-after", "page:x"}, "--exit-after takes EVENT or EVENT:N"},
        {{"--flash-range", "20-10"}, "--flash-range takes LOW-HIGH in hex"},
        {{"--refuse-length", "f7"}, "--refuse-length takes f9 or f8"},
        {{"--nak-checksum", "twice"}, "--nak-checksum once or always"},
        {{"--seed", "x"}, "--seed a number"},
        {{"--fault-rate", "1.5"}, "--fault-rate takes 0 to 1"},
    };
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        ChildProcess unit(QStringLiteral(TAVOLUX_UNITSIM),
                          QStringList{QStringLiteral("--link"), link} + c.arguments);
        ASSERT_TRUE(unit.started());
        const int exitCode = unit.wait(5000);
        EXPECT_TRUE(exitCode == 1 || exitCode == 2) << exitCode;
        EXPECT_TRUE(unit.standardError().contains(c.said)) << unit.standardError().constData();
        EXPECT_FALSE(QFileInfo::exists(link));
    }
}
