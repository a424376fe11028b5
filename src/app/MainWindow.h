#pragma once

#include "AccessLevel.h"
#include "CommandId.h"
#include "GatewaySettings.h"
#include "MainWindowSessionHost.h"
#include "PageTextEdit.h"

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class CoasterPanel;
class Database;
class DatabaseCommands;
class PageHistory;
class PictureButton;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class PageHistoryWindow;
class ReportWindow;
class SortableList;
class UnitSession;

// The console's window: the editor buttons, the recipient list, the message with its Common,
// Time, Date, Send and Clear buttons, the page progress and the status panes, and menus that
// follow the access level. The commands' menus, shortcuts and buttons come from CommandTable.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 522;
    static constexpr int MinimumHeight = 480;
    // The period of the hover poll and the page pump.
    static constexpr int TickMs = 50;
    // The buttons under the message, which work on it rather than run commands.
    enum MessageButtonId : int {
        SendButton = 1039,
        ClearButton = 1040,
        TimeButton = 1046,
        DateButton = 1047,
        CommonButton = 1048,
    };

    explicit MainWindow(Database& database, QWidget* parent = nullptr);
    ~MainWindow() override;

    QString databasePath() const;
    void setDatabasePath(const QString& path);
    DatabaseCommands& databaseCommands() { return *commands_; }
    UnitSession& session() { return *session_; }
    MainWindowSessionHost& sessionHost() { return sessionHost_; }
    const AccessLevel& accessLevel() const { return level_; }

    // Runs a command by its id, with the level check every command makes.
    void runCommand(int id);
    // The recipient list from the image: groups, then pagers, each in ascending local ID.
    void fillRecipientList();
    void sendCommand();
    void login(const QString& password);
    void logout();
    void ApplyAccessLevel();
    // Inserts text at the caret of the message, as Time, Date and the Common popup do.
    void insertIntoMessage(const QString& text);
    // The Common popup as it would open now; null when there are no common messages.
    QMenu* buildCommonMenu();
    void bringToFront();
    // A page from outside the window was queued: the status bar's middle pane names the last one
    // and its sender, except while it asks for a recipient.
    void showOutsidePage(const QString& source, uint16_t localId);
    // The middle pane says what happened away from the window (a page from outside, a page
    // history that cannot be written) until the next such news.
    void showNotice(const QString& text);
    // The history the session's pages are kept in, for the window that shows it; may be null.
    // Its rows are kept as long as the retention setting says, from now on.
    void setPageHistory(PageHistory* history);
    PageHistory* pageHistory() const { return pageHistory_; }
    // The about box, for the caller to show.
    static QDialog* createAboutBox(QWidget* parent);
    // Leaves as Exit does, but without the save question, for when nobody can answer it (a
    // signal, the end of the desktop session): unsaved changes go to the recovery files.
    void leaveUnattended();
    // After the settings sheet: a new coaster panel where the open one stood, whatever the
    // "Patron" values say, so that changed rows show.
    void recreateCoasterPanel();
    // The open coaster panel; null when none is open.
    CoasterPanel* coasterPanel() const;
    // Rebuilds the open report windows from the database, after anything changed the data
    // behind them.
    void refreshOpenReports();
    // The open report window of that View command, if any.
    ReportWindow* openReport(int viewCommand) const;
    // The open page history window, if any.
    PageHistoryWindow* pageHistoryWindow() const;

    SortableList* recipientList() const { return recipients_; }
    PageTextEdit* messageBox() const { return message_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusPane(int index) const { return panes_.value(index); }
    PictureButton* button(int id) const { return buttons_.value(id); }
    QList<PictureButton*> pictureButtons() const { return buttons_.values(); }
    // The commands that opened an editor, in order, for the tests.
    const QList<int>& openedWindows() const { return openedWindows_; }
    bool isTicking() const { return tick_.isActive(); }

signals:
    // OK in the gateway settings saved these: the gateway is to listen as they say.
    void gatewaySettingsChanged(const GatewaySettings& settings);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildShortcuts();
    void greyMenu(QMenu* menu);
    void layoutControls();
    void showMessageLength();
    bool tickHasWork() const;
    void wakeTick();
    void showLinkState(bool online);
    void commonButton();
    void openEditor(int command);
    // After an editor closed: the recipient list follows the image, keeping its selection where
    // the row still exists, and so do the open reports.
    void editorClosed();
    void recipientActivated();
    bool selectByFirstLetter(const QString& letter);
    void restorePosition();
    void storePosition();
    void showAbout();
    void openGatewaySettings();
    // A page from the message box that failed comes back into the box when it is empty.
    void pageFailed(const QByteArray& record);
    void openCoasterPanel();
    void showReport(int viewCommand);
    void showPageHistory();
    // Hands the retention setting to the history the console writes.
    void applyHistoryRetention();

    Database& database_;
    DatabaseCommands* commands_;
    MainWindowSessionHost sessionHost_;
    UnitSession* session_;
    AccessLevel level_;
    QHash<int, PictureButton*> buttons_;
    // The accelerators' keys, which the message box must not take for itself.
    QList<QKeySequence> accelerators_;
    QHash<QWidget*, QRect> baseGeometry_;
    QLabel* recipientLabel_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QLabel* sendingLabel_ = nullptr;
    SortableList* recipients_ = nullptr;
    PageTextEdit* message_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QList<QLabel*> panes_;
    QWidget* canvas_ = nullptr;
    QMenu* commonMenu_ = nullptr;
    QList<int> openedWindows_;
    QTimer tick_;
    bool leavingUnattended_ = false;
    QPointer<CoasterPanel> coasterPanel_;
    QHash<int, QPointer<ReportWindow>> reports_;
    QPointer<PageHistoryWindow> pageHistoryWindow_;
    // The pages sent from the message box that are still queued, with what the box held.
    struct SentMessage {
        QByteArray record;
        uint16_t recipient;
        QString text;
    };
    QList<SentMessage> sentMessages_;
    // What the middle pane shows when it is not asking for a recipient.
    QString lastNotice_;
    PageHistory* pageHistory_ = nullptr;
    bool askingForRecipient_ = false;
};
