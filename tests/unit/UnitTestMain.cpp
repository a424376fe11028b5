// The end-to-end tests need an event loop for the reports of the transfer workers, not a display.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
