// The fault plan: which faults a block gets (from the options, or drawn at random from the seed)
// and where in the block they strike.
#include "UnitSimulator.h"

#include "BlockTransfer.h"

#include <random>

namespace {

// Bytes the protocol gives no meaning to, for the garbage fault.
constexpr uint8_t GarbageBytes[] = {0x00, 0x41, 0x7F, 0x99, 0xC3, 0xFE};

} // namespace

bool UnitSimulator::faultApplies() const
{
    return options_.faultType == 0 || options_.faultType == blockType_;
}

void UnitSimulator::countDataByte()
{
    ++dataBytesThisBlock_;
    applyDataLimits();
}

void UnitSimulator::applyDataLimits()
{
    if (faults_.hangupAfter >= 0 && dataBytesThisBlock_ >= faults_.hangupAfter) {
        log(QStringLiteral("hangup"),
            {{QStringLiteral("type"), blockType_}, {QStringLiteral("after"), dataBytesThisBlock_}});
        hangUp();
    } else if (faults_.silentAfter >= 0 && dataBytesThisBlock_ >= faults_.silentAfter &&
               mode_ != Mode::Silent) {
        log(QStringLiteral("silent"),
            {{QStringLiteral("type"), blockType_}, {QStringLiteral("after"), dataBytesThisBlock_}});
        mode_ = Mode::Silent;
        silentSince_ = Clock::now();
    }
}

void UnitSimulator::chooseFaults()
{
    faults_ = {};
    randomFault_.reset();
    if (!faultApplies())
        return;
    if (options_.faultRate <= 0) {
        faults_ = {options_.refuseLength,    naksLeft_ != 0,       options_.uploadLength,
                   options_.corruptChecksum, options_.silentAfter, options_.garbage,
                   options_.hangupAfter};
        return;
    }
    if (std::uniform_real_distribution<double>(0, 1)(random_) >= options_.faultRate)
        return;
    randomFault_ = static_cast<RandomFault>(std::uniform_int_distribution<int>(0, 4)(random_));
}

void UnitSimulator::placeRandomFault(uint32_t length)
{
    if (!randomFault_)
        return;
    static const char* const names[] = {"nak", "refuse-length", "silence", "garbage", "hangup"};
    QJsonObject fields{
        {QStringLiteral("type"), blockType_},
        {QStringLiteral("kind"), QString::fromLatin1(names[static_cast<int>(*randomFault_)])}};
    // A block the unit sends gets the faults of its own side: a wrong checksum for the NAK, a
    // wrong length for the refusal.
    switch (*randomFault_) {
    case RandomFault::Nak:
        faults_.nakChecksum = true;
        faults_.corruptChecksum = true;
        break;
    case RandomFault::RefuseLength:
        faults_.refuseLength = std::uniform_int_distribution<int>(0, 1)(random_) != 0
                                   ? BlockTransfer::InvalidLength
                                   : BlockTransfer::OutOfMemory;
        faults_.uploadLength = static_cast<int>(length) - 1;
        break;
    case RandomFault::Garbage:
        faults_.garbage = true;
        break;
    case RandomFault::Silence:
    case RandomFault::Hangup: {
        const int after = std::uniform_int_distribution<int>(
            1, std::max(1, static_cast<int>(std::min<uint32_t>(length, 1 << 30))))(random_);
        (*randomFault_ == RandomFault::Silence ? faults_.silentAfter : faults_.hangupAfter) = after;
        fields.insert(QStringLiteral("after"), after);
        break;
    }
    }
    log(QStringLiteral("fault"), fields);
    randomFault_.reset();
}

void UnitSimulator::sendGarbage()
{
    send(QByteArray(reinterpret_cast<const char*>(GarbageBytes), sizeof GarbageBytes));
}
