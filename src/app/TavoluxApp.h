#pragma once

#include <QObject>
#include <QString>

#include <optional>

class Database;
class QApplication;
class QDateTime;
class QTimeZone;
class QWidget;

// Starts the console: language, local time offset, the one-console-per-user rule, the database
// used last, the main window; and remembers the database path when the window has closed.
class TavoluxApp : public QObject {
    Q_OBJECT
public:
    explicit TavoluxApp(QApplication& app);

    // Runs the whole life of the program and returns its exit code.
    // Prints the console's usage when -h or --help is among the arguments, before any display
    // is needed.
    static std::optional<int> answerHelp(int argc, char* argv[]);
    int run();

    // The working directory at start-up: the default database and the voice prompt files live
    // there.
    static QString programDirectory();
    // Local hour minus UTC hour, in seconds, as it was at start-up.
    static int localTimeOffset();
    static int computeLocalTimeOffset(const QDateTime& utcNow, const QTimeZone& localZone);

    static void showHelp(QWidget* parent);
    // F1 anywhere in the program shows the help box over window.
    static void installHelp(QWidget* window);

    struct StartupDatabase {
        QString path; // the database path to work with
        // The file there exists but could not be read: the console runs with the default
        // contents, and the file is saved over only when the user chooses it again.
        bool fileUnread = false;
    };
    // Start-up's database steps: the default image, the program directory, the database named by
    // "SaveFile" (or the default one) and its names. A file that cannot be read is said.
    static StartupDatabase openLastDatabase(Database& database);
    // Remembers the database path for the next start.
    static void rememberDatabase(const QString& path);

private:
    QApplication& app_;
};
