// The splash window: its captions, early closing by key or frame click, and
// the hand-over to the game window.
#include "Copyright.h"
#include "ProgramStart.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"
#include "frmSplash.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void SetYear(int year)
{
    vb::seams::setToday([year]() { return QDate(year, 6, 15); });
}

// The widget's centre, in the widget's own coordinates.
QPoint Centre(const QWidget* w) { return w->rect().center(); }

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

TEST(Splash, CopyrightCaptionFollowsTheYearBothWays)
{
    const struct {
        int year;
        QString caption;
    } cases[] = {
        {2011, QStringLiteral("Copyright \u00A9 2011 Quorvane Software")},
        {2031, QStringLiteral("Copyright \u00A9 2011 - 2031 Quorvane Software")},
        {1999, QStringLiteral("Copyright \u00A9 2011 - 1999 Quorvane Software")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        SetYear(c.year);
        frmSplash->Load();
        EXPECT_EQ(frmSplash->lblCopyright->text(), c.caption);
        EXPECT_EQ(frmSplash->dtpDate->Year(), c.year);
        // Nothing else takes the year.
        EXPECT_EQ(frmSplash->lblProductName->text(), QStringLiteral("Concentration"));
        EXPECT_EQ(frmSplash->lblVersion->text(), QStringLiteral("Version 1.0"));
        frmSplash->Unload();
    }
    EXPECT_EQ(DesignCopyrightCaption(), cases[0].caption);
}

TEST(Splash, LoadingFillsTheTableAndStartsTheTwoSecondTimer)
{
    frmSplash->Load();
    EXPECT_EQ(frmHighScores->Player10, QStringLiteral("Anonymous"));
    EXPECT_EQ(frmHighScores->Score10, QStringLiteral("99999"));
    EXPECT_FALSE(frmHighScores->IsLoaded());
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
    ASSERT_NE(frmSplash->Timer1, nullptr);
    EXPECT_EQ(frmSplash->Timer1->Interval(), 2000);
    EXPECT_TRUE(frmSplash->Timer1->isRunning());
}

TEST(Splash, WindowHasNoTitleBarNoTaskbarEntryAndOpensCentred)
{
    frmSplash->Show();
    vb::FormWindow* w = frmSplash->window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(w->client()->size(), QSize(511, 308));
    EXPECT_EQ(frmSplash->Frame1->geometry(), QRect(10, 4, 487, 293));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE((w->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    // Nothing on it takes the focus, so every key reaches the window.
    for (QWidget* child : w->findChildren<QWidget*>())
        EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
    ASSERT_NE(frmSplash->imgLogo->Picture(), nullptr);
    EXPECT_EQ(frmSplash->imgLogo->Picture()->size(), QSize(286, 333));
    EXPECT_TRUE(frmSplash->imgLogo->Stretch());
}

TEST(Splash, CharacterKeysCloseItWithoutTheGame)
{
    const Qt::Key keys[] = {Qt::Key_A, Qt::Key_7, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Backspace};
    for (Qt::Key key : keys) {
        SCOPED_TRACE(key);
        frmSplash->Show();
        QPointer<vb::Timer> timer = frmSplash->Timer1;
        QTest::keyClick(frmSplash->window(), key);
        EXPECT_FALSE(frmSplash->IsLoaded());
        // The timer is stopped before the window is gone.
        ASSERT_TRUE(timer);
        EXPECT_FALSE(timer->isRunning());
        FlushDeletes();
        EXPECT_FALSE(timer);
    }
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
}

TEST(Splash, KeysWithoutACharacterDoNothing)
{
    frmSplash->Show();
    const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_F1, Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt};
    for (Qt::Key key : keys)
        QTest::keyClick(frmSplash->window(), key);
    EXPECT_TRUE(frmSplash->IsLoaded());
}

TEST(Splash, OnlyTheFramesOwnSurfaceClosesItOnAClick)
{
    frmSplash->Show();
    FrmSplash& s = *frmSplash;
    const QList<QWidget*> covering = {s.imgLogo, s.Label1, s.lblProductName, s.lblVersion, s.lblCopyright,
                                      s.lblWarning};
    for (QWidget* w : covering) {
        SCOPED_TRACE(w->metaObject()->className());
        QTest::mouseClick(w, Qt::LeftButton, {}, Centre(w));
        ASSERT_TRUE(s.IsLoaded());
    }
    // The window's margin around the frame.
    QTest::mouseClick(s.window()->client(), Qt::LeftButton, {}, QPoint(3, 150));
    ASSERT_TRUE(s.IsLoaded());
    // Pressing on the frame but letting go outside it is no click either.
    QTest::mousePress(s.Frame1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(s.Frame1, Qt::LeftButton, {}, QPoint(600, 5));
    ASSERT_TRUE(s.IsLoaded());

    // Between the version and the copyright lines: bare frame.
    const QPoint bare(350, 220);
    ASSERT_EQ(s.Frame1->childAt(bare), nullptr);
    QTest::mouseClick(s.Frame1, Qt::LeftButton, {}, bare);
    EXPECT_FALSE(s.IsLoaded());
    EXPECT_FALSE(frmQuorvaneConcentration->IsLoaded());
}

TEST(Splash, TickHandsOverToTheGameWindow)
{
    frmSplash->Show();
    QPointer<vb::Timer> timer = frmSplash->Timer1;
    QPointer<vb::FormWindow> splash = frmSplash->window();

    timer->Tick();

    ASSERT_TRUE(frmQuorvaneConcentration->IsLoaded());
    vb::FormWindow* game = frmQuorvaneConcentration->window();
    EXPECT_TRUE(game->isVisible());
    EXPECT_EQ(game->parentWidget(), nullptr);  // no owner: it outlives the splash
    EXPECT_FALSE(game->isModal());
    EXPECT_FALSE(frmSplash->IsLoaded());
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->Interval(), 0);
    EXPECT_FALSE(timer->isRunning());
    EXPECT_FALSE(splash->isVisible());
    FlushDeletes();
    EXPECT_FALSE(splash);
    EXPECT_TRUE(game->isVisible());
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
    EXPECT_TRUE(testing_seams::seams().messages.empty());
}

TEST(Splash, RealTimerHandsOverOnceAfterItsInterval)
{
    vb::seams::setTimerScale(0.05);  // 100 ms instead of 2 s
    frmSplash->Show();
    QTRY_VERIFY_WITH_TIMEOUT(!frmSplash->IsLoaded(), 5000);
    EXPECT_TRUE(frmQuorvaneConcentration->IsLoaded());
    EXPECT_TRUE(frmQuorvaneConcentration->window()->isVisible());
    // A second tick would load nothing new but must not come at all.
    QTest::qWait(300);
    EXPECT_FALSE(frmSplash->IsLoaded());
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
}
