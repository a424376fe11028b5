#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The unit's six voice prompts of one language, packed into the block of type 5: a table of
// six (offset, length) entries, little-endian, then the sample data of the six WAV files.
class VoicePrompts {
    Q_DECLARE_TR_FUNCTIONS(VoicePrompts)
public:
    static constexpr int PromptCount = 6;
    static constexpr uint32_t TableSize = 8 * PromptCount;
    // The block length travels in 24 bits.
    static constexpr uint32_t MaxBlockLength = 0xFFFFFF;

    // The languages in the order their index is stored ("VoiceLanguage"), in English: the file
    // names are made from these texts.
    static QStringList languages();
    // The same, in the user's language, for the list.
    static QStringList languageTitles();
    // Index from 0, or the language's English text in any case; nothing when it is neither.
    static std::optional<int> languageIndex(const QString& text);

    // folder/<language in lower case><n>.wav
    static QString fileName(const QString& folder, int language, int prompt);

    // Reads the six files of the language and builds the block; nothing, with the file and the
    // reason in error, when a file is missing or not usable or the block would be too long to
    // announce (found before the samples that would make it so are read).
    static std::optional<QByteArray> build(const QString& folder, int language, QString* error);
    // The block from the six sample data, prompt 1 first.
    static QByteArray block(const QList<QByteArray>& samples);
};
