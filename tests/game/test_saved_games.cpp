#include "GameFixture.h"
#include "GameRecord.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <future>
#include <initializer_list>
#include <thread>

#include <fcntl.h>
#include <sys/mount.h>
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

// The record with both cards of each given pair value taken off the board.
GameRecord withoutPairs(GameRecord r, std::initializer_list<int> pairValues)
{
    for (std::size_t i = 0; i < 54; ++i)
        for (int v : pairValues)
            if (FrmQuorvaneConcentration::PairValue(r.Cards[i]) == v)
                r.CardVisible[i] = 0;
    return r;
}

// Writes a record into a pipe after five seconds, so that an open that
// waits on the pipe is released and the test fails instead of hanging. The
// thread ends on every way out of the test, a failed assertion included.
class PipeReleaser {
public:
    explicit PipeReleaser(const QString& pipe)
        : thread_([path = QFile::encodeName(pipe), done = stop_.get_future()] {
              if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
                  return;
              const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK);
              if (fd >= 0) {
                  const QByteArray record = orderedRecord(1, 0).encode();
                  [[maybe_unused]] const ssize_t n = ::write(fd, record.constData(), static_cast<size_t>(record.size()));
                  std::this_thread::sleep_for(std::chrono::seconds(1));
                  ::close(fd);
              }
          })
    {
    }
    ~PipeReleaser()
    {
        stop_.set_value();
        thread_.join();
    }
    PipeReleaser(const PipeReleaser&) = delete;
    PipeReleaser& operator=(const PipeReleaser&) = delete;

private:
    std::promise<void> stop_;
    std::thread thread_;
};

// A 64 KiB tmpfs mounted on a folder for one test (root only), unmounted on
// every way out of it.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder) : path_(QFile::encodeName(folder))
    {
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", path_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(path_.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

    // Writes one file until the disk has no page left; true once a write
    // has failed for want of space.
    bool fill()
    {
        const QByteArray filler = path_ + "/filler";
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray page(4096, 'f');
        bool full = false;
        for (int i = 0; i < 1024 && !full; ++i)
            full = ::write(fd, page.constData(), static_cast<size_t>(page.size())) < 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }

private:
    QByteArray path_;
    bool mounted_ = false;
};

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
    // Saved in the 750 ms before a pair leaves: both cards still on the
    // board, the try counted, the pair not yet.
    click(cellOf(7));
    click(cellOf(33));
    const std::vector<int> cards = snapshot().cards;
    const std::vector<bool> visible = snapshot().visible;
    save(path(QStringLiteral("a.zdk")));
    EXPECT_TRUE(seams().messages.empty());

    g.NewGame();
    open(path(QStringLiteral("a.zdk")));
    EXPECT_TRUE(seams().messages.empty()) << seams().messages[0].prompt.toStdString();
    const Snapshot s = snapshot();
    EXPECT_EQ(s.cards, cards);
    EXPECT_EQ(s.visible, visible);
    for (int i = 0; i <= 53; ++i)
        EXPECT_EQ(g.imgCard(i).Picture(), back()) << i;
    EXPECT_EQ(g.Tries, 4);
    EXPECT_EQ(g.Matches, 2);
    EXPECT_EQ(panel(2), QStringLiteral("4"));
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

    // A hand-built record with a try count above one byte and a cell of word 1.
    GameRecord r = orderedRecord(300, 0);
    r.CardVisible[7] = 1;
    QByteArray built = r.encode();
    EXPECT_EQ(static_cast<std::uint8_t>(built[216]), 0x2C);
    EXPECT_EQ(static_cast<std::uint8_t>(built[217]), 0x01);
    writeAll(path(QStringLiteral("c.zdk")), built);
    open(path(QStringLiteral("c.zdk")));
    EXPECT_EQ(g.Tries, 300);
    EXPECT_TRUE(g.imgCard(7).isVisible()) << "any non-zero word is on the board";
    EXPECT_EQ(g.imgCard(7).Picture(), back()) << "face down, as -1 is";
    EXPECT_EQ(g.Cards(53), 54);
}

TEST_F(SavedGames, LongerFilesKeepTheirTailAndOpenFromTheirFirstRecord)
{
    const QString file = path(QStringLiteral("long.zdk"));
    QByteArray longer = withoutPairs(orderedRecord(12, 4), {2, 3, 4, 5}).encode() + QByteArray(420, 'x') + QByteArray("tail");
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

TEST_F(SavedGames, RecordsNoPlayCanReachAreRefusedAndTheGameGoesOnUnchanged)
{
    playPair(2);
    click(cellOf(3));
    click(cellOf(4));  // a resolution is pending
    const Snapshot before = snapshot();

    GameRecord badCard = orderedRecord(1, 0);
    badCard.Cards[10] = 55;
    GameRecord zeroCard = orderedRecord(1, 0);
    zeroCard.Cards[0] = 0;
    GameRecord notAPair = orderedRecord(1, 1);
    notAPair.CardVisible[0] = 0;  // cards 1 and 2: two removed cells, but no pair
    notAPair.CardVisible[1] = 0;
    const struct {
        const char* what;
        QByteArray bytes;
    } bad[] = {
        {"short", orderedRecord(1, 0).encode().left(219)},
        {"empty", QByteArray()},
        {"card 55", badCard.encode()},
        {"card 0", zeroCard.encode()},
        {"28 pairs", orderedRecord(1, 28).encode()},
        {"-1 pairs", orderedRecord(1, -1).encode()},
        {"-5 tries", orderedRecord(-5, 0).encode()},
        {"removed cells no pair", notAPair.encode()},
        {"26 pairs, all 54 cards on the board", orderedRecord(30, 26).encode()},
        {"a pair removed, none counted", withoutPairs(orderedRecord(5, 0), {1}).encode()},
        {"fewer tries than pairs", withoutPairs(orderedRecord(0, 1), {1}).encode()},
    };
    int n = 0;
    for (const auto& record : bad) {
        SCOPED_TRACE(record.what);
        const QString file = path(QStringLiteral("bad%1.zdk").arg(n++));
        writeAll(file, record.bytes);
        seams().messages.clear();
        const Snapshot prior = snapshot();  // each record meets the board as it is
        open(file);
        EXPECT_EQ(seams().messages.size(), 1u);
        if (!seams().messages.empty()) {
            EXPECT_EQ(seams().messages[0].prompt, QStringLiteral("\"%1\" is not a valid saved game.").arg(file));
        }
        EXPECT_TRUE(snapshot() == prior);
    }
    EXPECT_TRUE(snapshot() == before);
    g.Timer1->Tick();
    EXPECT_EQ(g.ClickCount, 0) << "the pending resolution still runs";

    // A game some play reaches: three pairs found, among them the two
    // jokers and the last rank, in seven tries.
    const QString reachable = path(QStringLiteral("reachable.zdk"));
    writeAll(reachable, withoutPairs(orderedRecord(7, 3), {1, 26, 53}).encode());
    seams().messages.clear();
    open(reachable);
    EXPECT_TRUE(seams().messages.empty()) << seams().messages[0].prompt.toStdString();
    EXPECT_EQ(g.Tries, 7);
    EXPECT_EQ(g.Matches, 3);
    EXPECT_EQ(panel(7), QStringLiteral("24"));
    for (int i = 0; i <= 53; ++i) {
        const bool removed = i == 0 || i == 26 || i == 25 || i == 51 || i == 52 || i == 53;
        EXPECT_EQ(g.imgCard(i).isVisible(), !removed) << i;
    }
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

// Opening a pipe would wait for a writer, so only the pipe shows that Open
// refuses without reading. Opening /dev/zero or /dev/null would end in the
// same message by reading zeros or nothing; for them the Save message is
// what shows the refusal (a save would otherwise vanish into the device).
TEST_F(SavedGames, APipeIsRefusedWithoutWaitingAndDevicesAreNeverWritten)
{
    const QString pipe = path(QStringLiteral("pipe.zdk"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const PipeReleaser releaser(pipe);
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
    EXPECT_LT(timer.elapsed(), 3000) << "the game waited on the pipe";
    g.Timer1->Tick();
    EXPECT_EQ(g.ClickCount, 0) << "the pending resolution still runs";
}

TEST_F(SavedGames, AFailedSaveTakesAwayTheFileItMadeAndKeepsOneThatWasThere)
{
    const QString folder = path(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkdir(folder));
    SmallDisk disk(folder);
    if (!disk.mounted())
        GTEST_SKIP() << "a full disk needs root and a tmpfs mount";
    // Empty, so that a record written into it needs a page the disk no
    // longer has.
    const QString existing = folder + QStringLiteral("/existing.zdk");
    writeAll(existing, QByteArray());
    const QString link = folder + QStringLiteral("/link.zdk");  // to a missing file
    ASSERT_EQ(::symlink("target.zdk", QFile::encodeName(link).constData()), 0);
    ASSERT_TRUE(disk.fill());

    const struct {
        QString chosen, file;  // the name saved to, and the file it leads to
        bool there;            // whether that file must still be there
        const char* fault;
    } cases[] = {
        {folder + QStringLiteral("/fresh.zdk"), folder + QStringLiteral("/fresh.zdk"), false, "an empty file was left behind"},
        {existing, existing, true, "a file that was there before was taken away"},
        {link, folder + QStringLiteral("/target.zdk"), false, "an empty file was left behind the link"},
    };
    for (const auto& c : cases) {
        seams().messages.clear();
        save(c.chosen);
        ASSERT_EQ(seams().messages.size(), 1u);
        EXPECT_EQ(seams().messages[0].prompt,
                  QStringLiteral("The game could not be saved to \"%1\": No space left on device.").arg(c.chosen));
        EXPECT_EQ(QFileInfo::exists(c.file), c.there) << c.fault;
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link was taken away";
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
