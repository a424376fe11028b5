// libFuzzer target: the database file and names file readers, and the record operations over
// whatever image a hostile file leaves behind.
#include "Database.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QBuffer names(&bytes);
    names.open(QIODevice::ReadOnly);
    NameTable table;
    table.readFrom(names);

    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    Database database;
    if (database.readDatabaseFrom(file) == DatabaseReadResult::Refused)
        return 0;

    ConfigurationImage& image = database.image();
    for (auto slot = image.firstPager(); slot; slot = image.nextPager(*slot))
        image.isLocalIdInUse(image.pager(*slot).localId());
    for (auto slot = image.firstGroup(); slot; slot = image.nextGroup(*slot)) {
        image.groupContains(*slot, 0);
        image.groupsRelated(*slot, image.findGroup(image.group(*slot).member(0)));
        for (uint16_t id = image.firstMember(*slot); id != ConfigurationImage::NoLocalId;
             id = image.nextMember())
            image.groupHasMember(slot, id);
    }
    image.renumberLocalId(image.pager(0).localId(), 1234);
    image.deleteLocalId(image.group(0).localId());
    return 0;
}
