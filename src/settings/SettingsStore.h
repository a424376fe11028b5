#pragma once

#include "PortSettings.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QVariant>

#include <optional>

// The per-user settings: QSettings under "Brindleco Signals" / "tavolux", sections "Settings"
// and "Patron", with the value names the program has always used. Every key the program reads
// or writes is declared here once.
class SettingsStore {
public:
    static constexpr const char* Organisation = "Brindleco Signals";
    static constexpr const char* Application = "tavolux";

    struct Key {
        const char* section;
        const char* name;
    };

    static constexpr Key SaveFile{"Settings", "SaveFile"};
    static constexpr Key WndPos{"Settings", "WndPos"};
    static constexpr Key SendOnEnter{"Settings", "SendOnEnter"};
    static constexpr Key ComPort{"Settings", "ComPort"};
    static constexpr Key BaudRate{"Settings", "BaudRate"};
    static constexpr Key DataBits{"Settings", "DataBits"};
    static constexpr Key Parity{"Settings", "Parity"};
    static constexpr Key StopBits{"Settings", "StopBits"};
    static constexpr Key VoiceLanguage{"Settings", "VoiceLanguage"};
    // Where the user last left each report window, as "WndPos" holds the main window's.
    static constexpr Key PagersReportWndPos{"Settings", "PagersReportWndPos"};
    static constexpr Key GroupsReportWndPos{"Settings", "GroupsReportWndPos"};
    static constexpr Key AlarmsReportWndPos{"Settings", "AlarmsReportWndPos"};
    static constexpr Key PageHistoryWndPos{"Settings", "PageHistoryWndPos"};
    static constexpr Key Alert{"Patron", "Alert"};
    static constexpr Key Range{"Patron", "Range"};
    static constexpr Key Locate{"Patron", "Locate"};
    static constexpr Key CommonCapCode{"Patron", "CommonCapCode"};
    static constexpr Key Light{"Patron", "Light"};
    static constexpr Key BeepState{"Patron", "BeepState"};
    static constexpr Key FlashState{"Patron", "FlashState"};
    static constexpr Key VibeState{"Patron", "VibeState"};
    static constexpr Key RangeState{"Patron", "RangeState"};
    static constexpr Key PatronWndPos{"Patron", "WndPos"};
    // The paging gateway: see GatewaySettings.
    static constexpr Key GatewaySnppOn{"Gateway", "SnppOn"};
    static constexpr Key GatewaySnppListen{"Gateway", "SnppListen"};
    static constexpr Key GatewayHttpOn{"Gateway", "HttpOn"};
    static constexpr Key GatewayHttpListen{"Gateway", "HttpListen"};
    static constexpr Key GatewayCertificateFile{"Gateway", "CertificateFile"};
    static constexpr Key GatewayKeyFile{"Gateway", "KeyFile"};
    static constexpr Key GatewayConnectAtStart{"Gateway", "ConnectAtStart"};
    static constexpr Key GatewayLogins{"Gateway", "Logins"};
    static constexpr Key GatewayTokens{"Gateway", "Tokens"};
    // The page history keeps rows this many days (0: for ever).
    static constexpr Key HistoryKeepDays{"History", "KeepDays"};

    static bool contains(Key key);
    static std::optional<QString> text(Key key);
    static void setText(Key key, const QString& value);
    static int integer(Key key, int defaultValue);
    static void setInteger(Key key, int value);
    static QByteArray binary(Key key);
    static void setBinary(Key key, const QByteArray& value);
    // Whether the settings file holds everything set so far: a value the file could not take
    // (a read-only file, a full disk) is written again, and false when it still cannot be.
    static bool isSaved();

    // "ComPort", "BaudRate", "DataBits", "Parity" and "StopBits", with their defaults when
    // absent; a number the line cannot take keeps its default and is named in the result.
    static PortSettings portSettings();
    static void setPortSettings(const PortSettings& settings);

    // "WndPos": the main window's frame as four little-endian 32-bit numbers, left, top, right and
    // bottom, the right and bottom edges just outside the frame. A value of another length, or a
    // frame no window can have (empty, inside out or larger than a widget can be), is nothing.
    static std::optional<QRect> windowFrame(const QByteArray& stored);
    static QByteArray windowFrameValue(const QRect& frame);

private:
    static QVariant value(Key key);
    static void setValue(Key key, const QVariant& value);
};
