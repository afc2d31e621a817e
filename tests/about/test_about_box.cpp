// The About box as the player meets it: the copyright year, the keys and
// the close box that close it, the hidden System Info, and how it looks.
#include "Copyright.h"
#include "TestSeams.h"
#include "frmAbout.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

void SetYear(int year)
{
    vb::seams::setToday([year]() { return QDate(year, 6, 15); });
}

QString Span(int year)
{
    return QStringLiteral("Copyright \u00A9 2011 - %1 Quorvane Software").arg(year);
}

// Shows the box modally, runs action inside its modal loop, and tells
// whether the box was unloaded before the guard gave up.
bool ShowModalAndDo(const std::function<void()>& action)
{
    bool timedOut = false;
    QTimer::singleShot(0, [&]() {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frmAbout->window()));
        action();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&]() {
        timedOut = true;
        frmAbout->Unload();
    });
    guard.start(5000);
    frmAbout->Show(vb::Form::vbModal, nullptr);
    return !timedOut && !frmAbout->IsLoaded();
}

}  // namespace

TEST(AboutBox, CopyrightYearRule)
{
    const struct {
        int year;
        QString caption;
    } cases[] = {{2011, QStringLiteral("Copyright \u00A9 2011 Quorvane Software")},
                 {2025, Span(2025)},
                 {2003, Span(2003)}};  // a clock set back still gives a span
    for (const auto& c : cases) {
        SetYear(c.year);
        frmAbout->Load();
        EXPECT_EQ(frmAbout->lblCopyright->text(), c.caption) << c.year;
        frmAbout->Unload();
    }
    EXPECT_EQ(DesignCopyrightCaption(), cases[0].caption);
}

// Each opening reads the year afresh; Enter (on OK, which has the focus),
// Escape and the close box each close the box.
TEST(AboutBox, EnterEscapeAndCloseBoxCloseItAndEachOpeningReadsTheYear)
{
    QStringList captions;
    bool focusOnOk = false;
    SetYear(2024);
    ASSERT_TRUE(ShowModalAndDo([&]() {
        captions << frmAbout->lblCopyright->text();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != nullptr; }, 5000));
        focusOnOk = QApplication::focusWidget() == frmAbout->cmdOK;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
    SetYear(2031);
    ASSERT_TRUE(ShowModalAndDo([&]() {
        captions << frmAbout->lblCopyright->text();
        QTest::keyClick(frmAbout->window(), Qt::Key_Escape);
    }));
    SetYear(2011);
    ASSERT_TRUE(ShowModalAndDo([&]() {
        captions << frmAbout->lblCopyright->text();
        frmAbout->window()->close();
    }));
    ASSERT_TRUE(ShowModalAndDo([]() { QTest::keyClick(frmAbout->window(), Qt::Key_Enter); }));

    EXPECT_TRUE(focusOnOk);
    EXPECT_EQ(captions, (QStringList{Span(2024), Span(2031), DesignCopyrightCaption()}));
    EXPECT_EQ(frmAbout->cmdOK, nullptr);
    EXPECT_EQ(frmAbout->dtpDate, nullptr);
    EXPECT_TRUE(testing_seams::seams().messages.empty());
}

TEST(AboutBox, HiddenSystemInfoAccessKeyDoesNothing)
{
    auto& seams = testing_seams::seams();
    bool firedWhileHidden = true;
    bool firedWhenShown = false;
    ASSERT_TRUE(ShowModalAndDo([&]() {
        vb::FormWindow* w = frmAbout->window();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        EXPECT_FALSE(frmAbout->cmdSysInfo->isVisible());

        // An access key clicks its button a moment later (the animated
        // press), so give a stray click time to land.
        QTest::keyClick(w, Qt::Key_S, Qt::AltModifier);
        QTest::qWait(400);
        firedWhileHidden = !seams.messages.empty();

        // The same key reaches the command once the button shows, so the
        // silence above is the hidden button's and not a lost key.
        frmAbout->cmdSysInfo->setVisible(true);
        QTest::keyClick(w, Qt::Key_S, Qt::AltModifier);
        firedWhenShown = QTest::qWaitFor([&]() { return !seams.messages.empty(); }, 2000)
                         && seams.messageTexts()
                                == QStringList{QStringLiteral("System Information Is Unavailable At This Time")};
        frmAbout->cmdOK->click();
    }));
    EXPECT_FALSE(firedWhileHidden);
    EXPECT_TRUE(firedWhenShown);
}

// Green ground, the bordered logo, and the etched rule of a grey line over
// a two-pixel white one that starts a pixel further right.
TEST(AboutBox, AsDrawn)
{
    frmAbout->Load();
    vb::FormWindow* w = frmAbout->window();
    EXPECT_EQ(w->size(), QSize(480, 325));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QImage shot = w->client()->grab().toImage();
    const QString dir = QString::fromLocal8Bit(qgetenv("QUORVANE_SCREENSHOT_DIR"));
    if (!dir.isEmpty())
        shot.save(dir + QStringLiteral("/about.png"));

    const QColor green(0, 128, 0), grey(128, 128, 128), white(Qt::white);
    EXPECT_EQ(shot.pixelColor(2, 2), green);
    EXPECT_EQ(shot.pixelColor(300, 300), green);
    EXPECT_EQ(shot.pixelColor(8, 8), QColor(Qt::black));
    EXPECT_NE(shot.pixelColor(100, 120), green);  // the logo is there

    EXPECT_EQ(shot.pixelColor(6, 251), grey);
    EXPECT_EQ(shot.pixelColor(471, 251), grey);
    EXPECT_EQ(shot.pixelColor(472, 251), green);
    EXPECT_EQ(shot.pixelColor(6, 252), green);
    EXPECT_EQ(shot.pixelColor(7, 252), white);
    EXPECT_EQ(shot.pixelColor(400, 253), white);
    EXPECT_EQ(shot.pixelColor(400, 250), green);
    EXPECT_EQ(shot.pixelColor(400, 254), green);
    frmAbout->Unload();
}
