#pragma once

#include <QByteArray>
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

    static bool contains(Key key);
    static std::optional<QString> text(Key key);
    static void setText(Key key, const QString& value);
    static int integer(Key key, int defaultValue);
    static void setInteger(Key key, int value);
    static QByteArray binary(Key key);
    static void setBinary(Key key, const QByteArray& value);

private:
    static QVariant value(Key key);
    static void setValue(Key key, const QVariant& value);
};
