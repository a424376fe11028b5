// A real print through the system's spooler: a CUPS-PDF queue of the test's own receives the
// pagers report of a full database, and the PDF it writes has the pages the layout promised.
#include "../support/ChildProcess.h"
#include "../support/SiteBuilder.h"

#include "Database.h"
#include "MessageBox.h"
#include "PrintTable.h"
#include "ReportContent.h"
#include "ReportWindow.h"
#include "TablePrinter.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

struct Output {
    int exitCode;
    QString text;
};

Output run(const QString& program, const QStringList& arguments, int timeoutMs = 30000)
{
    ChildProcess process(program, arguments);
    const int code = process.wait(timeoutMs);
    return {code, QString::fromUtf8(process.standardOutput() + process.standardError())};
}

bool schedulerRunning()
{
    return run(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-r")})
        .text.contains(QStringLiteral("scheduler is running"));
}

// Starts cupsd when it is not running, as root or through sudo; false when neither can.
bool ensureScheduler(QString* why)
{
    if (schedulerRunning())
        return true;
    const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
    if (!QFileInfo(cupsd).isExecutable()) {
        *why = QStringLiteral("cupsd is not installed (tools/install-deps.sh installs cups)");
        return false;
    }
    if (::geteuid() == 0)
        run(cupsd, {});
    else if (run(QStringLiteral("/usr/bin/sudo"), {QStringLiteral("-n"), QStringLiteral("true")})
                 .exitCode == 0)
        run(QStringLiteral("/usr/bin/sudo"), {QStringLiteral("-n"), cupsd});
    else {
        *why = QStringLiteral("cupsd is not running and cannot be started here (not root, no "
                              "sudo without a password)");
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!schedulerRunning() && waited.elapsed() < 15000)
        QTest::qWait(200);
    if (!schedulerRunning()) {
        *why = QStringLiteral("cupsd was started but does not answer");
        return false;
    }
    return true;
}

// Where CUPS-PDF puts its files on Debian 12: "Out ${HOME}/PDF" of the job's owner, or the
// anonymous folder for a user it does not know.
QStringList outputFolders()
{
    QStringList folders{QDir::homePath() + QStringLiteral("/PDF")};
    if (const passwd* user = ::getpwuid(::getuid()))
        folders << QString::fromLocal8Bit(user->pw_dir) + QStringLiteral("/PDF");
    folders << QStringLiteral("/var/spool/cups-pdf/ANONYMOUS");
    return folders;
}

QStringList pdfsNamed(const QString& token)
{
    QStringList found;
    for (const QString& folder : outputFolders()) {
        QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            if (it.fileName().contains(token))
                found << path;
        }
    }
    found.removeDuplicates();
    return found;
}

class CupsPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!ensureScheduler(&why))
            GTEST_SKIP() << "No print through CUPS: " << why.toStdString();
        queue_ = QStringLiteral("tavolux-test-%1").arg(::getpid());
        const Output added =
            run(QStringLiteral("/usr/sbin/lpadmin"),
                {QStringLiteral("-p"), queue_, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("cups-pdf:/"), QStringLiteral("-P"),
                 QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd")});
        ASSERT_EQ(added.exitCode, 0) << added.text.toStdString();
        added_ = true;
    }
    void TearDown() override
    {
        if (added_)
            run(QStringLiteral("/usr/sbin/lpadmin"), {QStringLiteral("-x"), queue_});
        for (const QString& path : pdfsNamed(token()))
            QFile::remove(path);
    }
    QString token() const { return QStringLiteral("TavoluxCups%1").arg(::getpid()); }

    int completedJobs() const
    {
        const Output jobs =
            run(QStringLiteral("/usr/bin/lpstat"),
                {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), queue_});
        return static_cast<int>(jobs.text.split(u'\n', Qt::SkipEmptyParts).size());
    }
    // Waits, up to a bound, for the queue to have finished count jobs.
    bool waitForJobs(int count) const
    {
        QElapsedTimer waited;
        waited.start();
        while (completedJobs() < count && waited.elapsed() < 120000)
            QTest::qWait(250);
        return completedJobs() >= count;
    }

    QString queue_;
    bool added_ = false;
};

} // namespace

TEST_F(CupsPrintTest, AThousandPagersComeOutWithTheLaidOutPageCount)
{
    Database database;
    SiteBuilder(database).pagers(ConfigurationImage::PagerCount, 1, 100000, [](int index) {
        return QStringLiteral("Pager of table %1").arg(index + 1);
    });
    const QPrinterInfo info = QPrinterInfo::printerInfo(queue_);
    ASSERT_FALSE(info.isNull()) << "Qt does not see the queue " << queue_.toStdString();

    ReportWindow window(ReportKind::Pagers, database);
    PrintSettings settings;
    settings.printerName = queue_;
    settings.header = token();
    for (const QString& title : Report::columnTitles(ReportKind::Pagers))
        settings.columns.append({title, true});
    ASSERT_TRUE(window.print(settings));
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    PrintTable expected;
    Report::fillPrintTable(expected, settings.header, Report::columnTitles(ReportKind::Pagers),
                           settings.chosenColumns(), window.rowsOnScreen());
    QPrinter printer(info, QPrinter::HighResolution);
    TablePrinter::layOut(expected, printer);
    ASSERT_GT(expected.pageCount(), 10);

    ASSERT_TRUE(waitForJobs(1)) << "the job did not complete within two minutes";
    QStringList pdfs;
    QElapsedTimer waited;
    waited.start();
    while ((pdfs = pdfsNamed(token())).isEmpty() && waited.elapsed() < 20000)
        QTest::qWait(250);
    ASSERT_EQ(pdfs.size(), 1) << "looked in " << outputFolders().join(u' ').toStdString();
    const Output info2 = run(QStringLiteral("/usr/bin/pdfinfo"), {pdfs.first()});
    EXPECT_TRUE(info2.text.contains(
        QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(expected.pageCount()))))
        << info2.text.toStdString();
}

TEST_F(CupsPrintTest, EachCopyIsAJobOfItsOwnEvenWithoutPages)
{
    PrintTable empty;
    empty.setTitle(token());
    PrintSettings settings;
    settings.printerName = queue_;
    settings.header = token();
    settings.copies = 2;
    EXPECT_EQ(TablePrinter::print(empty, settings), QString());
    EXPECT_EQ(empty.pageCount(), 0);
    EXPECT_TRUE(waitForJobs(2));
    EXPECT_EQ(completedJobs(), 2);
}
