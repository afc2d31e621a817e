// The splash: its copyright caption, early closing by a key or a frame click,
// the hand-over to the game window, and how the run ends without it.
#include "ProgramStart.h"
#include "TestSeams.h"
#include "frmQuorvaneConcentration.h"
#include "frmSplash.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMap>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

TEST(Splash, CopyrightCaptionSpansFromTheFirstYearToAnyOther)
{
    const std::pair<int, const char*> cases[] = {
        {2011, "Copyright \u00A9 2011 Quorvane Software"},
        {2031, "Copyright \u00A9 2011 - 2031 Quorvane Software"},
        {1999, "Copyright \u00A9 2011 - 1999 Quorvane Software"},
    };
    for (const auto& [year, caption] : cases) {
        vb::seams::setToday([year = year]() { return QDate(year, 6, 15); });
        frmSplash->Load();
        EXPECT_EQ(frmSplash->lblCopyright->text(), QString::fromUtf8(caption));
        EXPECT_EQ(frmSplash->lblVersion->text(), QStringLiteral("Version 1.0"));
        frmSplash->Unload();
    }
}

TEST(Splash, CharacterKeysCloseItAndOthersDoNot)
{
    frmSplash->Show();
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_F1, Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Delete})
        QTest::keyClick(frmSplash->window(), key);
    QTest::keyClick(frmSplash->window(), Qt::Key_A, Qt::AltModifier);  // a menu key, no character
    ASSERT_TRUE(frmSplash->IsLoaded());

    for (Qt::Key key : {Qt::Key_A, Qt::Key_7, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Backspace}) {
        SCOPED_TRACE(key);
        frmSplash->Show();
        QPointer<vb::Timer> timer = frmSplash->Timer1;
        QTest::keyClick(frmSplash->window(), key);
        EXPECT_FALSE(frmSplash->IsLoaded());
        // The window is deleted only later: its timer must not tick meanwhile.
        ASSERT_TRUE(timer);
        EXPECT_FALSE(timer->isRunning());
        FlushDeletes();
    }
    // A letter beyond Latin-1 is a character too.
    frmSplash->Show();
    QKeyEvent cyrillic(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u0436"));
    QApplication::sendEvent(frmSplash->window(), &cyrillic);
    EXPECT_FALSE(frmSplash->IsLoaded());
    FlushDeletes();
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
}

TEST(Splash, OnlyTheFramesOwnSurfaceClosesItOnAClick)
{
    frmSplash->Show();
    FrmSplash& s = *frmSplash;
    for (QWidget* w : QList<QWidget*>{s.imgLogo, s.Label1, s.lblProductName, s.lblVersion, s.lblCopyright,
                                      s.lblWarning}) {
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        ASSERT_TRUE(s.IsLoaded()) << w->metaObject()->className();
    }
    // The margin around the frame, and a press on the frame let go outside it.
    QTest::mouseClick(s.window()->client(), Qt::LeftButton, {}, QPoint(3, 150));
    QTest::mousePress(s.Frame1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(s.Frame1, Qt::LeftButton, {}, QPoint(600, 5));
    ASSERT_TRUE(s.IsLoaded());

    const QPoint bare(350, 220);  // between the version and the copyright lines
    ASSERT_EQ(s.Frame1->childAt(bare), nullptr);
    QTest::mouseClick(s.Frame1, Qt::LeftButton, {}, bare);
    EXPECT_FALSE(s.IsLoaded());
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
}

TEST(Splash, DrawsItsRaisedDialogFrameAroundTheClientArea)
{
    frmSplash->Show();
    vb::FormWindow* w = frmSplash->window();
    const int rim = vb::FormWindow::kDrawnFrame;
    EXPECT_EQ(w->client()->geometry(), QRect(rim, rim, 511, 308));
    EXPECT_EQ(w->frameGeometry(), w->geometry()) << "no window manager frame";
    const QImage shot = w->grab().toImage();
    const QPalette& pal = w->palette();
    EXPECT_EQ(shot.pixel(0, 150), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(shot.pixel(rim - 1, 150), pal.color(QPalette::Button).rgb());
    EXPECT_EQ(shot.pixel(shot.width() - 1, 150), pal.color(QPalette::Shadow).rgb());
    EXPECT_EQ(shot.pixel(250, shot.height() - 2), pal.color(QPalette::Dark).rgb());
    // The frame is no part of Frame1: a click on it does nothing.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(1, 150));
    EXPECT_TRUE(frmSplash->IsLoaded());
    frmSplash->Unload();
    FlushDeletes();
}

TEST(Splash, TickHandsOverToTheGameWindowAndTheRunGoesOn)
{
    StartProgram();
    QPointer<vb::Timer> timer = frmSplash->Timer1;
    QPointer<vb::FormWindow> splash = frmSplash->window();

    timer->Tick();

    ASSERT_TRUE(frmQuorvaneConcentration->IsLoaded());
    vb::FormWindow* game = frmQuorvaneConcentration->window();
    EXPECT_TRUE(game->isVisible());
    EXPECT_EQ(game->parentWidget(), nullptr);  // no owner: it outlives the splash
    EXPECT_FALSE(game->isModal());
    EXPECT_FALSE(frmSplash->IsLoaded());
    EXPECT_EQ(timer->Interval(), 0);
    FlushDeletes();
    EXPECT_FALSE(splash);
    EXPECT_TRUE(game->isVisible());
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
    EXPECT_TRUE(testing_seams::seams().messages.empty());
}

TEST(Splash, ItsOwnTimerHandsOverAfterTwoSecondsAndNotBefore)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    StartProgram();
    ASSERT_TRUE(frmSplash->IsLoaded());
    EXPECT_EQ(frmSplash->Timer1->Interval(), 2000);
    EXPECT_TRUE(frmSplash->Timer1->Enabled());
    EXPECT_TRUE(frmSplash->Timer1->isRunning());

    // The first moment the game window is seen loaded, polled from the loop.
    qint64 handedOverAt = -1;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (handedOverAt < 0 && frmQuorvaneConcentration->IsLoaded())
            handedOverAt = sinceStart.elapsed();
    });
    watcher.start();

    QTest::qWait(1200);
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
    EXPECT_TRUE(frmSplash->IsLoaded() && frmSplash->window()->isVisible());

    ASSERT_TRUE(QTest::qWaitFor([] { return frmQuorvaneConcentration->IsLoaded(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return handedOverAt >= 0; }, 1000));
    EXPECT_GE(handedOverAt, 1995);
    EXPECT_TRUE(frmQuorvaneConcentration->window()->isVisible());
    EXPECT_FALSE(frmSplash->IsLoaded());
}

TEST(Splash, ClosedEarlyTheRunEndsWithStatusZero)
{
    StartProgram();
    ASSERT_TRUE(frmSplash->window()->isVisible());
    QTest::keyClick(frmSplash->window(), Qt::Key_Q);
    EXPECT_EQ(testing_seams::seams().endCalls, 0);  // not before the window is gone
    FlushDeletes();
    EXPECT_EQ(testing_seams::seams().endStatuses, std::vector<int>{0});
    EXPECT_FALSE(AnyWindowShown());
}

TEST(ProgramStart, NeedsADisplayOrAChosenPlatform)
{
    const auto available = [](const QMap<QString, QString>& env, std::vector<const char*> args) {
        args.insert(args.begin(), "quorvane-concentration");
        return DisplayAvailable(int(args.size()), const_cast<char**>(args.data()),
                                [&env](const char* name) { return env.value(QString::fromLatin1(name)); });
    };
    EXPECT_FALSE(available({}, {}));
    EXPECT_FALSE(available({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}, {}));
    EXPECT_TRUE(available({{"DISPLAY", ":0"}}, {}));
    EXPECT_TRUE(available({{"WAYLAND_DISPLAY", "wayland-0"}}, {}));
    EXPECT_TRUE(available({{"QT_QPA_PLATFORM", "offscreen"}}, {}));
    EXPECT_TRUE(available({}, {"-platform", "offscreen"}));
}
