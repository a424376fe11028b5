#pragma once

#include <QString>

#include <optional>

// Where a page came from: what the history keeps of its sender, and whether the console's own
// user is the one to hear that it could not be queued.
struct PageOrigin {
    enum class Source {
        MessageBox,    // Send in the main window, with what Common and Time/Date put in the box
        TestPage,      // Test in the pagers or groups editor
        CoasterAlert,  // the coaster panel's alert button
        CoasterRange,  // its range check
        CoasterLocate, // its locate button
        CommandLine,   // tavolux-cli page, on its own port or handed to the console
        Snpp,
        Http,
    };

    Source source = Source::MessageBox;
    // The address of a sender on the network, "local" for the command line handing its page to
    // the console; empty for a page of the window's own.
    QString peer;
    // The login or token name the sender gave, if any.
    QString login;

    // A sender outside the window hears itself that the page could not be queued; the window's
    // user is not alerted for it.
    bool fromOutside() const
    {
        return source == Source::CommandLine || source == Source::Snpp || source == Source::Http;
    }

    // The stable name the history stores ("message-box", "snpp", ...).
    static QString key(Source source);
    static std::optional<Source> fromKey(const QString& key);
    static constexpr int SourceCount = 8;

    bool operator==(const PageOrigin&) const = default;
};
