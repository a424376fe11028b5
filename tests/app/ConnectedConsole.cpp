// The console exactly as `tavolux` starts it, but once its window runs it connects to the unit
// when TAVOLUX_TEST_CONNECT is set, as the user's Connect would: nothing outside the process
// can press it. When it is ready it writes its process id and "online" or "offline" to the file
// named by TAVOLUX_TEST_READY. Its message boxes are scripted (nobody can answer them) and said on
// stderr as it ends.
#include "MainWindow.h"
#include "MessageBox.h"
#include "TavoluxApp.h"
#include "UnitSession.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TavoluxApp tavolux(app);
    QTimer::singleShot(0, &app, [] {
        bool online = false;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<MainWindow*>(widget);
            if (!window)
                continue;
            if (qEnvironmentVariableIsSet("TAVOLUX_TEST_CONNECT"))
                window->session().ConnectCommand();
            online = window->session().isOnline();
        }
        QFile ready(qEnvironmentVariable("TAVOLUX_TEST_READY"));
        if (ready.open(QIODevice::WriteOnly))
            ready.write(QByteArray::number(::getpid()) + (online ? " online" : " offline"));
    });
    MessageBox::setScripted(true);
    const int code = tavolux.run();
    for (const MessageBox::Shown& shown : MessageBox::shown())
        std::fprintf(stderr, "box: %s\n", qPrintable(shown.text));
    return code;
}
