#include "TavoluxApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const std::optional<int> exitCode = TavoluxApp::answerHelp(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    TavoluxApp tavolux(app);
    return tavolux.run();
}
