#pragma once

#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"
#include "../unit/TestHost.h"
#include "PageDesk.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// A site with pagers 12 and 40 and group 7 of both, the real session with its page desk, pumped
// as the window pumps it, and, once started, the simulated unit on a pty at the other end.
class OnlineSite : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_.session = &session_;
        SiteBuilder(host_.image).pager(12, 1012).pager(40, 1040).group(7, "Bar", {12, 40});
        QObject::connect(&pump_, &QTimer::timeout, &session_, &UnitSession::PumpPages);
        pump_.start(50);
    }

    // Starts the unit with these options and connects to it.
    void startOnline(const QStringList& unitOptions = {})
    {
        unit_ = std::make_unique<SimulatedUnit>(unitOptions);
        ASSERT_TRUE(unit_->started());
        host_.saved.port = unit_->path();
        session_.openPort(host_.saved);
        session_.setAnswerTimeout(300);
        session_.ConnectCommand();
        ASSERT_TRUE(session_.isOnline()) << host_.informed.join(u'|').toStdString();
    }

    // The page records the unit received, in order.
    QStringList pagesReceived() const
    {
        QStringList texts;
        for (const QJsonObject& page : unit_->events(QStringLiteral("page")))
            texts << page.value(QStringLiteral("text")).toString();
        return texts;
    }

    TestHost host_;
    UnitSession session_{host_};
    PageDesk desk_{session_, host_.image};
    QTimer pump_;
    std::unique_ptr<SimulatedUnit> unit_;
};
