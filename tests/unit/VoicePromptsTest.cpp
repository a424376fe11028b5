#include "../support/UnprivilegedUser.h"
#include "../support/UpdateFiles.h"

#include "VoicePrompts.h"
#include "WavReader.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace updatefiles;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool runsUnderAddressSanitizer = true;
#else
constexpr bool runsUnderAddressSanitizer = false;
#endif

std::optional<QByteArray> samplesOf(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return WavReader::samples(buffer, VoicePrompts::MaxBlockLength, nullptr);
}

QByteArray riffHeader(quint32 size)
{
    QByteArray bytes = "RIFF";
    char raw[4];
    qToLittleEndian<quint32>(size, raw);
    bytes.append(raw, 4);
    return bytes + "WAVE";
}

// The (offset, length) entries of a block's prompt table.
QList<std::pair<quint32, quint32>> table(const QByteArray& block)
{
    QList<std::pair<quint32, quint32>> entries;
    for (int i = 0; i < VoicePrompts::PromptCount; ++i)
        entries.append({qFromLittleEndian<quint32>(block.constData() + 8 * i),
                        qFromLittleEndian<quint32>(block.constData() + 8 * i + 4)});
    return entries;
}

class VoiceFolder : public ::testing::Test {
protected:
    // Writes the six prompts of a language; a null entry leaves that file out.
    void writePrompts(int language, const QList<QByteArray>& files)
    {
        for (int i = 0; i < files.size(); ++i)
            if (!files[i].isNull()) {
                ASSERT_TRUE(write(VoicePrompts::fileName(dir_.path(), language, i + 1), files[i]));
            }
    }
    QTemporaryDir dir_;
};

} // namespace

TEST(WavReader, TakesTheFirstDataChunkAndRefusesWhatIsNotAWaveFile)
{
    const QByteArray samples("\x01\x02\x03\x04\x05", 5);
    struct Case {
        const char* name;
        QByteArray file;
        std::optional<QByteArray> expected;
    };
    const QByteArray oddChunk = chunk("junk", "abc");
    const QByteArray unpaddedOddChunk = chunk("junk", "abc", false);
    const Case cases[] = {
        {"plain", wav(samples), samples},
        {"list before data", wav(samples, chunk("LIST", "INFOISFT\x04\0\0\0abcd")), samples},
        {"odd chunk padded", wav(samples, oddChunk), samples},
        {"second data chunk ignored", wav(samples) + chunk("data", "zz"), samples},
        {"empty data", wav({}), QByteArray()},
        {"data shorter than its size", riffHeader(100) + QByteArray("data\x10\0\0\0abc", 11),
         QByteArray("abc")},
        {"not RIFF", "RIFX" + wav(samples).mid(4), std::nullopt},
        {"not WAVE", wav(samples).left(8) + "AVI " + wav(samples).mid(12), std::nullopt},
        {"no data chunk", riffHeader(20) + chunk("fmt ", QByteArray(16, 0)), std::nullopt},
        {"short header", QByteArray("RIFF\0\0", 6), std::nullopt},
        {"empty file", QByteArray(), std::nullopt},
        {"chunk size beyond the file",
         riffHeader(100) + QByteArray("LIST\xff\xff\xff\xff", 8) + chunk("data", "ab"),
         std::nullopt},
        {"chunk header cut off", riffHeader(100) + QByteArray("LIS", 3), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(samplesOf(c.file), c.expected) << c.name;
}

TEST(VoicePrompts, BlockTableFollowsThePromptLengths)
{
    const QList<int> lengths{1000, 2000, 10, 20, 30, 40};
    QList<QByteArray> samples;
    for (int i = 0; i < lengths.size(); ++i)
        samples << QByteArray(lengths[i], static_cast<char>('a' + i));
    const QByteArray block = VoicePrompts::block(samples);
    ASSERT_EQ(block.size(), 3148);
    const QList<std::pair<quint32, quint32>> expected{{48, 1000}, {1048, 2000}, {3048, 10},
                                                      {3058, 20}, {3078, 30},   {3108, 40}};
    EXPECT_EQ(table(block), expected);
    for (int i = 0; i < samples.size(); ++i)
        EXPECT_EQ(block.mid(expected[i].first, expected[i].second), samples[i]) << i;
}

TEST(VoicePrompts, LanguagesByIndexOrName)
{
    EXPECT_EQ(VoicePrompts::languages().size(), 11);
    EXPECT_EQ(VoicePrompts::languageIndex(QStringLiteral("3")), 3);
    EXPECT_EQ(VoicePrompts::languageIndex(QStringLiteral("english (us)")), 1);
    EXPECT_EQ(VoicePrompts::languageIndex(QStringLiteral("Japanese")), 10);
    for (const char* refused : {"11", "-1", "+3", "", "Klingon", " 3"})
        EXPECT_EQ(VoicePrompts::languageIndex(QString::fromLatin1(refused)), std::nullopt)
            << refused;
    EXPECT_EQ(VoicePrompts::fileName(QStringLiteral("/d"), 1, 3),
              QStringLiteral("/d/english (us)3.wav"));
}

TEST_F(VoiceFolder, BuildsTheBlockFromTheSixFiles)
{
    writePrompts(1, {wav("one"), wav({}), wav("three"), wav("4"), wav("five!"), wav("six")});
    QString error;
    const std::optional<QByteArray> block = VoicePrompts::build(dir_.path(), 1, &error);
    ASSERT_TRUE(block) << error.toStdString();
    // An empty prompt 2 takes no room: prompt 3 starts where it does.
    const QList<std::pair<quint32, quint32>> expected{{48, 3}, {51, 0}, {51, 5},
                                                      {56, 1}, {57, 5}, {62, 3}};
    EXPECT_EQ(table(*block), expected);
    EXPECT_EQ(block->mid(48), QByteArray("onethree4five!six"));
}

// Each unusable file is named, with what is wrong with it, and nothing is sent.
TEST_F(VoiceFolder, RefusesAnUnusableFileByNameAndReason)
{
    const QByteArray good = wav("sound");
    struct Case {
        const char* name;
        int prompt; // the file refused
        std::function<void(const QString&)> make;
        const char* reason;
    };
    const auto bytes = [](const QByteArray& content) {
        return [content](const QString& path) {
            ASSERT_TRUE(write(path, content));
        };
    };
    const Case cases[] = {
        {"missing", 4, [](const QString&) {}, "No such file or directory"},
        {"not RIFF", 6, bytes("RIFX" + good.mid(4)), "not a RIFF/WAVE file"},
        {"without data", 2, bytes(riffHeader(4)), "no \"data\" chunk"},
        {"first prompt empty", 1, bytes(wav({})), "chunk is empty"},
        {"truncated chunk", 3,
         bytes(riffHeader(100) + "LIST" + QByteArray("\x40\0\0\0", 4) + "short"),
         "runs past the end of the file"},
        {"FIFO", 5,
         [](const QString& path) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         },
         "not a regular file"},
        {"directory", 2, [](const QString& path) { ASSERT_TRUE(QDir().mkdir(path)); },
         "not a regular file"},
        {"link to /dev/zero", 1,
         [](const QString& path) { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path)); },
         "not a regular file"},
    };
    for (int language = 0; language < static_cast<int>(std::size(cases)); ++language) {
        const Case& c = cases[language];
        SCOPED_TRACE(c.name);
        QList<QByteArray> files(VoicePrompts::PromptCount, good);
        files[c.prompt - 1] = QByteArray();
        writePrompts(language, files);
        const QString refused = VoicePrompts::fileName(dir_.path(), language, c.prompt);
        c.make(refused);
        QString error;
        EXPECT_EQ(VoicePrompts::build(dir_.path(), language, &error), std::nullopt);
        EXPECT_TRUE(error.startsWith(refused + QStringLiteral(" cannot be used: ")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
    }
    QString error;
    EXPECT_EQ(VoicePrompts::build(dir_.path() + QStringLiteral("/no-such-folder"), 1, &error),
              std::nullopt);
    EXPECT_TRUE(error.contains(QStringLiteral("no-such-folder/english (us)1.wav cannot be used: No "
                                              "such file or directory")))
        << error.toStdString();
}

// A declared size beyond what the unit takes is refused from the chunk header and the file's
// size, without reading the samples: under a memory limit far below the file, in a moment.
TEST_F(VoiceFolder, AHugeFileIsRefusedBeforeItsSamplesAreRead)
{
    const QByteArray good = wav("sound");
    writePrompts(0, {good, good, good, good, good, good});
    const QString huge = VoicePrompts::fileName(dir_.path(), 0, 3);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray header =
            riffHeader(0xFFFFFFF0u) + "data" + QByteArray("\xe0\xff\xff\xff", 4);
        ASSERT_EQ(file.write(header), header.size());
        // Sparse: 3 GB that take no room on the disk.
        ASSERT_TRUE(file.resize(3LL << 30));
    }
    const int code = runInForkedChild(
        [&] {
            // AddressSanitizer reserves far more address space than this for its own books;
            // under it the time limit alone tells a read of the whole file.
            if (!runsUnderAddressSanitizer) {
                const rlimit memory{512LL << 20, 512LL << 20};
                ::setrlimit(RLIMIT_AS, &memory);
            }
            QElapsedTimer clock;
            clock.start();
            QString error;
            const bool refused = !VoicePrompts::build(dir_.path(), 0, &error);
            if (!refused || !error.contains(QStringLiteral("too large")) ||
                !error.startsWith(huge) || clock.elapsed() > 2000) {
                std::fprintf(stderr, "%s after %lld ms\n", qPrintable(error),
                             static_cast<long long>(clock.elapsed()));
                return 1;
            }
            return 0;
        },
        30, false);
    EXPECT_EQ(code, 0);
}

TEST_F(VoiceFolder, RefusesASetTooLongForTheAnnouncedLength)
{
    // The length goes out in 24 bits: one byte more than it can say is refused, the limit is not.
    const int limit = static_cast<int>(VoicePrompts::MaxBlockLength - VoicePrompts::TableSize);
    const int share = limit / 6;
    const QByteArray part(share, 'x');
    const QByteArray last(limit - 5 * share, 'y');
    writePrompts(0, {wav(part), wav(part), wav(part), wav(part), wav(part), wav(last)});
    QString error;
    const std::optional<QByteArray> fits = VoicePrompts::build(dir_.path(), 0, &error);
    ASSERT_TRUE(fits) << error.toStdString();
    EXPECT_EQ(fits->size(), static_cast<int>(VoicePrompts::MaxBlockLength));

    writePrompts(0, {wav(part), wav(part), wav(part), wav(part), wav(part), wav(last + 'z')});
    EXPECT_EQ(VoicePrompts::build(dir_.path(), 0, &error), std::nullopt);
    EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
}
