// The game's files under faults: a copy of the program killed (SIGKILL) at
// random moments while it saves a game or the high scores, two copies saving
// the high scores at the same time, and a store folder it may not write.
//
// The copies are this test program itself, started again to run the
// disabled Writer test below in the mode that the environment names.
#include "GameRecord.h"
#include "Platform.h"
#include "QuorvaneConcentrationModule.h"
#include "RegistryStore.h"
#include "StartupLoad.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <random>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_seams::seams;

namespace {

const QString kNotSaved = QStringLiteral("The high scores could not be saved.");
constexpr int kKills = 30;  // per kind of save

// The twenty values in the order Save writes them.
QStringList valueNames()
{
    QStringList names;
    for (int i = 1; i <= 10; ++i)
        names << QStringLiteral("Player%1").arg(i);
    for (int i = 1; i <= 10; ++i)
        names << QStringLiteral("Score%1").arg(i);
    return names;
}

QStringList memberTable()
{
    QStringList table;
    for (const QString& name : valueNames())
        table << *frmHighScores->Member(name);
    return table;
}

void say(const QByteArray& line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray env(const char* name) { return qgetenv(name); }

// ---- the copy's side -------------------------------------------------------------

// High-score saves and clears until told how many, announcing each table
// before its writes begin and once they are done.
int writeScores()
{
    const QByteArray tag = env("QUORVANE_CHILD_TAG");
    const int count = env("QUORVANE_CHILD_COUNT").toInt();
    LoadHighScoreTable();
    for (int i = 0; count == 0 || i < count; ++i) {
        seams().messages.clear();
        const int tries = 10 + (i * 7) % 50;
        if (i % 6 == 5 || ScoreValue(frmHighScores->Score10) <= tries) {
            frmHighScores->EndWithHighScores = false;
            frmHighScores->Load();
            QStringList next;
            for (int r = 1; r <= 10; ++r)
                next << QStringLiteral("Anonymous");
            for (int r = 1; r <= 10; ++r)
                next << QStringLiteral("99999");
            say("begin " + next.join(u'\t').toUtf8());
            seams().answers.push_back(vb::vbYes);
            frmHighScores->btnClear->click();
        } else {
            frmQuorvaneConcentration->Tries = static_cast<std::int16_t>(tries);
            frmHighScores->EndWithHighScores = true;
            frmHighScores->Load();
            if (frmHighScores->btnSave->isHidden())
                return 4;  // the score made no rank: the plan above is wrong
            const QString name = QString::fromLatin1(tag) + QString::number(i);
            QStringList next;
            for (int r = 1; r <= 10; ++r)
                next << (r == frmHighScores->NewScorePos ? name : frmHighScores->Players(r));
            for (int r = 1; r <= 10; ++r)
                next << frmHighScores->Scores(r);
            say("begin " + next.join(u'\t').toUtf8());
            frmHighScores->txtPlayer->setText(name);
            frmHighScores->btnSave->click();
        }
        frmHighScores->Unload();
        for (const auto& m : seams().messages) {
            if (m.prompt == kNotSaved) {
                say("message " + m.prompt.toUtf8());
                return 3;
            }
        }
        say("done " + memberTable().join(u'\t').toUtf8());
    }
    return 0;
}

// Game saves over one file, each a new deal.
int writeGames()
{
    const QString file = QString::fromLocal8Bit(env("QUORVANE_CHILD_FILE"));
    FrmQuorvaneConcentration& g = *frmQuorvaneConcentration;
    g.Load();
    for (int i = 0;; ++i) {
        g.NewGame();
        g.imgCard_Click(0);
        g.imgCard_Click(1);
        g.Timer1->Tick();  // sometimes a pair: cells removed, Matches 1
        GameRecord r;
        for (int c = 0; c <= 53; ++c) {
            r.Cards[static_cast<std::size_t>(c)] = g.Cards(c);
            r.CardVisible[static_cast<std::size_t>(c)] = g.imgCard(c).isHidden() ? 0 : -1;
        }
        r.Tries = g.Tries;
        r.Matches = g.Matches;
        say("begin " + r.encode().toHex());
        seams().fileChoices.push_back(file);
        seams().messages.clear();
        g.mnuSaveGame_Click();
        if (!seams().messages.empty())
            return 3;
        say("done " + r.encode().toHex());
    }
}

// Loads the table and opens name entry, waits until the test says go, then
// saves one entry: a copy whose player typed a name while another copy saved.
int saveLate()
{
    LoadHighScoreTable();
    frmQuorvaneConcentration->Tries = static_cast<std::int16_t>(env("QUORVANE_CHILD_TRIES").toInt());
    frmHighScores->EndWithHighScores = true;
    frmHighScores->Load();
    say("loaded");
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 8;
    if (frmHighScores->btnSave->isHidden())
        return 4;
    frmHighScores->txtPlayer->setText(QString::fromUtf8(env("QUORVANE_CHILD_TAG")));
    seams().messages.clear();
    frmHighScores->btnSave->click();
    if (!seams().messages.empty())
        return 3;
    // The grid in the members' order, then the current cell.
    const vb::Grid* grid = frmHighScores->fgHighScores;
    QStringList shown;
    for (int c = 1; c >= 0; --c)
        for (int r = 1; r <= 10; ++r)
            shown << grid->TextMatrix(r, c);
    shown << QStringLiteral("%1,%2").arg(grid->Row()).arg(grid->Col());
    say("done " + memberTable().join(u'\t').toUtf8());
    say("grid " + shown.join(u'\t').toUtf8());
    return 0;
}

// Drops root, so that permissions apply, to the user nobody (a member of
// the group the test names, if any), then saves one entry: refused with the
// message, or saved without one, as the test expects.
int saveAsAnotherUser()
{
    const gid_t group = env("QUORVANE_CHILD_GROUP").isEmpty() ? 65534 : env("QUORVANE_CHILD_GROUP").toUInt();
    if (geteuid() == 0 && (setgroups(1, &group) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
        return 5;
    const bool refused = env("QUORVANE_CHILD_EXPECT") != "saved";
    LoadHighScoreTable();
    const QStringList said = store::SaveNewEntry(QStringLiteral("Nobody"), 12);
    if (said != (refused ? QStringList{kNotSaved} : QStringList()))
        return 6;
    return (frmHighScores->Player(1) == QStringLiteral("Nobody")) != refused ? 0 : 7;
}

// ---- the test's side -------------------------------------------------------------

class Copy {
public:
    Copy(const QString& mode, const QString& store, QProcessEnvironment extra = QProcessEnvironment())
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QUORVANE_CHILD_MODE"), mode);
        e.insert(QStringLiteral("QUORVANE_CHILD_STORE"), store);
        // What a copy leaves in its temporary folder (a copy that is killed
        // or ends at once removes nothing) goes with the test's own folder.
        const QString temp = QFileInfo(store).absolutePath() + QStringLiteral("/../copies");
        QDir().mkpath(temp);
        e.insert(QStringLiteral("TMPDIR"), temp);
        for (const QString& k : extra.keys())
            e.insert(k, extra.value(k));
        process_.setProcessEnvironment(e);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--gtest_also_run_disabled_tests"),
                        QStringLiteral("--gtest_filter=StorageCopy.DISABLED_Writer")});
    }
    ~Copy()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits until the copy reports its first finished save.
    bool waitForFirstSave() { return waitFor(QStringLiteral("done ")); }

    bool waitFor(const QString& word)
    {
        while (!lines_.join(u'\n').contains(word)) {
            if (!process_.waitForReadyRead(30000))
                return false;
            collect();
        }
        return true;
    }

    void tell(const QByteArray& line) { process_.write(line + '\n'); process_.waitForBytesWritten(5000); }

    void kill()
    {
        process_.kill();  // SIGKILL
        process_.waitForFinished(10000);
        collect();
    }

    bool finish(int* exitCode)
    {
        const bool ok = process_.waitForFinished(120000);
        collect();
        *exitCode = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
        return ok;
    }

    // The table of the last "begin" and the last "done" line.
    QStringList last(const QString& word) const
    {
        for (auto it = lines_.crbegin(); it != lines_.crend(); ++it)
            if (it->startsWith(word + u' '))
                return it->mid(word.size() + 1).split(u'\t');
        return {};
    }

    QString lastLine() const { return lines_.isEmpty() ? QString() : lines_.back(); }

private:
    void collect()
    {
        pending_ += process_.readAllStandardOutput();
        qsizetype nl;
        while ((nl = pending_.indexOf('\n')) >= 0) {
            lines_ << QString::fromUtf8(pending_.left(nl));
            pending_.remove(0, nl + 1);
        }
        // A line cut by the kill is no report.
    }

    QProcess process_;
    QByteArray pending_;
    QStringList lines_;
};

// The twenty values as a freshly parsed store file holds them; empty when
// the file does not parse whole.
std::optional<QStringList> storedTable(const QString& path, QString* why)
{
    std::vector<qsizetype> skipped;
    const auto doc = vb::RegistryDocument::parse(store::ReadFile(path), why, &skipped);
    if (!doc)
        return std::nullopt;
    if (!skipped.empty()) {
        if (why)
            *why = QStringLiteral("%1 lines cannot be read").arg(skipped.size());
        return std::nullopt;
    }
    QStringList table;
    const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromLatin1(kHighScoreKey);
    for (const QString& name : valueNames()) {
        const vb::RegistryValue* v = doc->value(key, name);
        if (!v) {
            table << QString();
        } else if (v->type == vb::REG_DWORD && v->data.size() == 4) {
            std::int32_t n = 0;
            std::memcpy(&n, v->data.constData(), 4);
            table << QString::number(n);
        } else {
            table << QString::fromUtf8(v->data.constData(), qstrnlen(v->data.constData(), v->data.size()));
        }
    }
    return table;
}

class StorageFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        store_ = dir_.filePath(QStringLiteral("store/registry.reg"));
        QDir().mkpath(QFileInfo(store_).absolutePath());
        previous_ = qgetenv("QUORVANE_REGISTRY");
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(store_));
    }
    void TearDown() override { qputenv("QUORVANE_REGISTRY", previous_); }

    QTemporaryDir dir_;
    QString store_;
    QByteArray previous_;
};

}  // namespace

// Not a test by itself: the other copy of the program that the tests below
// start, kill and watch.
TEST(StorageCopy, DISABLED_Writer)
{
    qputenv("QUORVANE_REGISTRY", env("QUORVANE_CHILD_STORE"));
    const QByteArray mode = env("QUORVANE_CHILD_MODE");
    int code = 2;
    if (mode == "scores")
        code = writeScores();
    else if (mode == "games")
        code = writeGames();
    else if (mode == "other user")
        code = saveAsAnotherUser();
    else if (mode == "late")
        code = saveLate();
    std::fflush(nullptr);
    std::_Exit(code);
}

TEST_F(StorageFaults, KilledWhileSavingHighScoresTheStoreParsesAndKeepsItsValues)
{
    std::mt19937 rng(20240611);
    LoadHighScoreTable();  // the defaults, stored
    int killsSurvived = 0, duringWrites = 0;
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        Copy copy(QStringLiteral("scores"), store_);
        ASSERT_TRUE(copy.waitForFirstSave()) << copy.lastLine().toStdString();
        QThread::usleep(std::uniform_int_distribution<int>(0, 60000)(rng));
        copy.kill();
        duringWrites += copy.lastLine().startsWith(QStringLiteral("begin "));

        const QStringList done = copy.last(QStringLiteral("done"));
        const QStringList next = copy.last(QStringLiteral("begin"));
        ASSERT_EQ(done.size(), 20);
        ASSERT_EQ(next.size(), 20);
        QString why;
        const auto stored = storedTable(store_, &why);
        ASSERT_TRUE(stored) << "the store no longer parses: " << why.toStdString();
        // Save stores its twenty values together: whatever the moment, the
        // file holds the whole table saved last or the whole one being saved.
        const bool matches = *stored == done || *stored == next;
        EXPECT_TRUE(matches) << "stored: " << stored->join(u'|').toStdString()
                             << "\nlast saved: " << done.join(u'|').toStdString()
                             << "\nbeing saved: " << next.join(u'|').toStdString();
        ++killsSurvived;
    }
    RecordProperty("kills", killsSurvived);
    std::printf("survived %d kills while saving high scores, %d of them between a save's first and last write\n",
                killsSurvived, duringWrites);
    // The next copy starts from what was left, and its writes still work.
    Copy last(QStringLiteral("scores"), store_,
              [] { QProcessEnvironment e; e.insert(QStringLiteral("QUORVANE_CHILD_COUNT"), QStringLiteral("2")); return e; }());
    int code = -1;
    ASSERT_TRUE(last.finish(&code));
    EXPECT_EQ(code, 0) << last.lastLine().toStdString();
    EXPECT_EQ(storedTable(store_, nullptr).value_or(QStringList()), last.last(QStringLiteral("done")));
}

TEST_F(StorageFaults, KilledWhileSavingAGameTheFileHoldsAWholeRecord)
{
    std::mt19937 rng(7);
    int killsSurvived = 0, duringWrites = 0;
    const QString file = dir_.filePath(QStringLiteral("game.zdk"));
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        QProcessEnvironment e;
        e.insert(QStringLiteral("QUORVANE_CHILD_FILE"), file);
        Copy copy(QStringLiteral("games"), store_, e);
        ASSERT_TRUE(copy.waitForFirstSave()) << copy.lastLine().toStdString();
        QThread::usleep(std::uniform_int_distribution<int>(0, 30000)(rng));
        copy.kill();
        duringWrites += copy.lastLine().startsWith(QStringLiteral("begin "));

        const QByteArray done = QByteArray::fromHex(copy.last(QStringLiteral("done")).value(0).toLatin1());
        const QByteArray next = QByteArray::fromHex(copy.last(QStringLiteral("begin")).value(0).toLatin1());
        const QByteArray onDisk = store::ReadFile(file);
        GameRecord r;
        ASSERT_TRUE(ReadSavedGame(onDisk, &r)) << "the saved game no longer opens";
        EXPECT_TRUE(onDisk.left(GameRecord::kSize) == done || onDisk.left(GameRecord::kSize) == next)
            << "the file holds neither the last saved game nor the one being saved";
        ++killsSurvived;
    }
    RecordProperty("kills", killsSurvived);
    std::printf("survived %d kills while saving games, %d of them inside a save\n", killsSurvived, duringWrites);
}

TEST_F(StorageFaults, TwoCopiesSavingHighScoresAtOnceLoseNeithersWrites)
{
    LoadHighScoreTable();
    QProcessEnvironment a, b;
    a.insert(QStringLiteral("QUORVANE_CHILD_TAG"), QStringLiteral("A"));
    a.insert(QStringLiteral("QUORVANE_CHILD_COUNT"), QStringLiteral("15"));
    b.insert(QStringLiteral("QUORVANE_CHILD_TAG"), QStringLiteral("B"));
    b.insert(QStringLiteral("QUORVANE_CHILD_COUNT"), QStringLiteral("15"));
    Copy first(QStringLiteral("scores"), store_, a);
    Copy second(QStringLiteral("scores"), store_, b);
    int codeA = -1, codeB = -1;
    ASSERT_TRUE(first.finish(&codeA));
    ASSERT_TRUE(second.finish(&codeB));
    EXPECT_EQ(codeA, 0) << "a copy was told its scores were not saved: " << first.lastLine().toStdString();
    EXPECT_EQ(codeB, 0) << "a copy was told its scores were not saved: " << second.lastLine().toStdString();

    // Each save stores a whole table: the file ends with the last table of
    // one copy or the other, never names of one with scores of the other.
    const QStringList lastA = first.last(QStringLiteral("done"));
    const QStringList lastB = second.last(QStringLiteral("done"));
    ASSERT_EQ(lastA.size(), 20);
    ASSERT_EQ(lastB.size(), 20);
    QString why;
    const auto stored = storedTable(store_, &why);
    ASSERT_TRUE(stored) << why.toStdString();
    EXPECT_TRUE(*stored == lastA || *stored == lastB) << stored->join(u'|').toStdString();
}

TEST_F(StorageFaults, ASaveAfterAnotherCopysSaveKeepsBothEntries)
{
    // Ten entries, K1 with 10 tries to K10 with 100.
    {
        QFile f(store_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(store::KeepersStore().replace("Keeper ", "K"));
    }
    const auto table = [](const QString& names, const QString& scores) {
        return names.split(u' ') + scores.split(u' ');
    };
    struct Case {
        const char* what;
        int otherTries;  // the copy that saves first: this test process
        const char* otherName;
        int lateTries;   // the copy that loaded before that save
        const char* lateName;
        QStringList stored;
        QString currentCell;
    };
    const Case cases[] = {
        {"the late entry goes below the other copy's", 6, "BBB", 8, "AAA",
         table("BBB AAA K1 K2 K3 K4 K5 K6 K7 K8", "6 8 10 20 30 40 50 60 70 80"), "2,1"},
        {"the late entry no longer makes a rank", 5, "CCC", 75, "DDD",
         table("CCC BBB AAA K1 K2 K3 K4 K5 K6 K7", "5 6 8 10 20 30 40 50 60 70"), "10,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QProcessEnvironment e;
        e.insert(QStringLiteral("QUORVANE_CHILD_TRIES"), QString::number(c.lateTries));
        e.insert(QStringLiteral("QUORVANE_CHILD_TAG"), QString::fromLatin1(c.lateName));
        Copy late(QStringLiteral("late"), store_, e);
        ASSERT_TRUE(late.waitFor(QStringLiteral("loaded")));

        LoadHighScoreTable();
        frmQuorvaneConcentration->Tries = static_cast<std::int16_t>(c.otherTries);
        frmHighScores->EndWithHighScores = true;
        frmHighScores->Load();
        frmHighScores->txtPlayer->setText(QString::fromLatin1(c.otherName));
        frmHighScores->btnSave->click();
        frmHighScores->Unload();

        late.tell("go");
        int code = -1;
        ASSERT_TRUE(late.finish(&code));
        ASSERT_EQ(code, 0) << "3: told not saved, 4: no new entry, 8: no go";
        const auto text = [](const QStringList& l) { return l.join(u'|').toStdString(); };
        QString why;
        EXPECT_EQ(text(storedTable(store_, &why).value_or(QStringList{why})), text(c.stored));
        EXPECT_EQ(text(late.last(QStringLiteral("done"))), text(c.stored));
        EXPECT_EQ(text(late.last(QStringLiteral("grid"))), text(c.stored + QStringList{c.currentCell}));
    }
    EXPECT_TRUE(seams().messages.empty());
}

TEST_F(StorageFaults, AStoreAnOrdinaryUserMayNotWriteGivesTheMessageAndStaysAsItWas)
{
    LoadHighScoreTable();
    const QByteArray before = store::ReadFile(store_);
    ASSERT_FALSE(before.isEmpty());
    const QString folder = QFileInfo(store_).absolutePath();
    ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
    struct Case {
        const char* what;
        mode_t folderMode, fileMode;
    };
    // The user's own store, made read-only, in a folder anyone may write: a
    // rename could replace it, and must not.
    for (const Case& c : {Case{"a read-only folder", 0555, 0644}, Case{"a read-only file", 0777, 0444}}) {
        SCOPED_TRACE(c.what);
        if (c.fileMode == 0444) {
            if (geteuid() != 0)
                GTEST_SKIP() << "giving the store to another user needs root; StartupLoad.AStoreWithoutWriteBitsIs"
                                "NeverReplaced covers the read-only file for any user";
            for (const QString& own : {store_, store_ + QStringLiteral(".lock")})
                ASSERT_EQ(chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
        }
        ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), c.folderMode), 0);
        ASSERT_EQ(chmod(QFile::encodeName(store_).constData(), c.fileMode), 0);
        Copy copy(QStringLiteral("other user"), store_);
        int code = -1;
        const bool finished = copy.finish(&code);
        chmod(QFile::encodeName(folder).constData(), 0755);
        chmod(QFile::encodeName(store_).constData(), 0644);
        ASSERT_TRUE(finished);
        EXPECT_EQ(code, 0) << "5: could not drop root, 6: wrong or no message, 7: the table changed though nothing was saved";
        EXPECT_EQ(store::ReadFile(store_), before);
    }
}

TEST_F(StorageFaults, AStoreSharedByAGroupIsSavedByEveryMember)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "saving as a second user needs root";
    // A group-writable folder and store; root's first start made the lock
    // file, which the other members may only read.
    const QByteArray folder = QFile::encodeName(QFileInfo(store_).absolutePath()), file = QFile::encodeName(store_);
    const gid_t games = 4242;
    ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755) | chown(folder.constData(), 0, games)
                  | chmod(folder.constData(), 0775),
              0);
    LoadHighScoreTable();
    ASSERT_EQ(chown(file.constData(), 0, games) | chmod(file.constData(), 0664), 0);

    QProcessEnvironment e;
    e.insert(QStringLiteral("QUORVANE_CHILD_GROUP"), QString::number(games));
    e.insert(QStringLiteral("QUORVANE_CHILD_EXPECT"), QStringLiteral("saved"));
    Copy member(QStringLiteral("other user"), store_, e);
    int code = -1;
    ASSERT_TRUE(member.finish(&code));
    EXPECT_EQ(code, 0) << "5: could not become nobody, 6: wrong or no message, 7: the table did not change";
    struct stat st {};
    ASSERT_EQ(stat(file.constData(), &st), 0);
    EXPECT_EQ(st.st_gid, games) << "the replaced store stays the group's";
    EXPECT_EQ(st.st_mode & 07777, 0664u);

    // A lock file made anew may be opened by whoever may write the store,
    // in a folder without the set-group-id bit too.
    ASSERT_TRUE(QFile::remove(store_ + QStringLiteral(".lock")));
    EXPECT_TRUE(store::SaveNewEntry(QStringLiteral("Root"), 5).isEmpty());
    ASSERT_EQ(stat((file + ".lock").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0664u);
    EXPECT_EQ(st.st_gid, games);
}

TEST_F(StorageFaults, ALockThatAnotherProgramHoldsCostsAboutTwoSecondsAndIsNamed)
{
    LoadHighScoreTable();
    const int fd = open((QFile::encodeName(store_) + ".lock").constData(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);  // a file of its own: another holder, as far as flock knows
    QElapsedTimer waited;
    waited.start();
    testing::internal::CaptureStderr();
    EXPECT_EQ(store::SaveNewEntry(QStringLiteral("Ann"), 30), QStringList{kNotSaved});
    const std::string err = testing::internal::GetCapturedStderr();
    close(fd);
    EXPECT_LT(waited.elapsed(), 6000) << "the window froze for ten seconds";
    EXPECT_NE(err.find(store_.toStdString() + " could not be written: another program has held its lock"),
              std::string::npos) << err;
}
