#include "GameFixture.h"

#include <QToolButton>

#include <random>
#include <set>

using testing_seams::seams;

TEST_F(GameWindowTest, FirstShownWithAFreshFaceDownBoard)
{
    EXPECT_EQ(g.window()->windowTitle(), QStringLiteral("Quorvane Concentration"));
    EXPECT_EQ(g.client()->size(), QSize(654, 634));
    for (int i = 0; i <= 53; ++i) {
        EXPECT_TRUE(g.imgCard(i).isVisible()) << i;
        EXPECT_EQ(g.imgCard(i).Picture(), back()) << i;
        EXPECT_FALSE(g.imgCard(i).Stretch());
        EXPECT_EQ(g.imgCard(i).geometry(), QRect(8 + 72 * (i % 9), 32 + 96 * (i / 9), 61, 89)) << i;
    }
    EXPECT_EQ(panel(1), QStringLiteral("Tries"));
    EXPECT_EQ(panel(2), QStringLiteral("0"));
    EXPECT_EQ(panel(4), QStringLiteral("Matches Made"));
    EXPECT_EQ(panel(5), QStringLiteral("0"));
    EXPECT_EQ(panel(6), QStringLiteral("Matches Remaining"));
    EXPECT_EQ(panel(7), QStringLiteral("27"));
    EXPECT_FALSE(panel(3).isEmpty());
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(saveButtonEnabled());
    EXPECT_FALSE(g.Timer1->Enabled());
    EXPECT_EQ(g.Timer1->Interval(), 750);
    EXPECT_EQ(g.Deck1->ChangeCard(), 60);
    EXPECT_EQ(g.Tries, 0);
    EXPECT_EQ(g.Matches, 0);
}

TEST_F(GameWindowTest, ToolbarStatusBarAndDeckStandWhereDesigned)
{
    ASSERT_EQ(g.Toolbar1->count(), 7);
    const char* keys[] = {"NewGame", "OpenGame", "SaveGame", "", "HighScores", "", "Help"};
    const char* tips[] = {"New Game", "Open Game", "Save Game", "Help", "", "", ""};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(g.Toolbar1->Buttons(i).Key, QString::fromLatin1(keys[i - 1])) << i;
        EXPECT_EQ(g.Toolbar1->Buttons(i).ToolTipText(), QString::fromLatin1(tips[i - 1])) << i;
    }
    EXPECT_TRUE(g.Toolbar1->Buttons(4).isSeparator);
    EXPECT_TRUE(g.Toolbar1->Buttons(6).isSeparator);
    EXPECT_EQ(g.Toolbar1->geometry(), QRect(0, 0, 654, 28));
    EXPECT_EQ(g.StatusBar1->geometry(), QRect(0, 609, 654, 25));
    EXPECT_EQ(g.Deck1->geometry(), QRect(680, 240, 32, 39)) << "right of the designed client area";

    // Widening the window moves nothing but the docked bars' width.
    g.window()->resize(760, g.window()->height());
    QApplication::processEvents();
    EXPECT_EQ(g.Toolbar1->width(), 760);
    EXPECT_EQ(g.StatusBar1->width(), 760);
    EXPECT_EQ(g.Deck1->geometry(), QRect(680, 240, 32, 39));
    EXPECT_EQ(g.imgCard(0).pos(), QPoint(8, 32));
    EXPECT_EQ(g.StatusBar1->Panels(1).width(), 40);
}

TEST_F(GameWindowTest, EveryDealPlacesEachCardNumberOnce)
{
    for (int deal = 0; deal < 50; ++deal) {
        g.NewGame();
        std::set<int> seen;
        for (int i = 0; i <= 53; ++i) {
            ASSERT_GE(g.Cards(i), 1);
            ASSERT_LE(g.Cards(i), 54);
            seen.insert(g.Cards(i));
        }
        ASSERT_EQ(seen.size(), 54u);
        for (int n = 1; n <= 54; ++n)
            ASSERT_EQ(g.CardUsed(n), 1);
    }
}

TEST_F(GameWindowTest, DrawRoundsHalvesToEvenAndRedrawsUsedNumbers)
{
    std::deque<float> script = {0.5f, 0.5f, 0.25f, 0.75f, 0.0f};
    std::mt19937 rest(7);
    vb::seams::setRandom([&]() {
        if (!script.empty()) {
            const float r = script.front();
            script.pop_front();
            return r;
        }
        return static_cast<float>(rest() >> 8) / 16777216.0f;
    });
    g.NewGame();
    EXPECT_EQ(g.Cards(0), 28) << "0.5 * 53 + 1 = 27.5 goes to the even 28";
    EXPECT_EQ(g.Cards(1), 14) << "28 again is drawn anew";
    EXPECT_EQ(g.Cards(2), 41);
    EXPECT_EQ(g.Cards(3), 1);
}

TEST_F(GameWindowTest, AceOfSpadesAndBlackJokerComeUpAtHalfTheOdds)
{
    std::mt19937 gen(12345);
    vb::seams::setRandom([&]() { return static_cast<float>(gen() >> 8) / 16777216.0f; }, [] {});
    const int deals = 6000;
    int firstCell[55] = {};
    int lastRowCount[55] = {};
    for (int d = 0; d < deals; ++d) {
        g.NewGame();
        ++firstCell[g.Cards(0)];
        for (int i = 45; i <= 53; ++i)
            ++lastRowCount[g.Cards(i)];
    }
    // Cell 0 gets the first draw: 1/106 for cards 1 and 54, 1/53 for others.
    const double rare = (firstCell[1] + firstCell[54]) / 2.0 / deals;
    double common = 0;
    for (int n = 2; n <= 53; ++n)
        common += firstCell[n];
    common /= 52.0 * deals;
    EXPECT_NEAR(rare, 1.0 / 106, 0.004);
    EXPECT_NEAR(common, 1.0 / 53, 0.003);
    // The rarer numbers are placed later, so more often in the last row.
    const double rareLast = (lastRowCount[1] + lastRowCount[54]) / 2.0;
    double commonLast = 0;
    for (int n = 2; n <= 53; ++n)
        commonLast += lastRowCount[n];
    commonLast /= 52.0;
    EXPECT_GT(rareLast, commonLast * 1.1);
}

TEST(Deal, EveryDealReseedsTheRandomSourceOnce)
{
    // Without the reseed every run would deal the same boards.
    std::mt19937 gen(99);
    int reseeds = 0;
    vb::seams::setRandom([&]() { return static_cast<float>(gen() >> 8) / 16777216.0f; }, [&] { ++reseeds; });
    FrmQuorvaneConcentration& g = *frmQuorvaneConcentration;
    g.Load();
    EXPECT_EQ(reseeds, 1);
    g.Show();
    g.mnuNewGame->action()->trigger();
    EXPECT_EQ(reseeds, 2);
    g.Toolbar1->Buttons(1).widget->click();
    EXPECT_EQ(reseeds, 3);
    vb::seams::setRandom({});
}

TEST_F(GameWindowTest, TurnMovesThroughItsStatesWithRealClicks)
{
    const int a = 0;
    const int b = 1;
    const int c = 2;
    click(a);
    EXPECT_EQ(g.CardUp, 1);
    EXPECT_EQ(g.ClickCount, 1);
    EXPECT_EQ(g.FirstCard, a);
    EXPECT_EQ(g.imgCard(a).Picture(), face(g.Cards(a)));
    EXPECT_FALSE(saveEnabled());
    EXPECT_FALSE(saveButtonEnabled());
    EXPECT_FALSE(g.Timer1->Enabled());

    for (int k = 0; k < 3; ++k)
        click(a);  // the face-up first card again changes nothing
    EXPECT_EQ(g.ClickCount, 1);
    EXPECT_EQ(g.CardUp, 1);
    EXPECT_EQ(g.Tries, 0);
    EXPECT_FALSE(saveEnabled());

    click(b);
    EXPECT_EQ(g.CardUp, 0);
    EXPECT_EQ(g.ClickCount, 2);
    EXPECT_EQ(g.SecondCard, b);
    EXPECT_EQ(g.imgCard(b).Picture(), face(g.Cards(b)));
    EXPECT_TRUE(g.Timer1->Enabled());
    EXPECT_EQ(g.Tries, 1) << "the try counts at the second card, before it is resolved";
    EXPECT_EQ(panel(2), QStringLiteral("1"));
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(saveButtonEnabled());

    click(c);  // swallowed while the turn waits
    click(b);
    click(a);
    EXPECT_EQ(g.ClickCount, 5);
    EXPECT_EQ(g.imgCard(c).Picture(), back());
    EXPECT_EQ(g.Tries, 1);

    g.Timer1->Tick();
    EXPECT_EQ(g.ClickCount, 0);
    EXPECT_FALSE(g.Timer1->Enabled());
    click(c);
    EXPECT_EQ(g.FirstCard, c) << "after the tick the next click starts a new turn";
    EXPECT_EQ(g.CardUp, 1);
}

TEST_F(GameWindowTest, PairsLeaveTheBoardAndMismatchesTurnBack)
{
    const int five = cellOf(5);
    const int fiveOfHearts = cellOf(44);
    turn(five, fiveOfHearts);  // 5 and 18: no pair
    EXPECT_TRUE(g.imgCard(five).isVisible());
    EXPECT_EQ(g.imgCard(five).Picture(), back());
    EXPECT_EQ(g.imgCard(fiveOfHearts).Picture(), back());
    EXPECT_EQ(g.Matches, 0);
    EXPECT_EQ(panel(7), QStringLiteral("27"));
    EXPECT_EQ(g.Tries, 1);

    turn(five, cellOf(31));  // spade and club of one rank
    EXPECT_FALSE(g.imgCard(five).isVisible());
    EXPECT_FALSE(g.imgCard(cellOf(31)).isVisible());
    EXPECT_EQ(g.Matches, 1);
    EXPECT_EQ(panel(5), QStringLiteral("1"));
    EXPECT_EQ(panel(7), QStringLiteral("26"));
    EXPECT_EQ(g.Tries, 2);

    turn(cellOf(53), cellOf(54));
    EXPECT_EQ(g.Matches, 2);

    // A removed cell takes no clicks.
    const int clicks = g.ClickCount;
    click(five);
    EXPECT_EQ(g.ClickCount, clicks);
}

TEST(PairRule, CardsPairWithTheSameRankAndColourAndJokersWithEachOther)
{
    int pairs = 0;
    for (int a = 1; a <= 54; ++a) {
        for (int b = 1; b <= 54; ++b) {
            const bool same = FrmQuorvaneConcentration::PairValue(a) == FrmQuorvaneConcentration::PairValue(b);
            bool expected = a == b;
            if (a <= 52 && b <= 52)
                expected = (a - 1) % 26 == (b - 1) % 26;
            if (a >= 53 && b >= 53)
                expected = true;
            ASSERT_EQ(same, expected) << a << " with " << b;
            if (same && a < b)
                ++pairs;
        }
    }
    EXPECT_EQ(pairs, 27);
    EXPECT_EQ(FrmQuorvaneConcentration::PairValue(52), 26);
    EXPECT_EQ(FrmQuorvaneConcentration::PairValue(54), 53);
}

TEST_F(GameWindowTest, NewGameDuringAPendingResolutionDropsIt)
{
    const int a = cellOf(7);
    const int b = cellOf(33);
    click(a);
    click(b);
    ASSERT_TRUE(g.Timer1->Enabled());
    key(Qt::Key_F2);
    EXPECT_FALSE(g.Timer1->Enabled());
    EXPECT_EQ(g.Tries, 0);
    EXPECT_EQ(g.ClickCount, 0);
    QTest::qWait(900);  // well past the delay: nothing is resolved
    for (int i = 0; i <= 53; ++i) {
        ASSERT_TRUE(g.imgCard(i).isVisible());
        ASSERT_EQ(g.imgCard(i).Picture(), back());
    }
    EXPECT_EQ(g.Matches, 0);
    EXPECT_EQ(panel(7), QStringLiteral("27"));
}

TEST_F(GameWindowTest, NewGameWithTheFirstCardUpTurnsItDownAndEnablesSave)
{
    click(3);
    ASSERT_FALSE(saveEnabled());
    g.Toolbar1->Buttons(1).widget->click();
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(saveButtonEnabled());
    EXPECT_EQ(g.imgCard(3).Picture(), back());
    EXPECT_EQ(g.CardUp, 0);
}

TEST_F(GameWindowTest, TriesStopAtTheLargestScore)
{
    g.Tries = 32767;
    click(0);
    click(1);
    EXPECT_EQ(g.Tries, 32767);
    EXPECT_EQ(panel(2), QStringLiteral("32767"));
    EXPECT_EQ(seams().endCalls, 0);
}

TEST_F(GameWindowTest, RealTimerResolvesTheTurnAfterTheDelay)
{
    const int a = cellOf(1);
    const int b = cellOf(27);
    click(a);
    click(b);
    QTest::qWait(600);
    EXPECT_TRUE(g.imgCard(a).isVisible()) << "not before 750 ms";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !g.imgCard(a).isVisible(); }, 1000));
    EXPECT_FALSE(g.Timer1->Enabled());
}
