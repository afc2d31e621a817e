// Thousands of seeded random sequences of what a player can do: clicks on
// any cell, timer ticks, new games, saves, opens of good and damaged files,
// and the high-score window in both modes with Save and Clear. After every
// step the game's invariants must hold. A failing sequence prints its seed;
// QUORVANE_PLAY_SEED=n replays that one alone, QUORVANE_PLAY_SEQUENCES=n
// plays more (or fewer).
#include "CardPictures.h"
#include "GameRecord.h"
#include "Picture.h"
#include "Platform.h"
#include "QuorvaneConcentrationModule.h"
#include "Runtime.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using testing_seams::seams;

namespace {

FrmQuorvaneConcentration& game() { return *frmQuorvaneConcentration; }

int pairValue(int card) { return FrmQuorvaneConcentration::PairValue(static_cast<std::int16_t>(card)); }

int partnerOf(int card)
{
    if (card == 53 || card == 54)
        return 107 - card;
    return card <= 26 ? card + 26 : card - 26;
}

// Names a player may type, as the table then holds them and as the store
// gives them back at the next start.
struct NameForm {
    QString typed;
    QString held;
    QString stored;
};
const std::vector<NameForm>& names()
{
    static const std::vector<NameForm> all = {
        {QString(), QStringLiteral("Anonymous"), QStringLiteral("Anonymous")},
        {QStringLiteral("Ann"), QStringLiteral("Ann"), QStringLiteral("Ann")},
        {QStringLiteral("  Bob  "), QStringLiteral("  Bob  "), QStringLiteral("Bob")},
        {QStringLiteral("   "), QStringLiteral("   "), QString()},
        {QStringLiteral("007"), QStringLiteral("007"), QStringLiteral("007")},
        {QStringLiteral("12345678901"), QStringLiteral("12345678901"), QStringLiteral("12345678901")},
        {QStringLiteral("Zo\u00eb \"the\" [best]"), QStringLiteral("Zo\u00eb \"the\" [best]"),
         QStringLiteral("Zo\u00eb \"the\" [best]")},
    };
    return all;
}

QString storedForm(const QString& held)
{
    for (const NameForm& n : names())
        if (n.held == held)
            return n.stored;
    return held;
}

// Everything a refused command must leave exactly as it was.
struct Snapshot {
    std::vector<int> cards;
    std::vector<bool> visible;
    std::vector<bool> faceUp;
    int tries = 0, matches = 0, clickCount = 0, cardUp = 0, firstCard = 0, secondCard = 0;
    bool timer = false, saveMenu = false, saveButton = false;
    QString p2, p5, p7;
    bool operator==(const Snapshot& o) const
    {
        return cards == o.cards && visible == o.visible && faceUp == o.faceUp && tries == o.tries
               && matches == o.matches && clickCount == o.clickCount && cardUp == o.cardUp
               && firstCard == o.firstCard && secondCard == o.secondCard && timer == o.timer
               && saveMenu == o.saveMenu && saveButton == o.saveButton && p2 == o.p2 && p5 == o.p5 && p7 == o.p7;
    }
};

// What a file that the game saved must bring back.
struct SavedBoard {
    std::vector<int> cards;
    std::vector<bool> visible;
    int tries = 0, matches = 0;
};

class Player {
public:
    Player(std::uint32_t seed, const QString& folder) : rng_(seed), folder_(folder)
    {
        vb::seams::setRandom([this] { return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng_); });
        driver_.setSingleShot(true);
        driver_.setInterval(0);
        QObject::connect(&driver_, &QTimer::timeout, [this] { driveHighScores(); });
    }

    ~Player()
    {
        driver_.stop();
        vb::seams::setRandom({});
    }

    // Plays one sequence; the first broken invariant, or an empty text.
    std::string play(int steps)
    {
        seedTable();
        game().NewGame();
        gameOver_ = false;
        check("after the deal");
        for (int step = 0; step < steps && failure_.empty(); ++step)
            playStep(step);
        return failure_;
    }

    static int sequencesPlayed;
    static long stepsPlayed;
    static std::map<std::string, int> counts;  // how often each kind of event came up

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return pick(100) < percent; }

    void fail(const std::string& what)
    {
        if (failure_.empty())
            failure_ = what;
    }

    void seedTable()
    {
        // A table in rank order, stored as a start-up load would have found
        // it: Save puts its entry into the stored table.
        std::vector<int> scores;
        for (int i = 0; i < 10; ++i)
            scores.push_back(chance(40) ? 99999 : 20 + pick(150));
        std::sort(scores.begin(), scores.end());
        QStringList players, texts;
        for (int r = 1; r <= 10; ++r) {
            texts << (frmHighScores->Score(r) = QString::number(scores[static_cast<std::size_t>(r - 1)]));
            players << (frmHighScores->Player(r) = names()[static_cast<std::size_t>(pick(static_cast<int>(names().size())))].held);
        }
        store::StoreTable(players, texts);
    }

    void playStep(int step)
    {
        ++stepsPlayed;
        const int roll = pick(100);
        std::ostringstream what;
        what << "step " << step << ": ";
        if (roll < 35) {
            const int cell = partnerClick();
            what << "click on the partner, cell " << cell;
            click(cell);
        } else if (roll < 55) {
            const int cell = pick(54);
            what << "click on cell " << cell;
            click(cell);
        } else if (roll < 75) {
            what << "timer tick";
            tick();
        } else if (roll < 78) {
            what << "new game";
            game().mnuNewGame_Click();
            gameOver_ = false;
        } else if (roll < 85) {
            what << "save";
            save();
        } else if (roll < 91) {
            what << "open a good file";
            openGood();
        } else if (roll < 96) {
            what << "open a damaged file";
            openDamaged();
        } else {
            what << "high scores";
            viewHighScores();
        }
        check(what.str());
    }

    // ---- the actions -----------------------------------------------------------------

    // The cell a player who remembers would pick: the partner of the card
    // that is up, or any cell still on the board.
    int partnerClick()
    {
        std::vector<int> onBoard;
        for (int i = 0; i <= 53; ++i)
            if (game().imgCard(i).isVisible())
                onBoard.push_back(i);
        if (game().CardUp == 1) {
            const int wanted = partnerOf(game().Cards(game().FirstCard));
            for (int i : onBoard)
                if (game().Cards(i) == wanted)
                    return i;
        }
        return onBoard.empty() ? pick(54) : onBoard[static_cast<std::size_t>(pick(static_cast<int>(onBoard.size())))];
    }

    // Where the cell stands on the board: the widget under that point gets
    // the click, so a removed cell's place takes none.
    void click(int cell)
    {
        const QRect r(8 + 72 * (cell % 9), 32 + 96 * (cell / 9), 61, 89);
        QWidget* target = game().client()->childAt(r.center());
        if (target)
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(game().client(), r.center()));
    }

    void tick()
    {
        // The timer ticks only while it runs; the 27th pair may open the
        // high-score window, which the driver answers.
        if (!game().Timer1->Enabled())
            return;
        const int before = game().Matches;
        driver_.start();
        game().Timer1->Tick();
        driver_.stop();
        if (before != 27 && game().Matches == 27) {
            gameOver_ = true;
            ++counts["game over"];
        }
    }

    void save()
    {
        if (!game().mnuSaveGame->Enabled())
            return;  // the player cannot reach the command now
        const int kind = pick(10);
        if (kind == 0) {  // Cancel
            const Snapshot before = snapshot();
            seams().messages.clear();
            game().mnuSaveGame_Click();
            if (!seams().messages.empty() || !(snapshot() == before))
                fail("Cancel in the save dialog changed the game or spoke");
            return;
        }
        if (kind == 1) {  // a place that cannot hold a file
            const QString path = folder_ + (pick(2) ? QStringLiteral("/no/such/folder/x.zdk") : QString());
            const Snapshot before = snapshot();
            seams().messages.clear();
            seams().fileChoices.push_back(path);
            game().mnuSaveGame_Click();
            if (seams().messages.size() != 1 || !seams().messages[0].prompt.contains(QStringLiteral("could not be saved")))
                fail("a failed save was not reported once");
            if (!(snapshot() == before))
                fail("a failed save changed the game");
            return;
        }
        const QString path = folder_ + QStringLiteral("/game%1.zdk").arg(pick(4));
        const Snapshot before = snapshot();
        seams().messages.clear();
        seams().fileChoices.push_back(path);
        game().mnuSaveGame_Click();
        if (!seams().messages.empty())
            fail("a save to a writable file spoke: " + seams().messages[0].prompt.toStdString());
        if (!(snapshot() == before))
            fail("saving changed the game");
        saved_[path] = SavedBoard{before.cards, before.visible, before.tries, before.matches};
        ++counts["game saved"];
    }

    void openGood()
    {
        if (!saved_.empty() && chance(60)) {
            auto it = saved_.begin();
            std::advance(it, pick(static_cast<int>(saved_.size())));
            open(it->first);
            expectOpened(it->second, "a file the game saved");
            ++counts["saved game opened"];
            return;
        }
        if (chance(15)) {  // Cancel
            const Snapshot before = snapshot();
            seams().messages.clear();
            game().mnuOpenGame_Click();
            if (!seams().messages.empty() || !(snapshot() == before))
                fail("Cancel in the open dialog changed the game or spoke");
            return;
        }
        // A game close to its end, hidden pairs consistent with its count;
        // now and then a cell on the board has a word other than -1.
        const SavedBoard board = builtBoard();
        GameRecord r;
        for (int i = 0; i < 54; ++i) {
            r.Cards[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(board.cards[static_cast<std::size_t>(i)]);
            r.CardVisible[static_cast<std::size_t>(i)] = board.visible[static_cast<std::size_t>(i)] ? (chance(90) ? -1 : 1) : 0;
        }
        r.Tries = static_cast<std::int16_t>(board.tries);
        r.Matches = static_cast<std::int16_t>(board.matches);
        QByteArray bytes = r.encode();
        if (chance(30))
            bytes += QByteArray(GameRecord::kRecordLength - GameRecord::kSize + pick(50), static_cast<char>(pick(256)));
        const QString path = folder_ + QStringLiteral("/built.zdk");
        writeFile(path, bytes);
        open(path);
        expectOpened(board, "a built file");
        ++counts["built game opened"];
    }

    SavedBoard builtBoard()
    {
        SavedBoard b;
        b.cards.resize(54);
        std::iota(b.cards.begin(), b.cards.end(), 1);
        std::shuffle(b.cards.begin(), b.cards.end(), rng_);
        const int hidden = chance(70) ? 24 + pick(4) : pick(28);
        std::vector<int> values(26);
        std::iota(values.begin(), values.end(), 1);
        values.push_back(53);
        std::shuffle(values.begin(), values.end(), rng_);
        b.visible.assign(54, true);
        for (int k = 0; k < hidden; ++k)
            for (int i = 0; i < 54; ++i)
                if (pairValue(b.cards[static_cast<std::size_t>(i)]) == values[static_cast<std::size_t>(k)])
                    b.visible[static_cast<std::size_t>(i)] = false;
        b.matches = hidden;
        b.tries = hidden + pick(3) * pick(100);
        return b;
    }

    void openDamaged()
    {
        const Snapshot before = snapshot();
        QString path = folder_ + QStringLiteral("/damaged.zdk");
        GameRecord r;
        const SavedBoard board = builtBoard();
        for (int i = 0; i < 54; ++i) {
            r.Cards[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(board.cards[static_cast<std::size_t>(i)]);
            r.CardVisible[static_cast<std::size_t>(i)] = board.visible[static_cast<std::size_t>(i)] ? -1 : 0;
        }
        r.Tries = static_cast<std::int16_t>(board.tries);
        r.Matches = static_cast<std::int16_t>(board.matches);
        QByteArray bytes;
        const int kind = pick(9);
        switch (kind) {
        case 0: break;  // empty
        case 1: bytes = r.encode().left(pick(GameRecord::kSize)); break;
        case 2: r.Cards[static_cast<std::size_t>(pick(54))] = static_cast<std::int16_t>(std::vector<int>{0, 55, -1, 32767, -32768}[static_cast<std::size_t>(pick(5))]); bytes = r.encode(); break;
        case 3: {  // one card twice, its partner's partner missing
            const int a = pick(54);
            const int b = (a + 1 + pick(53)) % 54;
            r.Cards[static_cast<std::size_t>(a)] = r.Cards[static_cast<std::size_t>(b)];
            bytes = r.encode();
            break;
        }
        case 4: r.Matches = static_cast<std::int16_t>(pick(2) ? 28 + pick(100) : -1 - pick(100)); bytes = r.encode(); break;
        case 5: r.Tries = static_cast<std::int16_t>(-1 - pick(32767)); bytes = r.encode(); break;
        case 6:  // noise, with a card that cannot be
            for (int i = 0; i < 220 + pick(600); ++i)
                bytes += static_cast<char>(pick(256));
            bytes[0] = 0;
            bytes[1] = 0;
            break;
        case 7: path = folder_; break;  // a folder
        case 8: path = folder_ + QStringLiteral("/missing.zdk"); break;
        }
        if (kind < 7)
            writeFile(path, bytes);
        ++counts["damaged file refused"];
        seams().messages.clear();
        seams().fileChoices.push_back(path);
        game().mnuOpenGame_Click();
        if (seams().messages.size() != 1)
            fail("a damaged file (kind " + std::to_string(kind) + ") gave " + std::to_string(seams().messages.size()) + " messages");
        else if (!seams().messages[0].prompt.contains(path))
            fail("the message about a damaged file does not name it: " + seams().messages[0].prompt.toStdString());
        if (!(snapshot() == before))
            fail("a damaged file (kind " + std::to_string(kind) + ") changed the game");
    }

    void open(const QString& path)
    {
        seams().messages.clear();
        seams().fileChoices.push_back(path);
        game().mnuOpenGame_Click();
        gameOver_ = false;
        if (!seams().messages.empty())
            fail("opening a good file spoke: " + seams().messages[0].prompt.toStdString());
    }

    void expectOpened(const SavedBoard& b, const std::string& what)
    {
        const Snapshot s = snapshot();
        if (s.cards != b.cards || s.visible != b.visible || s.tries != b.tries || s.matches != b.matches)
            fail(what + " came back different");
        if (std::count(s.faceUp.begin(), s.faceUp.end(), true) != 0 || s.timer || s.clickCount != 0)
            fail(what + " did not come back face down and at rest");
    }

    void viewHighScores()
    {
        driver_.start();
        game().mnuHighScores_Click();
        driver_.stop();
        if (frmHighScores->IsLoaded())
            fail("the high-score window stayed open");
    }

    // Runs inside the high-score window's wait: plays its commands, then
    // closes it.
    void driveHighScores()
    {
        FrmHighScores& hs = *frmHighScores;
        if (!hs.IsLoaded())
            return;
        const bool entering = hs.btnSave->isVisible() && hs.btnSave->isEnabled();
        if (entering != hs.EndWithHighScores)
            fail("the high-score window is in the wrong mode");
        checkTable("the high-score window opened");
        if (entering) {
            const int rank = hs.NewScorePos;
            if (hs.Scores(rank) != vb::CStr(game().Tries))
                fail("the new score is not at its rank");
            if (chance(15)) {
                hs.mnuExit_Click();  // closed without a name
                ++counts["new entry left unnamed"];
                return;
            }
            const NameForm& name = names()[static_cast<std::size_t>(pick(static_cast<int>(names().size())))];
            hs.txtPlayer->setText(name.typed);
            seams().messages.clear();
            hs.btnSave->click();
            if (!seams().messages.empty())
                fail("Save spoke: " + seams().messages[0].prompt.toStdString());
            if (hs.Player(rank) != name.held || hs.Score(rank) != vb::CStr(game().Tries))
                fail("Save did not keep the new entry");
            checkStore("after Save");
            ++counts["high score saved"];
        }
        if (hs.btnClear->isEnabled() && chance(35)) {
            const bool yes = chance(50);
            std::vector<QString> before;
            for (int r = 1; r <= 10; ++r) {
                before.push_back(hs.Player(r));
                before.push_back(hs.Score(r));
            }
            seams().answers.push_back(yes ? vb::vbYes : vb::vbNo);
            hs.btnClear->click();
            for (int r = 1; r <= 10; ++r) {
                const QString p = yes ? QStringLiteral("Anonymous") : before[static_cast<std::size_t>(2 * r - 2)];
                const QString s = yes ? QStringLiteral("99999") : before[static_cast<std::size_t>(2 * r - 1)];
                if (hs.Player(r) != p || hs.Score(r) != s)
                    fail(yes ? "Clear left an entry" : "Clear answered No changed the table");
            }
            if (yes)
                checkStore("after Clear");
            ++counts[yes ? "table cleared" : "clear refused"];
        }
        checkTable("before OK");
        if (hs.btnOK->isEnabled())
            hs.btnOK->click();
        else
            hs.mnuExit_Click();
    }

    // ---- the invariants --------------------------------------------------------------

    Snapshot snapshot()
    {
        FrmQuorvaneConcentration& g = game();
        Snapshot s;
        for (int i = 0; i <= 53; ++i) {
            s.cards.push_back(g.Cards(i));
            s.visible.push_back(g.imgCard(i).isVisible());
            s.faceUp.push_back(g.imgCard(i).isVisible() && g.imgCard(i).Picture() != back_);
        }
        s.tries = g.Tries;
        s.matches = g.Matches;
        s.clickCount = g.ClickCount;
        s.cardUp = g.CardUp;
        s.firstCard = g.FirstCard;
        s.secondCard = g.SecondCard;
        s.timer = g.Timer1->Enabled();
        s.saveMenu = g.mnuSaveGame->Enabled();
        s.saveButton = g.Toolbar1->Buttons(3).Enabled();
        s.p2 = g.StatusBar1->Panels(2).text();
        s.p5 = g.StatusBar1->Panels(5).text();
        s.p7 = g.StatusBar1->Panels(7).text();
        return s;
    }

    void check(const std::string& after)
    {
        if (!failure_.empty()) {
            failure_ = after + ": " + failure_;
            return;
        }
        const Snapshot s = snapshot();

        std::vector<int> sorted = s.cards;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> deck(54);
        std::iota(deck.begin(), deck.end(), 1);
        if (sorted != deck)
            return fail(after + ": the cards are not the deck of 54");

        std::map<int, int> hiddenByValue;
        int hidden = 0;
        for (int i = 0; i < 54; ++i) {
            if (!s.visible[static_cast<std::size_t>(i)]) {
                ++hiddenByValue[pairValue(s.cards[static_cast<std::size_t>(i)])];
                ++hidden;
            }
        }
        for (const auto& [value, n] : hiddenByValue)
            if (n != 2)
                return fail(after + ": a removed card without its partner (pair value " + std::to_string(value) + ")");
        if (s.matches != hidden / 2)
            return fail(after + ": Matches is " + std::to_string(s.matches) + " with " + std::to_string(hidden / 2) + " pairs removed");

        if (s.p2 != vb::CStr(s.tries) || s.p5 != vb::CStr(s.matches) || s.p7 != vb::CStr(27 - s.matches))
            return fail(after + ": the panels do not show the counters");

        if (s.saveMenu != s.saveButton)
            return fail(after + ": the Save menu item and button disagree");
        const bool saveExpected = s.cardUp != 1 && !gameOver_;
        if (s.saveMenu != saveExpected)
            return fail(after + ": Save is " + (s.saveMenu ? "enabled" : "disabled") + " against its rule");

        const long up = std::count(s.faceUp.begin(), s.faceUp.end(), true);
        const long upExpected = s.timer ? 2 : (s.cardUp == 1 ? 1 : 0);
        if (up > 2 || up != upExpected)
            return fail(after + ": " + std::to_string(up) + " cards face up, the turn says " + std::to_string(upExpected));

        checkTable(after);
    }

    void checkTable(const std::string& after)
    {
        double last = -1;
        for (int r = 1; r <= 10; ++r) {
            const QString score = frmHighScores->Score(r);
            if (score.isEmpty())
                return fail(after + ": rank " + std::to_string(r) + " has no score");
            const double v = ScoreValue(score);
            if (v < last)
                return fail(after + ": the high-score table is out of rank order at rank " + std::to_string(r));
            last = v;
        }
    }

    // The next start would load the table the player sees.
    void checkStore(const std::string& after)
    {
        for (int r = 1; r <= 10; ++r) {
            const QString key = QString::fromLatin1(kHighScoreKey);
            const QString p = vb::VariantToText(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, key, QStringLiteral("Player%1").arg(r)));
            const QString s = vb::VariantToText(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, key, QStringLiteral("Score%1").arg(r)));
            if (p != storedForm(frmHighScores->Player(r)) || s != frmHighScores->Score(r))
                return fail(after + ": the store holds \"" + p.toStdString() + "\" " + s.toStdString() + " at rank "
                            + std::to_string(r));
        }
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    std::mt19937 rng_;
    QString folder_;
    const vb::StdPicture back_ = vb::LoadResPicture(quorvane::pictures::cardResourcePath(60));
    QTimer driver_;
    bool gameOver_ = false;
    std::map<QString, SavedBoard> saved_;
    std::string failure_;
};

int Player::sequencesPlayed = 0;
long Player::stepsPlayed = 0;
std::map<std::string, int> Player::counts;

int envNumber(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

}  // namespace

TEST(RandomPlay, EveryStepKeepsTheGameWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // No real tick may fall between two steps: the sequence alone drives the timer.
    vb::seams::setTimerScale(10000.0);
    game().Load();
    game().Show();

    const int only = envNumber("QUORVANE_PLAY_SEED", 0);
    const int sequences = envNumber("QUORVANE_PLAY_SEQUENCES", 2000);
    const int first = only > 0 ? only : 1;
    const int last = only > 0 ? only : sequences;
    QElapsedTimer timer;
    timer.start();
    for (int seed = first; seed <= last; ++seed) {
        Player player(static_cast<std::uint32_t>(seed), dir.path());
        const std::string failure = player.play(40);
        ++Player::sequencesPlayed;
        ASSERT_TRUE(failure.empty()) << "seed " << seed << ", " << failure
                                     << "\n  replay with QUORVANE_PLAY_SEED=" << seed;
    }
    RecordProperty("sequences", Player::sequencesPlayed);
    RecordProperty("steps", static_cast<int>(Player::stepsPlayed));
    std::printf("played %d sequences, %ld steps, in %lld ms\n", Player::sequencesPlayed, Player::stepsPlayed,
                static_cast<long long>(timer.elapsed()));
    for (const auto& [what, n] : Player::counts)
        std::printf("  %s: %d\n", what.c_str(), n);
}
