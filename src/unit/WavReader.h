#pragma once

#include <QByteArray>

#include <optional>

class QIODevice;

// The sample data of a RIFF/WAVE file, as the unit takes it: the body of the first "data"
// chunk, exactly its size or as much as the file still holds. Nothing for a file that is not
// RIFF/WAVE or has no "data" chunk. Chunk sizes are checked against the file, so a size beyond
// it ends the read without reading or allocating more than the file holds.
class WavReader {
public:
    static std::optional<QByteArray> samples(QIODevice& file);
};
