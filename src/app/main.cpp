#include "TavoluxApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TavoluxApp tavolux(app);
    return tavolux.run();
}
