// The page history window on real history files written through PageHistory: its filters, its
// sort and paging asked of the history, its refresh when a page is written, its export and
// print, and the files it must not touch.
#include "../history/HistoryFixture.h"
#include "../support/ChildProcess.h"
#include "../support/FileBytes.h"

#include "Database.h"
#include "GatewaySettingsWindow.h"
#include "HistoryReport.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "PageHistoryModel.h"
#include "PageHistoryWindow.h"
#include "SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

namespace {

QString pdfText(const QString& path)
{
    ChildProcess process(QStringLiteral("/usr/bin/pdftotext"),
                         {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.wait();
    return QString::fromUtf8(process.standardOutput());
}

qint64 localMs(int month, int day, int hour = 12)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, 0)).toMSecsSinceEpoch();
}

class PageHistoryWindowTest : public HistoryFixture {
protected:
    void SetUp() override { QSettings().clear(); }
    void TearDown() override { QSettings().clear(); }

    // Five pages of March, each with something a filter picks it by.
    void writeMarch()
    {
        PageHistoryEntry failed =
            entry(12, QStringLiteral("Kitchen call"), localMs(3, 5), HistoryOutcome::Failed);
        failed.reason = QLatin1String(HistoryReason::NoResponse);
        PageHistoryEntry refused = entry(30, QStringLiteral("table 9 READY"), localMs(3, 10),
                                         HistoryOutcome::Refused, PageOrigin::Source::Snpp);
        refused.reason = QLatin1String(HistoryReason::NotConnected);
        refused.origin.peer = QStringLiteral("10.0.0.5");
        refused.origin.login = QStringLiteral("pos");
        PageHistoryEntry dropped =
            entry(7, QStringLiteral("Bar stock"), localMs(3, 20), HistoryOutcome::Dropped);
        dropped.reason = QLatin1String(HistoryReason::Dropped);
        PageHistoryEntry named = entry(30, QStringLiteral("Front desk"), localMs(3, 31, 23));
        named.name = QStringLiteral("Bar staff");
        writeRows({entry(12, QStringLiteral("Table 4 ready"), localMs(3, 1, 0)), failed, refused,
                   dropped, named});
    }

    // The Text column of the rows fetched, top to bottom.
    static QStringList shownTexts(const PageHistoryWindow& window)
    {
        QStringList texts;
        for (int row = 0; row < window.model()->rowCount(); ++row)
            texts << window.model()->index(row, HistoryReport::Text).data().toString();
        return texts;
    }

    static void clickHeader(PageHistoryWindow& window, int column)
    {
        QHeaderView* header = window.view()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QString file(const QString& name) const { return folder_.filePath(name); }
};

} // namespace

TEST_F(PageHistoryWindowTest, TheFiltersKeepWhatTheyAskFor)
{
    writeMarch();
    PageHistoryWindow window(path());
    window.show();
    struct Case {
        const char* what;
        QString search;
        QString recipient;
        std::optional<QDate> from;
        std::optional<QDate> to;
        int outcome; // index in the list: All, Confirmed, Failed, Refused, Dropped
        QStringList texts;
        QString problem = {};
    };
    const QString tableReady = QStringLiteral("Table 4 ready");
    const QString kitchen = QStringLiteral("Kitchen call");
    const QString table9 = QStringLiteral("table 9 READY");
    const QString bar = QStringLiteral("Bar stock");
    const QString desk = QStringLiteral("Front desk");
    const QList<Case> cases = {
        {"everything, newest first", {}, {}, {}, {}, 0, {desk, bar, table9, kitchen, tableReady}},
        {"text without regard to case",
         QStringLiteral("ready"),
         {},
         {},
         {},
         0,
         {table9, tableReady}},
        {"text or name", QStringLiteral("BAR"), {}, {}, {}, 0, {desk, bar}},
        {"a search that finds nothing", QStringLiteral("nothing"), {}, {}, {}, 0, {}},
        {"one recipient", {}, QStringLiteral(" 30 "), {}, {}, 0, {desk, table9}},
        {"a recipient out of range",
         {},
         QStringLiteral("2097151"),
         {},
         {},
         0,
         {},
         QStringLiteral("\"2097151\" is not a local ID")},
        {"a recipient that is no number",
         {},
         QStringLiteral("12a"),
         {},
         {},
         0,
         {},
         QStringLiteral("\"12a\" is not a local ID")},
        {"from a day, from its first moment",
         {},
         {},
         QDate(2026, 3, 5),
         {},
         0,
         {desk, bar, table9, kitchen}},
        {"to a day, to its last moment",
         {},
         {},
         {},
         QDate(2026, 3, 31),
         0,
         {desk, bar, table9, kitchen, tableReady}},
        {"a month's first day alone",
         {},
         {},
         QDate(2026, 3, 1),
         QDate(2026, 3, 1),
         0,
         {tableReady}},
        {"between two days", {}, {}, QDate(2026, 3, 5), QDate(2026, 3, 10), 0, {table9, kitchen}},
        {"dates the wrong way round",
         {},
         {},
         QDate(2026, 3, 20),
         QDate(2026, 3, 5),
         0,
         {},
         QStringLiteral("The dates end before they begin")},
        {"confirmed", {}, {}, {}, {}, 1, {desk, tableReady}},
        {"failed", {}, {}, {}, {}, 2, {kitchen}},
        {"refused", {}, {}, {}, {}, 3, {table9}},
        {"dropped", {}, {}, {}, {}, 4, {bar}},
        {"all of them at once",
         QStringLiteral("TABLE"),
         QStringLiteral("30"),
         QDate(2026, 3, 2),
         QDate(2026, 3, 10),
         3,
         {table9}},
        {"all of them, none left",
         QStringLiteral("TABLE"),
         QStringLiteral("12"),
         QDate(2026, 3, 2),
         QDate(2026, 3, 10),
         0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.searchEdit()->setText(c.search);
        window.recipientEdit()->setText(c.recipient);
        window.fromBox()->setChecked(c.from.has_value());
        window.fromEdit()->setDate(c.from.value_or(QDate(2026, 1, 1)));
        window.toBox()->setChecked(c.to.has_value());
        window.toEdit()->setDate(c.to.value_or(QDate(2026, 12, 31)));
        window.outcomeList()->setCurrentIndex(c.outcome);
        window.applyFilters();
        EXPECT_EQ(shownTexts(window), c.texts);
        if (c.problem.isEmpty())
            EXPECT_EQ(window.countLabel()->text(), QStringLiteral("Pages: %1").arg(c.texts.size()));
        else
            EXPECT_TRUE(window.countLabel()->text().startsWith(c.problem))
                << window.countLabel()->text().toStdString();
    }
}

TEST_F(PageHistoryWindowTest, TypingSearchesAfterAPauseAndTheRowsSayWhatHappened)
{
    writeMarch();
    PageHistoryWindow window(path());
    window.show();
    QTest::keyClicks(window.searchEdit(), QStringLiteral("kitch"));
    // Not yet: each key would otherwise search a million rows.
    EXPECT_EQ(window.model()->total(), 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.model()->total() == 1; }, 5000));
    QStringList cells;
    for (int column = 0; column < HistoryReport::ColumnCount; ++column)
        cells << window.model()->index(0, column).data().toString();
    EXPECT_EQ(cells,
              (QStringList{QStringLiteral("2026-03-05 12:00:00"), QStringLiteral("Message box"),
                           QStringLiteral("12"), QStringLiteral("Pager 12"),
                           QStringLiteral("Kitchen call"), QStringLiteral("Failed: no response"),
                           QStringLiteral("0.25 s"), QStringLiteral("2026-03-05 12:00:00")}));
    window.searchEdit()->setText(QStringLiteral("table 9"));
    window.applyFilters();
    EXPECT_EQ(window.model()->index(0, HistoryReport::Source).data().toString(),
              QStringLiteral("SNPP from 10.0.0.5 (pos)"));
    EXPECT_EQ(window.model()->index(0, HistoryReport::Outcome).data().toString(),
              QStringLiteral("Refused: not connected"));
}

TEST_F(PageHistoryWindowTest, AHeaderClickSortsByAskingTheHistory)
{
    writeMarch();
    PageHistoryWindow window(path());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto recipients = [&] {
        QStringList ids;
        for (int row = 0; row < window.model()->rowCount(); ++row)
            ids << window.model()->index(row, HistoryReport::LocalId).data().toString();
        return ids.join(u' ');
    };
    EXPECT_EQ(recipients(), QStringLiteral("30 7 30 12 12"));
    clickHeader(window, HistoryReport::LocalId);
    EXPECT_EQ(window.model()->order().column, HistoryColumn::Recipient);
    // Equal IDs in the order they were queued.
    const QString ascending = recipients();
    clickHeader(window, HistoryReport::LocalId);
    const QString descending = recipients();
    EXPECT_NE(ascending, descending);
    EXPECT_EQ(ascending, QStringLiteral("7 12 12 30 30"));
    EXPECT_EQ(descending, QStringLiteral("30 30 12 12 7"));
    // The history does not sort on Ended: the rows and the indicator stay.
    clickHeader(window, HistoryReport::Ended);
    EXPECT_EQ(recipients(), descending);
    EXPECT_EQ(window.view()->horizontalHeader()->sortIndicatorSection(), HistoryReport::LocalId);
    clickHeader(window, HistoryReport::Text);
    EXPECT_EQ(shownTexts(window).first(), QStringLiteral("Bar stock"));
    // A filter keeps the order.
    window.recipientEdit()->setText(QStringLiteral("12"));
    window.applyFilters();
    EXPECT_EQ(shownTexts(window),
              (QStringList{QStringLiteral("Kitchen call"), QStringLiteral("Table 4 ready")}));
}

TEST_F(PageHistoryWindowTest, RowsAreFetchedAPageAtATimeAsTheListScrolls)
{
    QList<PageHistoryEntry> many;
    for (int i = 0; i < 450; ++i)
        many << entry(1 + i % 3, QStringLiteral("row %1").arg(i), localMs(4, 1) + i * 1000);
    writeRows(many);
    PageHistoryWindow window(path());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.model()->total(), 450);
    EXPECT_EQ(window.model()->rowCount(), PageHistoryModel::PageRows);
    EXPECT_EQ(window.countLabel()->text(), QStringLiteral("Pages: 450"));
    for (int i = 0; i < 5 && window.model()->rowCount() < 450; ++i) {
        window.view()->scrollToBottom();
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(window.model()->rowCount(), 450);
    EXPECT_EQ(shownTexts(window).first(), QStringLiteral("row 449"));
    EXPECT_EQ(shownTexts(window).last(), QStringLiteral("row 0"));
    EXPECT_FALSE(window.model()->canFetchMore({}));
}

TEST_F(PageHistoryWindowTest, ACountThatStopsSaysSoAndTheRowsBeyondItAreStillFetched)
{
    const qint64 rows = PageHistoryModel::CountMost + 5;
    QList<PageHistoryEntry> many;
    for (qint64 i = 0; i < rows; ++i)
        many << entry(1, QStringLiteral("row %1").arg(i), localMs(4, 1) + i * 1000);
    writeRows(many);
    PageHistoryWindow window(path());
    PageHistoryModel& model = *window.model();
    EXPECT_EQ(model.total(), PageHistoryModel::CountMost);
    EXPECT_TRUE(model.totalIsAtLeast());
    EXPECT_EQ(window.countLabel()->text(),
              QStringLiteral("Pages: %1 or more").arg(QLocale().toString(model.total())));
    while (model.canFetchMore({}))
        model.fetchMore({});
    EXPECT_EQ(model.rowCount(), rows);
    EXPECT_EQ(model.total(), rows);
    EXPECT_FALSE(model.totalIsAtLeast());
    EXPECT_EQ(model.entry(static_cast<int>(rows) - 1).text, QStringLiteral("row 0"));
    EXPECT_EQ(window.countLabel()->text(),
              QStringLiteral("Pages: %1").arg(QLocale().toString(rows)));
}

TEST_F(PageHistoryWindowTest, APageWrittenShowsWithTheFilterTheOrderAndThePlaceKept)
{
    QList<PageHistoryEntry> many;
    for (int i = 0; i < 300; ++i)
        many << entry(12, QStringLiteral("old %1").arg(i), localMs(4, 1) + i * 1000);
    writeRows(many);
    PageHistory history(path());
    PageHistoryWindow window(path(), &history);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.recipientEdit()->setText(QStringLiteral("12"));
    window.applyFilters();
    clickHeader(window, HistoryReport::Queued); // oldest first
    window.view()->scrollToBottom();
    QCoreApplication::processEvents();
    const int fetched = window.model()->rowCount();
    ASSERT_GT(fetched, PageHistoryModel::PageRows);
    const int place = window.view()->verticalScrollBar()->value();
    ASSERT_GT(place, 0);
    int refreshes = 0;
    QObject::connect(window.model(), &PageHistoryModel::totalChanged, [&] { ++refreshes; });

    // A burst: the other recipient's pages are filtered out, the new one of 12 comes last.
    for (int i = 0; i < 20; ++i)
        history.record(entry(30, QStringLiteral("other %1").arg(i), localMs(5, 1) + i));
    history.record(entry(12, QStringLiteral("new"), localMs(5, 2)));
    ASSERT_TRUE(history.flush(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.model()->total() == 301; }, 5000));
    QTest::qWait(PageHistoryWindow::RefreshPauseMs * 2);
    EXPECT_EQ(window.countLabel()->text(), QStringLiteral("Pages: 301"));
    EXPECT_EQ(shownTexts(window).first(), QStringLiteral("old 0"));
    EXPECT_GE(window.model()->rowCount(), fetched);
    EXPECT_EQ(window.view()->verticalScrollBar()->value(), place);
    window.view()->scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_EQ(shownTexts(window).last(), QStringLiteral("new"));

    // Rows written in a burst, each batch said on its own: one refresh for them all.
    refreshes = 0;
    for (int i = 0; i < 20; ++i)
        emit history.written();
    QTest::qWait(PageHistoryWindow::RefreshPauseMs * 3);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(PageHistoryWindowTest, ExportWritesEveryRowTheFilterKeepsInTheOrderShown)
{
    QList<PageHistoryEntry> many;
    for (int i = 0; i < 500; ++i)
        many << entry(i % 2 ? 5 : 6, QStringLiteral("row\t%1").arg(i), localMs(4, 1) + i * 1000);
    writeRows(many);
    PageHistoryWindow window(path());
    window.recipientEdit()->setText(QStringLiteral("5"));
    window.applyFilters();
    clickHeader(window, HistoryReport::Queued); // oldest first
    ASSERT_EQ(window.model()->rowCount(), PageHistoryModel::PageRows) << "not all fetched";

    ExportSettings settings = ExportSettings::forColumns(HistoryReport::columnTitles());
    settings.fileName = file("history.tsv");
    settings.includeHeader = true;
    for (int column :
         {HistoryReport::Source, HistoryReport::Name, HistoryReport::Answer, HistoryReport::Ended})
        settings.columns[column].ticked = false;
    ASSERT_TRUE(window.exportTo(settings));
    const QList<QByteArray> lines = filebytes::readAll(file("history.tsv")).split('\n');
    ASSERT_EQ(lines.size(), 1 + 250 + 1); // the header, the rows, nothing after the last CR LF
    EXPECT_EQ(lines[0], "Queued\tLocal ID\tText\tOutcome\r");
    EXPECT_EQ(lines[1], "2026-04-01 12:00:01\t5\trow 1\tConfirmed\r");
    EXPECT_EQ(lines[250], "2026-04-01 12:08:19\t5\trow 499\tConfirmed\r");

    settings.limitRows = true;
    settings.rowLimit = 2;
    settings.includeHeader = false;
    ASSERT_TRUE(window.exportTo(settings));
    EXPECT_EQ(filebytes::readAll(file("history.tsv")),
              "2026-04-01 12:00:01\t5\trow 1\tConfirmed\r\n"
              "2026-04-01 12:00:03\t5\trow 3\tConfirmed\r\n");
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(PageHistoryWindowTest, PrintingGivesAPdfOfTheRowsShown)
{
    writeMarch();
    PageHistoryWindow window(path());
    window.show();
    window.outcomeList()->setCurrentIndex(1); // confirmed
    PrintSettings settings;
    settings.header = QStringLiteral("March pages");
    settings.pdfFile = file("history.pdf");
    for (const QString& title : HistoryReport::columnTitles())
        settings.columns.append({title, true});
    settings.columns[HistoryReport::Ended].ticked = false;
    ASSERT_TRUE(window.print(settings));
    const QString all = pdfText(file("history.pdf"));
    for (const char* text : {"March pages", "QUEUED", "LOCAL ID", "OUTCOME", "Front desk",
                             "Pager 12", "Table 4 ready", "0.25 s", "Page 1 of 1"})
        EXPECT_TRUE(all.contains(QString::fromLatin1(text))) << text << "\n" << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("ENDED")));
    EXPECT_FALSE(all.contains(QStringLiteral("Kitchen call")));

    window.view()->selectRow(1);
    settings.selectedOnly = true;
    settings.pdfFile = file("selected.pdf");
    ASSERT_TRUE(window.print(settings));
    const QString selected = pdfText(file("selected.pdf"));
    EXPECT_TRUE(selected.contains(QStringLiteral("Table 4 ready"))) << selected.toStdString();
    EXPECT_FALSE(selected.contains(QStringLiteral("Front desk")));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(PageHistoryWindowTest, AMissingHistoryIsEmptyAndADamagedOneSaysWhy)
{
    {
        PageHistoryWindow window(path());
        window.show();
        EXPECT_EQ(window.model()->rowCount(), 0);
        EXPECT_EQ(window.countLabel()->text(), QStringLiteral("Pages: 0"));
        window.refresh();
    }
    EXPECT_TRUE(folderState().isEmpty()) << "reading created nothing";

    writeMarch();
    const QStringList written = folderState();
    {
        PageHistoryWindow window(path());
        window.searchEdit()->setText(QStringLiteral("a"));
        window.applyFilters();
        window.refresh();
        EXPECT_EQ(window.model()->total(), 5);
    }
    EXPECT_EQ(folderState(), written) << "reading changed nothing";

    filebytes::writeAll(path(), QByteArray(9000, 'x'));
    const QStringList damaged = folderState();
    PageHistoryWindow window(path());
    EXPECT_EQ(window.model()->rowCount(), 0);
    EXPECT_TRUE(window.countLabel()->text().startsWith(
        QStringLiteral("The page history %1 cannot be read: ").arg(path())))
        << window.countLabel()->text().toStdString();
    EXPECT_EQ(folderState(), damaged) << "a damaged file is left for the writer to move aside";
}

TEST_F(PageHistoryWindowTest, TheViewMenuOpensTheWindowOnceAndTheRetentionIsApplied)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    constexpr qint64 DayMs = 24LL * 3600 * 1000;
    writeRows({entry(1, QStringLiteral("last year"), now - 400 * DayMs),
               entry(1, QStringLiteral("last month"), now - 40 * DayMs),
               entry(1, QStringLiteral("this week"), now - 2 * DayMs)});
    Database database;
    MainWindow main(database);
    PageHistory history(path());
    main.setPageHistory(&history);
    main.show();
    // The default keeps a year.
    ASSERT_TRUE(QTest::qWaitFor([&] { return readAll().size() == 2; }, 5000));

    main.runCommand(ViewPageHistoryCommand);
    PageHistoryWindow* window = main.pageHistoryWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->model()->path(), path());
    main.runCommand(ViewPageHistoryCommand);
    EXPECT_EQ(main.pageHistoryWindow(), window);
    EXPECT_EQ(main.findChildren<PageHistoryWindow*>().size(), 1);

    main.login(QStringLiteral("482915"));
    ModalRunner::setDriver([](QDialog& dialog) {
        auto& settings = dynamic_cast<GatewaySettingsWindow&>(dialog);
        EXPECT_EQ(settings.keepDaysBox()->value(), PageHistory::DefaultKeepDays);
        settings.keepDaysBox()->setValue(0);
        EXPECT_EQ(settings.keepDaysBox()->text(), QStringLiteral("for ever"));
        settings.keepDaysBox()->setValue(30);
        settings.accept();
    });
    main.runCommand(GatewaySettingsCommand);
    ModalRunner::setDriver([](QDialog&) {});
    EXPECT_EQ(SettingsStore::integer(SettingsStore::HistoryKeepDays, 0), 30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return readAll().size() == 1; }, 5000));
    EXPECT_EQ(readAll().first().text, QStringLiteral("this week"));
    // The window shows it once the history says rows changed, or on the next refresh.
    window->refresh();
    EXPECT_EQ(window->model()->total(), 1);

    // Cancel keeps what was saved.
    ModalRunner::setDriver([](QDialog& dialog) {
        auto& settings = dynamic_cast<GatewaySettingsWindow&>(dialog);
        EXPECT_EQ(settings.keepDaysBox()->value(), 30);
        settings.keepDaysBox()->setValue(1);
        settings.reject();
    });
    main.runCommand(GatewaySettingsCommand);
    ModalRunner::setDriver([](QDialog&) {});
    EXPECT_EQ(SettingsStore::integer(SettingsStore::HistoryKeepDays, 0), 30);
}
