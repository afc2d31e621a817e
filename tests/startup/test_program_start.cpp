// How the program starts and when a run that never reached the game ends.
#include "ProgramStart.h"
#include "TestSeams.h"
#include "frmQuorvaneConcentration.h"
#include "frmSplash.h"

#include <QMap>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool Available(const QMap<QString, QString>& env, std::vector<const char*> args = {"quorvane-concentration"})
{
    return DisplayAvailable(static_cast<int>(args.size()), const_cast<char**>(args.data()),
                            [&env](const char* name) { return env.value(QString::fromLatin1(name)); });
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

TEST(ProgramStart, NeedsADisplayOrAChosenPlatform)
{
    EXPECT_FALSE(Available({}));
    EXPECT_FALSE(Available({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}));
    EXPECT_TRUE(Available({{"DISPLAY", ":0"}}));
    EXPECT_TRUE(Available({{"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_TRUE(Available({{"QT_QPA_PLATFORM", "offscreen"}}));
    EXPECT_TRUE(Available({}, {"quorvane-concentration", "-platform", "offscreen"}));
}

TEST(ProgramStart, SplashClosedEarlyEndsTheRunWithStatusZero)
{
    StartProgram();
    ASSERT_TRUE(frmSplash->IsLoaded());
    EXPECT_TRUE(frmSplash->window()->isVisible());

    QTest::keyClick(frmSplash->window(), Qt::Key_Q);
    FlushDeletes();

    EXPECT_EQ(testing_seams::seams().endCalls, 1);
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
    EXPECT_FALSE(AnyWindowShown());
}

TEST(ProgramStart, HandOverKeepsTheRunGoing)
{
    StartProgram();
    frmSplash->Timer1->Tick();
    FlushDeletes();

    EXPECT_EQ(testing_seams::seams().endCalls, 0);
    EXPECT_TRUE(AnyWindowShown());
    EXPECT_TRUE(frmQuorvaneConcentration->window()->isVisible());
}
