#include "Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <iostream>

TEST(Language, SpanishForEverySpanishLocaleEnglishOtherwise)
{
    struct Case {
        const char* locale;
        QLocale::Language expected;
    };
    for (const Case& c : {Case{"es_MX", QLocale::Spanish}, Case{"es_ES", QLocale::Spanish},
                          Case{"es_AR", QLocale::Spanish}, Case{"en_AU", QLocale::English},
                          Case{"en_US", QLocale::English}, Case{"fr_FR", QLocale::English},
                          Case{"de_DE", QLocale::English}, Case{"C", QLocale::English}}) {
        EXPECT_EQ(Translations::languageFor(QLocale(QString::fromLatin1(c.locale))), c.expected)
            << c.locale;
    }
}

// Run in a child process with a chosen environment: prints the language the console would use.
TEST(LanguageProbe, PrintsTheLanguageOfTheEnvironment)
{
    if (qEnvironmentVariableIsEmpty("TAVOLUX_LANGUAGE_PROBE"))
        GTEST_SKIP() << "only run as a child of LanguageFromEnvironment";
    std::cout << "LANGUAGE="
              << QLocale::languageToCode(Translations::languageFor(QLocale::system())).toStdString()
              << std::endl;
}

TEST(Language, ComesFromTheEnvironmentEvenWhenTheLocaleIsNotGenerated)
{
    struct Case {
        const char* what;
        QStringList variables;
        const char* expected;
    };
    const Case cases[] = {
        {"LANG Spanish (Mexico)", {"LANG=es_MX.UTF-8"}, "es"},
        {"LC_ALL wins over LANG", {"LANG=fr_FR.UTF-8", "LC_ALL=es_ES.UTF-8"}, "es"},
        {"LC_MESSAGES Spanish", {"LANG=en_AU.UTF-8", "LC_MESSAGES=es_CO.UTF-8"}, "es"},
        {"English (Australia)", {"LANG=en_AU.UTF-8"}, "en"},
        {"French", {"LANG=fr_FR.UTF-8"}, "en"},
    };
    for (const Case& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE", "LC_NUMERIC"})
            env.remove(QString::fromLatin1(name));
        for (const QString& variable : c.variables)
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        env.insert(QStringLiteral("TAVOLUX_LANGUAGE_PROBE"), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=LanguageProbe.*")});
        ASSERT_TRUE(child.waitForFinished(30000)) << c.what;
        const QByteArray out = child.readAllStandardOutput();
        EXPECT_TRUE(out.contains(QByteArray("LANGUAGE=") + c.expected))
            << c.what << ": " << out.constData();
    }
}

TEST(Catalogue, SpanishIsCompiledInAndQtsOwnLoads)
{
    QTranslator own;
    ASSERT_TRUE(own.load(QStringLiteral(":/i18n/tavolux_es.qm")));
    EXPECT_EQ(own.translate("DatabaseCommands", "Do You wish to save your current database?"),
              QStringLiteral("¿Desea guardar la base de datos actual?"));
    QTranslator qt;
    EXPECT_TRUE(
        qt.load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
}

// Every text the sources hand to tr() must have a finished Spanish entry. lupdate runs over the
// sources into a copy of the catalogue, so a text that was never added shows up as unfinished too.
TEST(Catalogue, HasNoUnfinishedOrMissingSpanishEntry)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("tavolux_es.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVOLUX_CATALOGUE), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.start(QStringLiteral(TAVOLUX_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral(TAVOLUX_SOURCE_DIR), QStringLiteral("-ts"), copy});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().constData();

    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    int messages = 0;
    QStringList unfinished;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value(QStringLiteral("type")).toString();
            const QString text = xml.readElementText();
            if (type == u"obsolete" || type == u"vanished")
                continue;
            ++messages;
            if (type == u"unfinished" || text.trimmed().isEmpty())
                unfinished << context + QStringLiteral(": ") + source;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 0);
    EXPECT_TRUE(unfinished.isEmpty()) << unfinished.join(u'\n').toStdString();
}
