#include "GameFixture.h"
#include "GameRecord.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_seams::seams;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

std::int16_t word(const QByteArray& b, int offset)
{
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(b[offset]) | (static_cast<std::uint8_t>(b[offset + 1]) << 8));
}

// A record in which cell i holds card number i + 1.
GameRecord orderedRecord(std::int16_t tries, std::int16_t matches)
{
    GameRecord r;
    for (int i = 0; i < 54; ++i) {
        r.Cards[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i + 1);
        r.CardVisible[static_cast<std::size_t>(i)] = -1;
    }
    r.Tries = tries;
    r.Matches = matches;
    return r;
}

}  // namespace

class SavedGames : public GameWindowTest {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    void save(const QString& file)
    {
        seams().fileChoices.push_back(file);
        g.mnuSaveGame_Click();
    }
    void open(const QString& file)
    {
        seams().fileChoices.push_back(file);
        g.mnuOpenGame_Click();
    }

    struct Snapshot {
        std::vector<int> cards;
        std::vector<bool> visible;
        std::vector<const void*> pictures;
        int tries, matches, clickCount, cardUp;
        bool timer, save;
        QString p2, p5, p7;
        bool operator==(const Snapshot& o) const
        {
            return cards == o.cards && visible == o.visible && pictures == o.pictures && tries == o.tries
                   && matches == o.matches && clickCount == o.clickCount && cardUp == o.cardUp && timer == o.timer
                   && save == o.save && p2 == o.p2 && p5 == o.p5 && p7 == o.p7;
        }
    };
    Snapshot snapshot()
    {
        Snapshot s;
        for (int i = 0; i <= 53; ++i) {
            s.cards.push_back(g.Cards(i));
            s.visible.push_back(g.imgCard(i).isVisible());
            s.pictures.push_back(g.imgCard(i).Picture().get());
        }
        s.tries = g.Tries;
        s.matches = g.Matches;
        s.clickCount = g.ClickCount;
        s.cardUp = g.CardUp;
        s.timer = g.Timer1->Enabled();
        s.save = saveEnabled();
        s.p2 = panel(2);
        s.p5 = panel(5);
        s.p7 = panel(7);
        return s;
    }
};

TEST_F(SavedGames, SaveThenOpenBringsBackTheBoardFaceDown)
{
    playPair(5);
    playPair(53);
    turn(cellOf(1), cellOf(2));  // a mismatch counts a try
    click(cellOf(3));            // a card left face up is saved face down
    g.NewGame();                 // Save is enabled again; start from a known game
    playPair(5);
    playPair(53);
    turn(cellOf(1), cellOf(2));
    const std::vector<int> cards = snapshot().cards;
    const std::vector<bool> visible = snapshot().visible;
    save(path(QStringLiteral("a.zdk")));
    EXPECT_TRUE(seams().messages.empty());

    g.NewGame();
    open(path(QStringLiteral("a.zdk")));
    const Snapshot s = snapshot();
    EXPECT_EQ(s.cards, cards);
    EXPECT_EQ(s.visible, visible);
    for (int i = 0; i <= 53; ++i)
        EXPECT_EQ(g.imgCard(i).Picture(), back()) << i;
    EXPECT_EQ(g.Tries, 3);
    EXPECT_EQ(g.Matches, 2);
    EXPECT_EQ(panel(2), QStringLiteral("3"));
    EXPECT_EQ(panel(5), QStringLiteral("2"));
    EXPECT_EQ(panel(7), QStringLiteral("25"));
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(saveButtonEnabled());
    EXPECT_EQ(g.ClickCount, 0);
    EXPECT_EQ(g.CardUp, 0);
}

TEST_F(SavedGames, RecordLayoutIsLittleEndianSixteenBitWords)
{
    playPair(9);
    save(path(QStringLiteral("b.zdk")));
    const QByteArray bytes = readAll(path(QStringLiteral("b.zdk")));
    ASSERT_EQ(bytes.size(), 220);
    for (int i = 0; i < 54; ++i) {
        EXPECT_EQ(word(bytes, 2 * i), g.Cards(i)) << i;
        const bool visible = g.imgCard(i).isVisible();
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[108 + 2 * i]), visible ? 0xFF : 0x00) << i;
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[109 + 2 * i]), visible ? 0xFF : 0x00) << i;
    }
    EXPECT_EQ(word(bytes, 216), 1);
    EXPECT_EQ(word(bytes, 218), 1);

    // A hand-built record with a large try count and a visibility word of 1.
    GameRecord r = orderedRecord(300, 0);
    r.CardVisible[7] = 1;
    r.CardVisible[8] = 0;
    QByteArray built = r.encode();
    EXPECT_EQ(static_cast<std::uint8_t>(built[216]), 0x2C);
    EXPECT_EQ(static_cast<std::uint8_t>(built[217]), 0x01);
    writeAll(path(QStringLiteral("c.zdk")), built);
    open(path(QStringLiteral("c.zdk")));
    EXPECT_EQ(g.Tries, 300);
    EXPECT_TRUE(g.imgCard(7).isVisible()) << "any non-zero word is on the board";
    EXPECT_FALSE(g.imgCard(8).isVisible());
    EXPECT_EQ(g.Cards(53), 54);
}

TEST_F(SavedGames, LongerFilesKeepTheirTailAndOpenFromTheirFirstRecord)
{
    const QString file = path(QStringLiteral("long.zdk"));
    QByteArray longer = orderedRecord(12, 4).encode() + QByteArray(420, 'x') + QByteArray("tail");
    writeAll(file, longer);
    open(file);
    EXPECT_EQ(g.Tries, 12);
    EXPECT_EQ(g.Matches, 4);
    EXPECT_EQ(panel(7), QStringLiteral("23"));

    g.NewGame();
    save(file);
    const QByteArray after = readAll(file);
    ASSERT_EQ(after.size(), longer.size());
    EXPECT_EQ(after.mid(220), longer.mid(220));
    EXPECT_EQ(word(after, 216), 0);
}

TEST_F(SavedGames, OpeningDuringAPendingResolutionDropsIt)
{
    const QString file = path(QStringLiteral("d.zdk"));
    writeAll(file, orderedRecord(5, 0).encode());
    const int a = cellOf(4);
    const int b = cellOf(30);
    click(a);
    click(b);
    ASSERT_TRUE(g.Timer1->Enabled());
    open(file);
    EXPECT_FALSE(g.Timer1->Enabled());
    QTest::qWait(900);
    EXPECT_EQ(g.Matches, 0);
    for (int i = 0; i <= 53; ++i)
        ASSERT_TRUE(g.imgCard(i).isVisible());
}

TEST_F(SavedGames, OpeningAfterGameOverEnablesSaveAndPlayGoesOn)
{
    frmHighScores->Score10 = QStringLiteral("1");  // no high-score window
    for (int v = 1; v <= 26; ++v)
        playPair(v);
    playPair(53);
    ASSERT_FALSE(saveEnabled());

    const QString file = path(QStringLiteral("e.zdk"));
    GameRecord r = orderedRecord(40, 26);
    for (int i = 0; i < 52; ++i)
        r.CardVisible[static_cast<std::size_t>(i)] = 0;  // only the jokers remain
    writeAll(file, r.encode());
    open(file);
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(saveButtonEnabled());
    EXPECT_EQ(panel(7), QStringLiteral("1"));
    seams().messages.clear();
    turn(52, 53);
    EXPECT_EQ(g.Matches, 27) << "the 27th pair of an opened game ends it";
    EXPECT_EQ(seams().messageTexts(), QStringList{QStringLiteral("Game Over!")});
}

TEST_F(SavedGames, InvalidRecordsAreRefusedAndTheGameGoesOnUnchanged)
{
    playPair(2);
    click(cellOf(3));
    click(cellOf(4));  // a resolution is pending
    const Snapshot before = snapshot();

    GameRecord badCard = orderedRecord(1, 0);
    badCard.Cards[10] = 55;
    GameRecord zeroCard = orderedRecord(1, 0);
    zeroCard.Cards[0] = 0;
    GameRecord badMatches = orderedRecord(1, 28);
    GameRecord negativeMatches = orderedRecord(1, -1);
    GameRecord negativeTries = orderedRecord(-5, 0);
    const QList<QByteArray> bad = {orderedRecord(1, 0).encode().left(219), QByteArray(), badCard.encode(),
                                   zeroCard.encode(), badMatches.encode(), negativeMatches.encode(),
                                   negativeTries.encode()};
    int n = 0;
    for (const QByteArray& bytes : bad) {
        const QString file = path(QStringLiteral("bad%1.zdk").arg(n++));
        writeAll(file, bytes);
        seams().messages.clear();
        open(file);
        ASSERT_EQ(seams().messages.size(), 1u) << n;
        EXPECT_TRUE(seams().messages[0].prompt.contains(file)) << seams().messages[0].prompt.toStdString();
        EXPECT_TRUE(seams().messages[0].prompt.contains(QStringLiteral("not a valid saved game")));
        EXPECT_TRUE(snapshot() == before) << "record " << n;
    }
    g.Timer1->Tick();
    EXPECT_EQ(g.ClickCount, 0) << "the pending resolution still runs";
}

TEST_F(SavedGames, UnreadableAndUnwritablePathsAreReportedByName)
{
    const Snapshot before = snapshot();
    const QString missingFolder = path(QStringLiteral("no/such/folder/game.zdk"));
    save(missingFolder);
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_TRUE(seams().messages[0].prompt.contains(missingFolder));
    EXPECT_TRUE(seams().messages[0].prompt.contains(QStringLiteral("could not be saved")));

    seams().messages.clear();
    open(path(QStringLiteral("missing.zdk")));
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_TRUE(seams().messages[0].prompt.contains(QStringLiteral("could not be opened")));

    seams().messages.clear();
    open(dir.path());  // a folder is no game file
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(SavedGames, PipesAndDevicesAreRefusedAtOnce)
{
    const QString pipe = path(QStringLiteral("pipe.zdk"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Should the game wait on the pipe after all, this writer ends the wait
    // so that the test fails instead of hanging.
    std::promise<void> finished;
    std::thread unblock([pipe, done = finished.get_future()] {
        if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
            return;
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0) {
            const QByteArray record = orderedRecord(1, 0).encode();
            [[maybe_unused]] const ssize_t n = ::write(fd, record.constData(), static_cast<size_t>(record.size()));
            std::this_thread::sleep_for(std::chrono::seconds(1));
            ::close(fd);
        }
    });
    click(cellOf(3));
    click(cellOf(4));  // a resolution is pending
    const Snapshot before = snapshot();

    QElapsedTimer timer;
    timer.start();
    for (const QString& file : {pipe, QStringLiteral("/dev/zero"), QStringLiteral("/dev/null")}) {
        seams().messages.clear();
        open(file);
        ASSERT_EQ(seams().messages.size(), 1u) << file.toStdString();
        EXPECT_EQ(seams().messages[0].prompt, QStringLiteral("\"%1\" is not a valid saved game.").arg(file));
        EXPECT_TRUE(snapshot() == before) << file.toStdString();

        seams().messages.clear();
        save(file);
        ASSERT_EQ(seams().messages.size(), 1u) << file.toStdString();
        EXPECT_EQ(seams().messages[0].prompt,
                  QStringLiteral("The game could not be saved to \"%1\": it is not a regular file.").arg(file));
    }
    EXPECT_LT(timer.elapsed(), 3000) << "the game waited on a pipe";
    finished.set_value();
    unblock.join();
    g.Timer1->Tick();
    EXPECT_EQ(g.ClickCount, 0) << "the pending resolution still runs";
}

TEST_F(SavedGames, CancelIsSilentAndLeavesAPendingResolutionRunning)
{
    click(cellOf(6));
    click(cellOf(32));
    const Snapshot before = snapshot();
    g.mnuSaveGame_Click();  // no choice scripted: Cancel
    g.mnuOpenGame_Click();
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_TRUE(snapshot() == before);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<int>(g.Matches) == 1; }, 1500));
}

TEST_F(SavedGames, EachDialogHasItsOwnFilterFlagsAndRemembersItsOwnName)
{
    save(path(QStringLiteral("first.zdk")));
    open(path(QStringLiteral("first.zdk")));
    g.mnuSaveGame_Click();
    g.mnuOpenGame_Click();
    ASSERT_EQ(seams().fileDialogs.size(), 4u);
    const auto& s = seams().fileDialogs[0];
    EXPECT_TRUE(s.save);
    EXPECT_EQ(s.flags, 1026);
    EXPECT_EQ(s.filter, QStringLiteral("Quorvane Concentration Games (*.zdk)"));
    EXPECT_TRUE(s.fileName.isEmpty());
    EXPECT_FALSE(seams().fileDialogs[1].save);
    EXPECT_EQ(seams().fileDialogs[1].flags, 4096);
    EXPECT_TRUE(seams().fileDialogs[1].fileName.isEmpty()) << "the open dialog remembers only its own";
    EXPECT_EQ(seams().fileDialogs[2].fileName, path(QStringLiteral("first.zdk")));
    EXPECT_EQ(seams().fileDialogs[3].fileName, path(QStringLiteral("first.zdk")));
}

TEST_F(SavedGames, AGameSavedWhileTheWindowIsHiddenKeepsItsCells)
{
    playPair(11);
    g.window()->hide();  // minimised or covered: the cells keep their own state
    save(path(QStringLiteral("hidden.zdk")));
    const QByteArray bytes = readAll(path(QStringLiteral("hidden.zdk")));
    ASSERT_EQ(bytes.size(), 220);
    int onBoard = 0;
    for (int i = 0; i < 54; ++i)
        onBoard += word(bytes, 108 + 2 * i) == -1;
    EXPECT_EQ(onBoard, 52);
}
