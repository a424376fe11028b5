#pragma once

#include "PageDesk.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <variant>

// The HTTP gateway's JSON: a page request as a site's system sends it, and the answers it gets.
// Nothing here touches a socket, so that every body can be tried on its own.
namespace PageJson {

// HTTP statuses the gateway answers with.
enum Status : int {
    Ok = 200,
    BadRequest = 400, // not a page request: malformed JSON, wrong types, missing fields
    Unauthorized = 401,
    NotFound = 404,
    MethodNotAllowed = 405,
    LengthRequired = 411,
    PayloadTooLarge = 413,
    UnprocessableContent = 422, // a well-formed request the database or the text rules refuse
    TooManyRequests = 429,
    HeaderFieldsTooLarge = 431,
    BadGateway = 502,         // the unit refused the page, or the line to it was lost
    ServiceUnavailable = 503, // the console is not connected, or went offline first
    GatewayTimeout = 504,     // the unit did not answer
};

// {"to": 12, "text": "Table 4 is ready"} or {"to": [12, 40], ...}.
struct Request {
    QList<uint16_t> recipients;
    QString text;
};

// The request in body, or why body is not one (a 400 with that reason). Local IDs must be whole
// numbers from 1 to 9999; whether the database holds them and whether the text meets the
// message box's rules is the desk's check.
std::variant<Request, QString> parse(const QByteArray& body);

// 200 when the unit confirmed every page; otherwise the status of the first page that did not
// go, which names why.
Status status(const QList<PageResult>& results);
// {"pages": [{"to": 12, "outcome": "confirmed"}, ...]} with, when a page did not go, its
// "reason" and the request's "error".
QByteArray answer(const QList<PageResult>& results);
// {"error": why}
QByteArray error(const QString& why);
// {"connected": true}
QByteArray unitStatus(bool connected);

} // namespace PageJson
