// One SNPP client's lines as the gateway's session takes them. The first byte chooses whether
// the client logs in from afar and how the unit answers the pages; the rest are the lines, split
// at LF as the server splits them. Whatever is sent: every answer is whole lines of printable
// ASCII with a code the protocol knows; nothing is paged without a recipient the database holds,
// a text the message box takes and, from afar, a login; 250 after a SEND only when the unit
// confirmed every page; after 421 or 221 nothing more is said.
#include "FuzzCheck.h"
#include "PageRequest.h"
#include "SnppSession.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

namespace {

std::optional<QString> siteCheck(uint16_t localId)
{
    if (localId >= 1 && localId <= 20 && localId != 13)
        return std::nullopt;
    return QStringLiteral("no pager or group has local ID %1").arg(localId);
}

bool knownCode(QByteArrayView code)
{
    for (const char* known :
         {"214", "221", "250", "354", "421", "500", "503", "550", "552", "554"}) {
        if (code == known)
            return true;
    }
    return false;
}

// Checks the form of an answer; true when it says goodbye.
bool checkReply(const SnppSession::Step& step)
{
    if (step.reply.isEmpty()) {
        FUZZ_CHECK(!step.close);
        return false;
    }
    FUZZ_CHECK(step.reply.endsWith("\r\n"));
    QByteArrayView last;
    for (QByteArrayView rest = step.reply; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf("\r\n");
        FUZZ_CHECK(end >= 4);
        const QByteArrayView line = rest.first(end);
        FUZZ_CHECK(knownCode(line.first(3)) && line.at(3) == ' ');
        for (const char c : line)
            FUZZ_CHECK(c >= 0x20 && c < 0x7F);
        last = line;
        rest = rest.sliced(end + 2);
    }
    const bool goodbye = last.startsWith("421") || last.startsWith("221");
    FUZZ_CHECK(step.close == goodbye);
    FUZZ_CHECK(step.delayMs == 0 || step.reply.startsWith("550 Error, Invalid Login"));
    return goodbye;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t choice = data[0];
    const bool fromAfar = (choice & 1) != 0;
    SnppSession session(fromAfar, siteCheck);
    QByteArrayView input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    int orders = 0;
    bool gone = false;
    while (!input.isEmpty()) {
        const qsizetype end = input.indexOf('\n');
        const QByteArrayView line = end < 0 ? input : input.first(end);
        input = end < 0 ? QByteArrayView() : input.sliced(end + 1);

        SnppSession::Step step = session.feed(line);
        if (gone) {
            FUZZ_CHECK(step.reply.isEmpty() && !step.login && !step.order);
            continue;
        }
        if (step.login) {
            FUZZ_CHECK(step.reply.isEmpty() && !step.order && session.isWaiting());
            const bool right = step.login->name == u"desk" && step.login->password == "secret";
            step = session.loginChecked(right);
            FUZZ_CHECK(!session.isWaiting());
            FUZZ_CHECK(right == !session.loginName().isEmpty());
        }
        if (step.order) {
            FUZZ_CHECK(step.reply.isEmpty() && session.isWaiting());
            const SnppSession::Order order = *step.order;
            FUZZ_CHECK(!order.recipients.isEmpty());
            FUZZ_CHECK(order.recipients.size() <= PageRequest::MaxRecipients);
            for (const uint16_t localId : order.recipients)
                FUZZ_CHECK(!siteCheck(localId));
            FUZZ_CHECK(!order.text.isEmpty() && !PageRequest::textProblem(order.text));
            FUZZ_CHECK(!fromAfar || session.loginName() == u"desk");
            // Each order ends another way, as the choice byte says.
            QList<PageResult> results;
            const int ending = (choice >> 1) + orders++;
            for (int i = 0; i < order.recipients.size(); ++i)
                results.append(
                    {order.recipients.at(i), static_cast<PageOutcome>((ending + (i > 0)) % 6), {}});
            bool allConfirmed = true;
            for (const PageResult& result : results)
                allConfirmed = allConfirmed && result.outcome == PageOutcome::Confirmed;
            step = session.sendEnded(results);
            FUZZ_CHECK(!session.isWaiting());
            FUZZ_CHECK(step.reply.startsWith(allConfirmed ? "250 " : "554 "));
        }
        gone = checkReply(step);
        FUZZ_CHECK(gone == session.isClosed());
    }
    return 0;
}
