#pragma once

#include <QByteArray>
#include <QTimer>
#include <QWidget>

#include <array>

class ConfigurationImage;
class PictureButton;
class UnitSession;

// The floating panel that drives all coasters at once through their shared capcodes: Beep,
// Flash, Vibrate and Anti-Theft switch the mode the coasters alert in, Locate makes every coaster
// announce itself. Which rows it shows comes from "Alert", "Range" and "Locate" of the "Patron"
// settings; the four switches keep their states there, shared by every database.
//
// A switch only stores its state; the mode goes out once the switches have been left alone for
// SettleMs (tests set a shorter time), so that a few quick clicks make one sending.
class CoasterPanel : public QWidget {
    Q_OBJECT
public:
    enum Button { Beep, Flash, Vibrate, AntiTheft, Locate };
    static constexpr int ButtonCount = 5;
    static constexpr int ButtonHeight = 40;
    static constexpr int SettleMs = 3000;
    static constexpr int HoverPollMs = 50;

    // The code the coasters know for these alert states; empty when they call for no alert page.
    static QByteArray alertCode(bool beep, bool flash, bool vibrate);
    // capcode in decimal, 0x1E, field, 0x1E, "1", 0x1E, "1", 0x1E, "N", 0x1E.
    static QByteArray coasterPage(uint32_t capcode, const QByteArray& field);

    // Placed where it stood last ("WndPos" of "Patron"), or beside mainWindow the first time.
    CoasterPanel(UnitSession& session, const ConfigurationImage& image, QWidget* mainWindow);
    ~CoasterPanel() override;

    int rowCount() const { return rows_; }
    PictureButton* button(Button which) const { return buttons_[which]; }

    int settleMs() const { return settle_.interval(); }
    void setSettleTime(int ms) { settle_.setInterval(ms); }
    // A switch was clicked and its mode is not sent yet.
    bool isModeWaiting() const { return settle_.isActive(); }
    // Sends a waiting mode now instead of when the switches settle.
    void sendWaitingMode();
    // The hover poll runs only while the pointer is over the panel.
    bool isHoverPollRunning() const { return hoverPoll_.isActive(); }

protected:
    // A mode still waiting goes out now: the switches already show it.
    void closeEvent(QCloseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void toggle(Button which);
    void sendMode();
    void locate();
    void pollHover();

    UnitSession& session_;
    const ConfigurationImage& image_;
    std::array<PictureButton*, ButtonCount> buttons_{};
    int rows_ = 0;
    QTimer settle_;
    QTimer hoverPoll_;
};
