// The console exactly as `tavolux` starts it, but once its window runs it makes an unsaved
// change, as an editor would: pager 42 "Kitchen". Nothing outside the process can reach an
// editor, and the tests of leaving without the save question need unsaved work to lose. When it
// is ready it writes its process id to the file named by TAVOLUX_TEST_READY.
#include "Database.h"
#include "TavoluxApp.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TavoluxApp tavolux(app);
    QTimer::singleShot(0, &app, [] {
        Database& database = Database::instance();
        database.image().pager(0).setLocalId(42);
        database.image().pager(0).setCapcode(4242);
        database.names().setName(42, QStringLiteral("Kitchen"));
        database.markModified();
        QFile ready(qEnvironmentVariable("TAVOLUX_TEST_READY"));
        if (ready.open(QIODevice::WriteOnly))
            ready.write(QByteArray::number(::getpid()));
    });
    return tavolux.run();
}
