// The page history window on a year of a busy venue: 1 000 000 pages. Prints milliseconds per
// action: opening the window until it is shown, each search and filter until the count and the
// first rows are shown, and sorts on other columns.
#include "FilledHistory.h"
#include "HistoryReport.h"
#include "PageHistoryModel.h"
#include "PageHistoryWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

constexpr double TargetMs = 100;

double millisecondsOf(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void report(const char* what, double ms, qint64 rows)
{
    std::printf("%-48s %9.1f ms  %8lld rows   (target %.0f ms%s)\n", what, ms,
                static_cast<long long>(rows), TargetMs, ms <= TargetMs ? "" : ", MISSED");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pages.sqlite"));
    constexpr qint64 Pages = 1000000;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QElapsedTimer filling;
    filling.start();
    FilledHistory::fill(path, Pages, now);
    std::printf("Page history window with %lld pages (filled in %.1f s)\n",
                static_cast<long long>(Pages), static_cast<double>(filling.elapsed()) / 1000.0);

    PageHistoryWindow* window = nullptr;
    const double open = millisecondsOf([&] {
        window = new PageHistoryWindow(path);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            std::printf("the window was not shown\n");
        QCoreApplication::processEvents();
    });
    report("open the window until shown", open, window->model()->total());

    // Each filter from the controls to the count and the first rows painted.
    auto applied = [&](const char* what, const std::function<void()>& set) {
        set();
        const double ms = millisecondsOf([&] {
            window->applyFilters();
            window->view()->viewport()->repaint();
        });
        report(what, ms, window->model()->total());
    };
    auto reset = [&] {
        window->searchEdit()->clear();
        window->recipientEdit()->clear();
        window->fromBox()->setChecked(false);
        window->toBox()->setChecked(false);
        window->outcomeList()->setCurrentIndex(0);
    };
    // The month before last, as a user picks it in the date boxes.
    const QDate today = QDate::currentDate();
    const QDate monthStart = QDate(today.year(), today.month(), 1).addMonths(-2);
    const QDate monthEnd = monthStart.addMonths(1).addDays(-1);
    auto aMonth = [&] {
        window->fromEdit()->setDate(monthStart);
        window->toEdit()->setDate(monthEnd);
        window->fromBox()->setChecked(true);
        window->toBox()->setChecked(true);
    };

    applied("search text \"kitchen\"", [&] {
        reset();
        window->searchEdit()->setText(QStringLiteral("kitchen"));
    });
    applied("search text \"order 17 bar\"", [&] {
        reset();
        window->searchEdit()->setText(QStringLiteral("order 17 bar"));
    });
    applied("search name \"pager 42\"", [&] {
        reset();
        window->searchEdit()->setText(QStringLiteral("pager 42"));
    });
    applied("recipient 42", [&] {
        reset();
        window->recipientEdit()->setText(QStringLiteral("42"));
    });
    applied("date range of a month", [&] {
        reset();
        aMonth();
    });
    applied("outcome failed", [&] {
        reset();
        window->outcomeList()->setCurrentIndex(2);
    });
    applied("combined: month, failed, recipient 100", [&] {
        reset();
        aMonth();
        window->outcomeList()->setCurrentIndex(2);
        window->recipientEdit()->setText(QStringLiteral("100"));
    });
    applied("combined: month, search \"kitchen\"", [&] {
        reset();
        aMonth();
        window->searchEdit()->setText(QStringLiteral("kitchen"));
    });
    applied("no filter", reset);

    QHeaderView* header = window->view()->horizontalHeader();
    for (int column : {HistoryReport::LocalId, HistoryReport::Outcome, HistoryReport::Answer,
                       HistoryReport::Name, HistoryReport::Text, HistoryReport::Queued}) {
        const double ms = millisecondsOf([&] {
            header->setSortIndicator(column, Qt::AscendingOrder);
            window->view()->viewport()->repaint();
        });
        report(qPrintable(QStringLiteral("sort by %1").arg(HistoryReport::columnTitles()[column])),
               ms, window->model()->total());
    }
    header->setSortIndicator(HistoryReport::Queued, Qt::DescendingOrder);
    const double scroll = millisecondsOf([&] {
        for (int i = 0; i < 10; ++i) {
            window->view()->scrollToBottom();
            QCoreApplication::processEvents();
        }
    });
    report("scroll 10 pages of rows down", scroll, window->model()->rowCount());
    delete window;
    return 0;
}
