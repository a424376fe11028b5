// The session's waits for the unit's answer to connect and disconnect, in the order the session
// makes them: the first try, the second one at the online speed when the first heard nothing,
// then the wait that follows the disconnect command. The unit's bytes are the fuzz input.
//
// Input: byte 0 sets the answer time-out (bits 0-3, in tenths of a second; the wait is never
// longer than the session's own limit) and bit 4 says the line is already at the online speed,
// where a silent first try is the end of it. Byte 1 breaks the line (EIO) at that read when bit 5
// of byte 0 is set. The rest is what the unit sends.
//
// The clock is the channel's: a byte that comes takes a millisecond, a read that gets nothing
// takes its whole read time-out, so that no run depends on the machine's speed.
#include "FuzzCheck.h"
#include "FuzzedUnitChannel.h"
#include "UnitSession.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace {

constexpr uint8_t AlreadyOnlineSpeed = 0x10;
constexpr uint8_t BreaksTheLine = 0x20;

class ClockedUnitChannel : public FuzzedUnitChannel {
public:
    ClockedUnitChannel(QByteArray answers, int breakAtRead)
        : FuzzedUnitChannel(std::move(answers), 0)
        , breakAtRead_(breakAtRead)
    {}

    bool Read(uint8_t* buffer, int count) override
    {
        readStartedAt_ = now_;
        ++reads_;
        if (breakAtRead_ >= 0 && reads_ > breakAtRead_) {
            ++readsOfBrokenLine_;
            lastReadCount_ = 0;
            SetError(EIO);
            now_ += 1;
            return false;
        }
        // Silence takes the read time-out on this clock alone: the released channel would yield
        // the processor on every silent read, which costs a time slice on a busy machine.
        if (answersRead() == answers().size()) {
            lastReadCount_ = 0;
            now_ += GetReadTimeout();
            return false;
        }
        const bool complete = FuzzedUnitChannel::Read(buffer, count);
        now_ += LastReadCount() > 0 ? LastReadCount() : GetReadTimeout();
        return complete;
    }

    qint64 now() const { return now_; }
    qint64 readStartedAt() const { return readStartedAt_; }
    int reads() const { return reads_; }
    int readsOfBrokenLine() const { return readsOfBrokenLine_; }

private:
    const int breakAtRead_;
    qint64 now_ = 0;
    qint64 readStartedAt_ = 0;
    int reads_ = 0;
    int readsOfBrokenLine_ = 0;
};

// One wait, checked against what the channel handed out meanwhile.
UnitSession::Answer checkedWait(ClockedUnitChannel& channel, int waitMs)
{
    const qint64 startedAt = channel.now();
    const int readsBefore = channel.reads();
    const int answersBefore = channel.answersRead();
    const int brokenReadsBefore = channel.readsOfBrokenLine();
    const UnitSession::Answer answer = UnitSession::waitForAnswer(
        channel, waitMs, [&channel, startedAt] { return channel.now() - startedAt; });

    const QByteArray heard =
        channel.answers().mid(answersBefore, channel.answersRead() - answersBefore);
    const int brokenReads = channel.readsOfBrokenLine() - brokenReadsBefore;
    const qint64 waited = channel.now() - startedAt;
    // Every read moves the clock on, so a wait that keeps to its window reads a bounded number.
    FUZZ_CHECK(channel.reads() - readsBefore <= std::max(waitMs, 0));
    FUZZ_CHECK(waited < std::max(waitMs, 0) + 50 + 1);
    switch (answer) {
    case UnitSession::Answer::Heard:
        FUZZ_CHECK(!heard.isEmpty() &&
                   static_cast<uint8_t>(heard.back()) == UnitSession::UnitAnswer);
        FUZZ_CHECK(heard.indexOf(static_cast<char>(UnitSession::UnitAnswer)) == heard.size() - 1);
        FUZZ_CHECK(channel.readStartedAt() - startedAt < waitMs);
        FUZZ_CHECK(brokenReads == 0);
        break;
    case UnitSession::Answer::Silent:
        FUZZ_CHECK(!heard.contains(static_cast<char>(UnitSession::UnitAnswer)));
        FUZZ_CHECK(waited >= waitMs);
        FUZZ_CHECK(brokenReads == 0);
        break;
    case UnitSession::Answer::LineLost:
        // A broken line ends the wait at the read that found it.
        FUZZ_CHECK(brokenReads == 1);
        FUZZ_CHECK(!heard.contains(static_cast<char>(UnitSession::UnitAnswer)));
        break;
    }
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const int answerTimeoutMs = (mode & 0x0F) * 100;
    const int waitMs = std::min(UnitSession::AnswerWaitMs, answerTimeoutMs);
    const int breakAtRead = (mode & BreaksTheLine) ? data[1] : -1;
    ClockedUnitChannel channel(
        QByteArray(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2)),
        breakAtRead);

    bool online = false;
    const UnitSession::Answer first = checkedWait(channel, waitMs);
    if (first == UnitSession::Answer::Heard)
        online = true;
    else if (first == UnitSession::Answer::Silent && !(mode & AlreadyOnlineSpeed))
        online = checkedWait(channel, waitMs) == UnitSession::Answer::Heard;
    // Online only on an answer that the unit really sent.
    FUZZ_CHECK(!online || channel.answers()
                              .left(channel.answersRead())
                              .contains(static_cast<char>(UnitSession::UnitAnswer)));

    // Leaving says goodbye whether the unit answered or not, and waits once more.
    checkedWait(channel, waitMs);
    return 0;
}
