#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

class ConfigurationImage;

// The rules every page from outside the window meets before it is queued (the command line's,
// the gateway's): each says, in a sentence the sender can act on, why a page cannot go.
namespace PageRequest {

// Local IDs run from 1 to 9999; 0 is no recipient.
inline constexpr int MaxRecipients = 100;

// The message box's rules: at most 200 characters (a line break counts two), only what the unit
// can show. A text that breaks them is refused, never cut or altered.
std::optional<QString> textProblem(const QString& text);

// A local ID in decimal digits only, 0 to 9999 (the command line may page 0; "+12" and " 12" are
// not numbers here).
std::optional<uint16_t> parseLocalId(const QString& digits);

// The recipient is a pager or a group that the image holds.
std::optional<QString> recipientProblem(const ConfigurationImage& image, uint16_t localId);

} // namespace PageRequest
