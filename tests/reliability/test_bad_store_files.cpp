// Store files that the environment may leave behind, met where the player
// meets them: at the start-up load of the high-score table and at the
// high-score window's Save. None may crash or hang the game, and a file the
// game cannot use is kept, never overwritten.
#include "QuorvaneConcentrationModule.h"
#include "RegistryStore.h"
#include "StartupLoad.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <sys/stat.h>

using testing_seams::seams;

namespace {

const QString kNotSaved = QStringLiteral("The high scores could not be saved.");

struct BadFile {
    const char* what;
    std::function<void(const QString& path)> make;
    bool writable;  // whether a Save can put a new file in its place
    int keptPlayers = 0;  // names before the damage that still read
};

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray garbage()
{
    QByteArray b;
    for (int i = 0; i < 4096; ++i)
        b += static_cast<char>((i * 7919) % 251);
    return b;
}

std::vector<BadFile> badFiles()
{
    return {
        {"empty", [](const QString& p) { write(p, QByteArray()); }, true},
        {"cut in the middle of a text", [](const QString& p) { write(p, store::KeepersStore().left(store::KeepersStore().indexOf("Keeper 4") + 3)); }, true, 3},
        {"binary garbage", [](const QString& p) { write(p, garbage()); }, true},
        // Its owner's: it stays where it is, unreadable as it is.
        {"binary garbage without write bits",
         [](const QString& p) {
             write(p, garbage());
             ASSERT_EQ(chmod(QFile::encodeName(p).constData(), 0444), 0);
         },
         false},
        {"over 10 MiB",
         [](const QString& p) {
             write(p, store::KeepersStore());
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_TRUE(f.resize(10 * 1024 * 1024 + 1));
         },
         true},
        {"a link to a folder",
         [](const QString& p) {
             const QString folder = p + QStringLiteral(".d");
             ASSERT_TRUE(QDir().mkpath(folder));
             ASSERT_TRUE(QFile::link(folder, p));
         },
         false},
    };
}

class BadStoreFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        previous_ = qgetenv("QUORVANE_REGISTRY");
    }
    void TearDown() override
    {
        if (frmHighScores->IsLoaded())
            frmHighScores->Unload();
        qputenv("QUORVANE_REGISTRY", previous_);
    }

    QString useStore(const char* name)
    {
        const QString path = dir_.filePath(QString::fromLatin1(name).replace(u' ', u'-') + QStringLiteral("/registry.reg"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(path));
        return path;
    }

    // What the folder holds besides the store itself.
    static QStringList keptAside(const QString& path)
    {
        return QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("registry.reg.corrupt-*")}, QDir::Files);
    }

    QTemporaryDir dir_;
    QByteArray previous_;
};

}  // namespace

TEST_F(BadStoreFiles, StartUpLoadsTheDefaultsAndSaveWorksOrSaysItCannot)
{
    for (const BadFile& bad : badFiles()) {
        SCOPED_TRACE(bad.what);
        const QString path = useStore(bad.what);
        bad.make(path);
        const QByteArray before = store::ReadFile(path);

        testing::internal::CaptureStderr();
        QElapsedTimer timer;
        timer.start();
        LoadHighScoreTable();
        const qint64 loadMs = timer.elapsed();
        testing::internal::GetCapturedStderr();
        EXPECT_LT(loadMs, 2000) << "the start-up load must not hang";
        for (int r = 1; r <= 10; ++r) {
            EXPECT_EQ(frmHighScores->Player(r), r <= bad.keptPlayers ? QStringLiteral("Keeper %1").arg(r)
                                                                     : QStringLiteral("Anonymous")) << r;
            EXPECT_EQ(frmHighScores->Score(r), QStringLiteral("99999")) << r;
        }

        seams().messages.clear();
        store::SaveNewEntry(QStringLiteral("Newcomer"), 42);
        if (bad.writable) {
            EXPECT_TRUE(seams().messages.empty());
            EXPECT_EQ(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, QStringLiteral("Player1")).toString(),
                      QStringLiteral("Newcomer"));
            // The file the game could not read is still there to be looked at.
            const QStringList aside = keptAside(path);
            if (!before.isEmpty()) {
                ASSERT_EQ(aside.size(), 1);
                QFile kept(QFileInfo(path).absolutePath() + u'/' + aside[0]);
                ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
                EXPECT_EQ(kept.readAll(), before);
            }
        } else {
            ASSERT_EQ(seams().messages.size(), 1u);
            EXPECT_EQ(seams().messages[0].prompt, kNotSaved);
            EXPECT_TRUE(keptAside(path).isEmpty());
            if (QFileInfo(path).isSymLink())
                EXPECT_TRUE(QDir(path + QStringLiteral(".d")).isEmpty());
            else
                EXPECT_EQ(store::ReadFile(path), before);
        }
        const QString first = bad.keptPlayers >= 1 ? QStringLiteral("Keeper 1") : QStringLiteral("Anonymous");
        EXPECT_EQ(frmHighScores->Player(1), bad.writable ? QStringLiteral("Newcomer") : first)
            << "only a Save that succeeded changes the table";
    }
}

TEST_F(BadStoreFiles, ALineThatCannotBeReadCostsOnlyItsOwnValue)
{
    const struct {
        const char* what;
        QByteArray from, to;  // the damage done to the good store
        int line;             // where it is
        int lostPlayer;       // the name it costs, if any
    } cases[] = {
        {"mistyped", "\"Player3\"=\"Keeper 3\"", "Player3 = Ann", 6, 3},
        // A NUL is left behind by a crash or a tool, never by the game.
        {"a NUL byte", "\"Player4\"", "\"Junk\"=\"nul" + QByteArray(1, '\0') + "inside\"\n\"Player4\"", 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = useStore(c.what);
        QByteArray original = store::KeepersStore();
        original.replace(c.from, c.to);
        write(path, original);

        testing::internal::CaptureStderr();
        LoadHighScoreTable();
        QStringList players;
        for (int r = 1; r <= 10; ++r) {
            players << (r == c.lostPlayer ? QStringLiteral("Anonymous") : QStringLiteral("Keeper %1").arg(r));
            EXPECT_EQ(frmHighScores->Player(r), players.back()) << r;
            EXPECT_EQ(frmHighScores->Score(r), QString::number(10 * r)) << r;
        }
        store::SaveNewEntry(QStringLiteral("Newcomer"), 45);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("line " + std::to_string(c.line) + ' '), std::string::npos) << said;

        // The file as it was lies beside the store; the store holds every
        // value it had, and the default only where the damaged line was.
        const QStringList aside = keptAside(path);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_NE(said.find(aside[0].toStdString()), std::string::npos) << said;
        QFile kept(QFileInfo(path).absolutePath() + u'/' + aside[0]);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), original);
        QFile store(path);
        ASSERT_TRUE(store.open(QIODevice::ReadOnly));
        const QByteArray now = store.readAll();
        players.insert(4, QStringLiteral("Newcomer"));
        const int scores[] = {10, 20, 30, 40, 45, 50, 60, 70, 80, 90};
        for (int r = 1; r <= 10; ++r) {
            EXPECT_TRUE(now.contains("\"Player" + QByteArray::number(r) + "\"=\"" + players[r - 1].toUtf8() + "\"\n")) << r;
            EXPECT_TRUE(now.contains("\"Score" + QByteArray::number(r) + "\"=dword:"
                                     + QByteArray::number(scores[r - 1], 16).rightJustified(8, '0') + '\n')) << r;
        }
        EXPECT_FALSE(now.contains("Ann\n"));
        EXPECT_FALSE(now.contains("Junk"));
    }
}

TEST_F(BadStoreFiles, NamesReadAsTypedWhateverTheLineEndsAndTheFirstCharacter)
{
    // Player1..3 of a store whose first name an older tool wrote in the
    // Western code page.
    const QList<QByteArray> typedNames = {"Jos\xC3\xA9", "\xC5\x81ukasz", "\xE7\x8E\x8B\xE5\xB0\x8F\xE6\x98\x8E"};
    QByteArray named = store::KeepersStore();
    named.replace("\"Keeper 1\"", "\"Jos\xE9\"");
    named.replace("\"Keeper 2\"", "\"" + typedNames[1] + "\"");
    named.replace("\"Keeper 3\"", "\"" + typedNames[2] + "\"");
    QByteArray mixed;
    const char* const ends[] = {"\r", "\n", "\r\n"};
    const QList<QByteArray> lines = named.split('\n');
    for (qsizetype k = 0; k < lines.size(); ++k)
        mixed += lines[k] + (k + 1 < lines.size() ? ends[k % 3] : "");
    const QString bom(QChar(0xFEFF));

    const struct {
        const char* what;
        QByteArray store;
        QList<QByteArray> names;  // Player1..3 as they read, in UTF-8
        QString newName;          // saved at the top
    } cases[] = {
        {"CR line ends", QByteArray(named).replace('\n', '\r'), typedNames, QStringLiteral("Zo\u00EB")},
        {"mixed line ends", mixed, typedNames, QStringLiteral("Zo\u00EB")},
        {"a name that begins with U+FEFF", store::KeepersStore(), {"Keeper 1", "Keeper 2", "Keeper 3"}, bom + QStringLiteral("Zo\u00EB")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = useStore(c.what);
        write(path, c.store);
        LoadHighScoreTable();
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(frmHighScores->Player(r), QString::fromUtf8(c.names[r - 1])) << r;

        store::SaveNewEntry(c.newName, 5);
        // The next start reads the file anew, not what this copy wrote.
        const QString again = path + QStringLiteral(".again");
        ASSERT_TRUE(QFile::copy(path, again));
        ASSERT_EQ(std::rename(QFile::encodeName(again).constData(), QFile::encodeName(path).constData()), 0);
        LoadHighScoreTable();
        EXPECT_EQ(frmHighScores->Player(1), c.newName);
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(frmHighScores->Player(r + 1), QString::fromUtf8(c.names[r - 1])) << r;

        // Stored in UTF-8, as typed; nothing was skipped on the way.
        QFile store(path);
        ASSERT_TRUE(store.open(QIODevice::ReadOnly));
        const QByteArray now = store.readAll();
        EXPECT_TRUE(now.contains("\"Player1\"=\"" + c.newName.toUtf8() + "\"\n")) << now.toStdString();
        for (int r = 1; r <= 3; ++r)
            EXPECT_TRUE(now.contains("\"Player" + QByteArray::number(r + 1) + "\"=\"" + c.names[r - 1] + "\"\n")) << r;
        EXPECT_TRUE(keptAside(path).isEmpty());
    }
}

TEST_F(BadStoreFiles, ALargeStoreJustUnderTheLimitLoadsInReasonableTime)
{
    // A hand-made or runaway file of many values in one key, just below the
    // size the store refuses outright, must not stall the start.
    const QString path = useStore("large");
    QByteArray text = store::KeepersStore();
    text.reserve(10 * 1024 * 1024);
    int i = 0;
    while (text.size() < 10 * 1024 * 1024 - 64)
        text += "\"Filler" + QByteArray::number(i++) + "\"=dword:00000001\n";
    write(path, text);

    QElapsedTimer timer;
    timer.start();
    LoadHighScoreTable();
    EXPECT_LT(timer.elapsed(), 15000) << "a search per line made this take minutes";
    EXPECT_EQ(frmHighScores->Player(3), QStringLiteral("Keeper 3"));
    EXPECT_EQ(frmHighScores->Score(3), QStringLiteral("30"));
}

TEST_F(BadStoreFiles, AStoreFolderThatCannotBeMadeGivesTheMessage)
{
    // A missing folder is made; one whose place holds a file cannot be.
    const QString blocked = dir_.filePath(QStringLiteral("blocked"));
    write(blocked, "a file where the folder should be");
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(blocked + QStringLiteral("/sub/registry.reg")));
    LoadHighScoreTable();
    seams().messages.clear();
    store::SaveNewEntry(QStringLiteral("Ann"), 30);
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_EQ(seams().messages[0].prompt, kNotSaved);
    EXPECT_EQ(frmHighScores->Player(1), QStringLiteral("Anonymous"));

    const QString fresh = dir_.filePath(QStringLiteral("fresh/deeper/registry.reg"));
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(fresh));
    seams().messages.clear();
    store::SaveNewEntry(QStringLiteral("Bob"), 20);
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_EQ(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, QStringLiteral("Player1")).toString(),
              QStringLiteral("Bob"));
    EXPECT_EQ(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, QStringLiteral("Player2")).toString(),
              QStringLiteral("Anonymous"))
        << "the entry whose Save failed was never the table's";
}

TEST_F(BadStoreFiles, AStoreGoneWhileTheGameRunsGetsBackTheTableItHeldWithTheNewEntry)
{
    const struct {
        const char* what;
        std::function<void(const QString& path)> damage;
    } cases[] = {
        {"deleted", [](const QString& p) { QFile::remove(p); }},
        {"overwritten with junk", [](const QString& p) { write(p, garbage()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = useStore(c.what);
        write(path, store::KeepersStore());
        LoadHighScoreTable();
        c.damage(path);

        testing::internal::CaptureStderr();
        EXPECT_TRUE(store::SaveNewEntry(QStringLiteral("Ann"), 45).isEmpty());
        testing::internal::GetCapturedStderr();
        // Missing values are no other copy's table: this copy's is stored.
        const QStringList stored = ReadHighScoreTable();
        EXPECT_EQ(stored.mid(3, 3).join(u','), QStringLiteral("Keeper 4,Ann,Keeper 5"));
        EXPECT_EQ(stored.mid(13, 3).join(u','), QStringLiteral("40,45,50"));
        EXPECT_EQ(stored[9], QStringLiteral("Keeper 9"));
    }
}
