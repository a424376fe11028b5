// The database file reader over any bytes, then the record operations over whatever image a
// hostile file leaves behind. Everything stays in memory: a run costs microseconds, not a file.
#include "Database.h"
#include "FuzzCheck.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <numeric>

namespace {

constexpr int StoredChecksum = 1 + ConfigurationImage::checksumField.offset;

uint16_t imageSum(const QByteArray& file)
{
    const auto* image = reinterpret_cast<const uint8_t*>(file.constData()) + 1;
    return static_cast<uint16_t>(
        std::accumulate(image, image + ConfigurationImage::ChecksummedBytes, 0u) & 0xFFFF);
}

uint16_t storedChecksum(const QByteArray& file)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(file[StoredChecksum]) |
                                 static_cast<uint8_t>(file[StoredChecksum + 1]) << 8);
}

void walkRecords(ConfigurationImage& image)
{
    int pagers = 0;
    int previousId = -1;
    for (auto slot = image.firstPager(); slot; slot = image.nextPager(*slot)) {
        const uint16_t id = image.pager(*slot).localId();
        FUZZ_CHECK(id > previousId && id <= ConfigurationImage::MaxLocalId);
        FUZZ_CHECK(++pagers <= ConfigurationImage::PagerCount);
        previousId = id;
    }
    // By slot: the ordered walk above has covered the local ID index, and a second rebuild of
    // it for the groups would double the cost of a run.
    for (int slot = 0; slot < ConfigurationImage::GroupCount; ++slot) {
        GroupRecord group = image.group(slot);
        if (group.isFree())
            continue;
        // Groups may hold each other in a ring; the searches must still end.
        image.groupContains(slot, ConfigurationImage::NoLocalId - 1);
        image.groupsRelated(slot, image.findGroup(group.member(0)));
        int members = 0;
        for (uint16_t id = image.firstMember(slot); id != ConfigurationImage::NoLocalId;
             id = image.nextMember()) {
            FUZZ_CHECK(++members <= GroupRecord::MemberCount);
            FUZZ_CHECK(image.groupHasMember(slot, id));
        }
    }

    // Renumbering and deleting act on the one record the lists show by the local ID.
    const uint16_t renumbered = image.pager(0).localId();
    const bool shownTwice =
        image.findPager(renumbered).has_value() && image.findGroup(renumbered).has_value();
    if (image.renumberLocalId(renumbered, 1234)) {
        FUZZ_CHECK(image.isLocalIdInUse(1234));
        FUZZ_CHECK(!shownTwice);
    }
    const uint16_t deleted = image.group(0).localId();
    if (const auto group = image.findGroup(deleted);
        group && deleted != ConfigurationImage::NoLocalId) {
        image.deleteLocalId(deleted);
        FUZZ_CHECK(image.group(*group).isFree());
    }
}

// expected is the status the file format calls for, worked out by the caller from the bytes.
void readAndCheck(const QByteArray& file, DatabaseReadResult::Status expected)
{
    QByteArray bytes = file;
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    // Copying a database made once is far cheaper than building the default image every run.
    static const Database prototype;
    Database database = prototype;
    const ConfigurationImage::Bytes before = database.image().bytes();
    database.markModified();
    const DatabaseReadResult::Status status = database.readDatabaseFrom(device).status;
    FUZZ_CHECK(status == expected);
    if (status == DatabaseReadResult::Refused) {
        FUZZ_CHECK(database.image().bytes() == before);
        FUZZ_CHECK(database.isModified());
        return;
    }
    FUZZ_CHECK(!database.isModified());
    // A repaired image needs no further repair, or every read would change it again.
    const ConfigurationImage::Bytes repaired = database.image().bytes();
    database.image().repairImage();
    FUZZ_CHECK(database.image().bytes() == repaired);
    // After a checksum mismatch the image holds the default contents: nothing hostile to walk.
    if (status == DatabaseReadResult::Read)
        walkRecords(database.image());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (file.size() < Database::FileSize ||
        static_cast<uint8_t>(file[0]) != Database::VersionByte) {
        readAndCheck(file, DatabaseReadResult::Refused);
        return 0;
    }
    const uint16_t sum = imageSum(file);
    if (storedChecksum(file) == sum) {
        readAndCheck(file, DatabaseReadResult::Read);
        return 0;
    }
    readAndCheck(file, DatabaseReadResult::ChecksumMismatch);
    // Most mutations break the checksum; mend it so that hostile contents reach the records.
    QByteArray mended = file;
    mended[StoredChecksum] = static_cast<char>(sum & 0xFF);
    mended[StoredChecksum + 1] = static_cast<char>(sum >> 8);
    readAndCheck(mended, DatabaseReadResult::Read);
    return 0;
}
