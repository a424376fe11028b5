#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

class QIODevice;

// The sample data of a RIFF/WAVE file, as the unit takes it: the body of the first "data"
// chunk, exactly its size or as much as the file still holds. Nothing, with the reason in
// problem, for a file that is not RIFF/WAVE, has no "data" chunk, has a chunk before it that
// runs past its end, or whose sample data is more than limit bytes (the room the voice prompts
// have left). Sizes are checked against
// the file and the limit before anything is read, so no more than limit bytes are ever read or
// allocated, whatever the file declares.
class WavReader {
    Q_DECLARE_TR_FUNCTIONS(WavReader)
public:
    static std::optional<QByteArray> samples(QIODevice& file, qint64 limit, QString* problem);
};
