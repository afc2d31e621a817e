// A whole run as a player makes it: the splash hands over, every pair is
// found with real clicks and real timer ticks, and the name typed at game
// over is saved in the store.
#include "CardPictures.h"
#include "ProgramStart.h"
#include "QuorvaneConcentrationModule.h"
#include "Registry.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"
#include "frmSplash.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using testing_seams::seams;

namespace {

// A click where the cell stands, routed to the widget under that point.
void clickCell(FrmQuorvaneConcentration& g, int cell)
{
    const QRect r(8 + 72 * (cell % 9), 32 + 96 * (cell / 9), 61, 89);
    QWidget* target = g.client()->childAt(r.center());
    ASSERT_NE(target, nullptr) << "cell " << cell;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(g.client(), r.center()));
}

int cellOf(FrmQuorvaneConcentration& g, int cardNumber)
{
    for (int i = 0; i <= 53; ++i)
        if (g.Cards(i) == cardNumber)
            return i;
    return -1;
}

}  // namespace

TEST(WholeGame, FromTheSplashToTheSavedName)
{
    // Every delay runs at a twentieth of its length; nothing else changes.
    vb::seams::setTimerScale(0.05);
    frmSplash->Show();
    FrmQuorvaneConcentration& g = *frmQuorvaneConcentration;
    EXPECT_TRUE(QTest::qWaitFor([&] { return g.IsLoaded() && g.window()->isVisible(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frmSplash->IsLoaded(); }, 1000));
    EXPECT_EQ(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, QString::fromLatin1(kHighScoreKey), QStringLiteral("Score10")),
              QVariant(99999));

    // One mismatch first, then every pair.
    clickCell(g, cellOf(g, 1));
    clickCell(g, cellOf(g, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<int>(g.ClickCount) == 0; }, 1000));
    EXPECT_EQ(g.imgCard(cellOf(g, 1)).Picture(), vb::LoadResPicture(quorvane::pictures::cardResourcePath(60)));

    bool sawNewEntry = false;
    QTimer watcher;  // acts once the high-score window is on the screen
    for (int v = 1; v <= 27; ++v) {
        const int a = v == 27 ? 53 : v;
        const int b = v == 27 ? 54 : v + 26;
        if (v == 27) {
            // The last pair opens the high-score window: type a name, save, close.
            watcher.setInterval(10);
            QObject::connect(&watcher, &QTimer::timeout, [&] {
                if (!frmHighScores->IsLoaded() || !frmHighScores->window()->isVisible())
                    return;
                watcher.stop();
                sawNewEntry = frmHighScores->IsLoaded() && frmHighScores->btnSave->isVisible();
                QTest::keyClicks(frmHighScores->txtPlayer, QStringLiteral("Robin"));
                QTest::keyClick(frmHighScores->txtPlayer, Qt::Key_Return);  // Save is the default button
                QTest::keyClick(frmHighScores->window(), Qt::Key_Return);   // then OK
            });
            watcher.start();
        }
        clickCell(g, cellOf(g, a));
        clickCell(g, cellOf(g, b));
        EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<int>(g.Matches) == v; }, 3000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<int>(g.ClickCount) == 0; }, 3000));
    }

    EXPECT_TRUE(sawNewEntry);
    EXPECT_EQ(seams().messageTexts(), QStringList{QStringLiteral("Game Over!")});
    EXPECT_EQ(g.Tries, 28);
    EXPECT_EQ(g.StatusBar1->Panels(7).text(), QStringLiteral("0"));
    EXPECT_FALSE(frmHighScores->IsLoaded());
    EXPECT_EQ(frmHighScores->Player1, QStringLiteral("Robin"));
    EXPECT_EQ(frmHighScores->Score1, QStringLiteral("28"));

    QFile store(testing_seams::RegistryFile());
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    const QByteArray text = store.readAll();
    EXPECT_TRUE(text.contains("\"Player1\"=\"Robin\"")) << text.constData();
    EXPECT_TRUE(text.contains("\"Score1\"=dword:0000001c")) << text.constData();
    EXPECT_TRUE(text.contains("\"Score2\"=dword:0001869f"));
    EXPECT_EQ(seams().endCalls, 0);
}
