#pragma once

#include "PortSettings.h"

#include <QString>

#include <cstdint>

// What the unit session needs from the program around it: the console's window, or the
// command-line front end. Each call returns when the user is done with it.
class UnitSessionHost {
public:
    virtual ~UnitSessionHost() = default;

    // A message with the information icon and an OK button.
    virtual void inform(const QString& text) = 0;
    // The system's default beep, then a message with no icon and an OK button.
    virtual void alert(const QString& text) = 0;
    // Something the user should know that stops nothing (the line runs with other settings
    // than those saved); the window says it as inform does.
    virtual void notice(const QString& text) { inform(text); }
    // A question with Yes and No (No the default); true for Yes.
    virtual bool confirm(const QString& text) = 0;

    virtual PortSettings savedPortSettings() = 0;
    // Saves the database as File Save does; the caller goes on whatever comes of it.
    virtual void saveDatabase() = 0;
    // Moves the configuration image to the unit (type 2) or from it (type 3) and returns true
    // when the block was confirmed; only then has an upload replaced the image.
    virtual bool runImageTransfer(uint8_t type) = 0;
    // False when the unit fell silent or the line was lost (the user has been told why): the
    // session goes offline. An answer against the protocol is no reason to.
    virtual bool runStatusWindow() = 0;
    virtual void runFirmwareUpdate() = 0;
    virtual void runVoicePromptUpdate() = 0;
    virtual void runConnectionSettings() = 0;
    // An upload has replaced the image: lists built from it must be rebuilt.
    virtual void imageReplaced() = 0;
};
