#include "Channel.h"

#include <limits>

uint32_t Channel::TakeError()
{
    const uint32_t code = lastError_;
    lastError_ = 0;
    return code;
}

int32_t Channel::scaledTimeout(int32_t ms) const
{
    if (ms == NoTimeLimit)
        return NoTimeLimit;
    // A scaled time-out that would overflow is as good as no limit.
    const int64_t scaled = static_cast<int64_t>(ms) * GetTimeoutFactor();
    return scaled >= NoTimeLimit ? NoTimeLimit : static_cast<int32_t>(scaled);
}

int Channel::ReadByte()
{
    uint8_t byte = 0;
    Read(&byte, 1);
    return LastReadCount() == 1 ? byte : -1;
}

bool Channel::WriteByte(int value)
{
    const uint8_t byte = static_cast<uint8_t>(value & 0xFF);
    return Write(&byte, 1);
}

bool Channel::WriteString(const QByteArray& text)
{
    // A text ends at its first NUL, as the unit's command texts always have.
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.constData());
    const int total = static_cast<int>(qstrnlen(text.constData(), static_cast<uint>(text.size())));
    int sent = 0;
    bool ok = true;
    while (ok && sent < total) {
        ok = Write(bytes + sent, total - sent);
        sent += LastWriteCount();
    }
    lastWriteCount_ = sent;
    return ok;
}
