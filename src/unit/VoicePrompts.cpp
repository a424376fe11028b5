#include "VoicePrompts.h"

#include "RegularFile.h"
#include "WavReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

const char* const LanguageTexts[] = {
    QT_TRANSLATE_NOOP("VoicePrompts", "English (Australia)"),
    QT_TRANSLATE_NOOP("VoicePrompts", "English (US)"),
    QT_TRANSLATE_NOOP("VoicePrompts", "English (British)"),
    QT_TRANSLATE_NOOP("VoicePrompts", "Spanish"),
    QT_TRANSLATE_NOOP("VoicePrompts", "French"),
    QT_TRANSLATE_NOOP("VoicePrompts", "German"),
    QT_TRANSLATE_NOOP("VoicePrompts", "Italian"),
    QT_TRANSLATE_NOOP("VoicePrompts", "Arabic"),
    QT_TRANSLATE_NOOP("VoicePrompts", "Mandarin"),
    QT_TRANSLATE_NOOP("VoicePrompts", "Cantonese"),
    QT_TRANSLATE_NOOP("VoicePrompts", "Japanese"),
};

} // namespace

QStringList VoicePrompts::languages()
{
    QStringList texts;
    for (const char* text : LanguageTexts)
        texts << QString::fromLatin1(text);
    return texts;
}

QStringList VoicePrompts::languageTitles()
{
    QStringList texts;
    for (const char* text : LanguageTexts)
        texts << tr(text);
    return texts;
}

std::optional<int> VoicePrompts::languageIndex(const QString& text)
{
    const QStringList names = languages();
    bool isNumber = false;
    const int index = text.toInt(&isNumber);
    if (isNumber && !text.startsWith(u'+') && !text.startsWith(u' '))
        return index >= 0 && index < names.size() ? std::optional<int>(index) : std::nullopt;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

QString VoicePrompts::fileName(const QString& folder, int language, int prompt)
{
    return QStringLiteral("%1/%2%3.wav")
        .arg(folder, languages().value(language).toLower())
        .arg(prompt);
}

QByteArray VoicePrompts::block(const QList<QByteArray>& samples)
{
    QByteArray table(TableSize, '\0');
    QByteArray data;
    for (int i = 0; i < samples.size() && i < PromptCount; ++i) {
        qToLittleEndian<quint32>(TableSize + static_cast<uint32_t>(data.size()),
                                 table.data() + 8 * i);
        qToLittleEndian<quint32>(static_cast<uint32_t>(samples[i].size()),
                                 table.data() + 8 * i + 4);
        data += samples[i];
    }
    return table + data;
}

std::optional<QByteArray> VoicePrompts::build(const QString& folder, int language, QString* error)
{
    QList<QByteArray> samples;
    qint64 total = TableSize;
    for (int prompt = 1; prompt <= PromptCount; ++prompt) {
        const QString path = fileName(folder, language, prompt);
        QFile file;
        QString problem;
        std::optional<QByteArray> data;
        // The length announced to the unit has 24 bits; more would go out as a wrong length.
        if (RegularFile::openForReading(file, path, {}, &problem))
            data = WavReader::samples(file, MaxBlockLength - total, &problem);
        if (data && prompt == 1 && data->isEmpty()) {
            data.reset();
            problem = tr("its \"data\" chunk is empty, and the first prompt needs sample data");
        }
        if (!data) {
            *error = tr("%1 cannot be used: %2").arg(path, problem);
            return std::nullopt;
        }
        total += data->size();
        samples << *data;
    }
    return block(samples);
}
