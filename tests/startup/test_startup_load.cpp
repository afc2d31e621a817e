// The start-up load of the high-score table against a real store file.
#include "StartupLoad.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using store::Get;
using store::Number;
using store::Put;
using store::ReadFile;
using store::SaveNewEntry;
using store::Text;
using testing_seams::seams;
using Value = std::pair<std::uint32_t, QByteArray>;

namespace {

QString Player(int i) { return QStringLiteral("Player%1").arg(i); }
QString Score(int i) { return QStringLiteral("Score%1").arg(i); }
QString Member(const QString& name) { return *frmHighScores->Member(name); }

QList<QByteArray> StoreLines()
{
    QFile f(testing_seams::RegistryFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>{};
}

// What the next run of the game finds: the same bytes in a file it has
// not read yet.
void WriteStoreFile(const QByteArray& bytes)
{
    const QString path = testing_seams::RegistryFile();
    QFile f(path + QStringLiteral(".new"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QFile::remove(path);
    ASSERT_TRUE(QFile::rename(path + QStringLiteral(".new"), path));
}

const QString kNotSaved = QStringLiteral("The high scores could not be saved.");

void MakeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(bytes);
}

// Everything in a folder, pipes and hidden files included.
std::string Listing(const QString& folder)
{
    return QDir(folder)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)
        .join(u' ')
        .toStdString();
}

// The store this process uses, set for one test.
class StoreAt {
public:
    explicit StoreAt(const QString& path) : previous_(qgetenv("QUORVANE_REGISTRY")) { use(path); }
    ~StoreAt() { qputenv("QUORVANE_REGISTRY", previous_); }
    void use(const QString& path) { qputenv("QUORVANE_REGISTRY", QFile::encodeName(path)); }

private:
    QByteArray previous_;
};

// The names a copy of a store gets in the second of the given time.
QString CopyName(const QString& store, const QDateTime& when, int n)
{
    const QString base = store + QStringLiteral(".corrupt-") + when.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    return n == 1 ? base : base + QStringLiteral("-%1").arg(n);
}

}  // namespace

TEST(StartupLoad, FirstStartCreatesEveryValueWithItsOwnType)
{
    LoadHighScoreTable();

    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Get(Player(i)), Value(vb::REG_SZ, Text("Anonymous")));
        EXPECT_EQ(Get(Score(i)), Value(vb::REG_DWORD, Number(99999)));
        EXPECT_EQ(Member(Player(i)), QStringLiteral("Anonymous"));
        EXPECT_EQ(Member(Score(i)), QStringLiteral("99999"));
    }
    EXPECT_FALSE(frmHighScores->IsLoaded());
}

TEST(StartupLoad, OnlyTheMissingValueIsWritten)
{
    for (int i = 1; i <= 10; ++i) {
        if (i != 5)
            Put(Player(i), vb::REG_SZ, Text(qPrintable(QStringLiteral("Ann%1").arg(i))));
        Put(Score(i), vb::REG_DWORD, Number(10 * i));
    }
    const QList<QByteArray> before = StoreLines();

    LoadHighScoreTable();

    // The file gains the one default and nothing else changes.
    QList<QByteArray> after = StoreLines();
    ASSERT_EQ(after.removeAll("\"Player5\"=\"Anonymous\""), 1);
    EXPECT_EQ(after, before);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(Member(Player(i)), i == 5 ? QStringLiteral("Anonymous") : QStringLiteral("Ann%1").arg(i));
        EXPECT_EQ(Member(Score(i)), QString::number(10 * i));
    }
}

TEST(StartupLoad, PresentValuesArriveAsTheirText)
{
    Put(QStringLiteral("Player1"), vb::REG_DWORD, Number(7));  // a name typed as digits
    Put(QStringLiteral("Player2"), vb::REG_DWORD, Number(0xFFFFFFFF));
    Put(QStringLiteral("Player3"), vb::REG_SZ, Text("   "));  // blanks are not empty
    Put(QStringLiteral("Score3"), vb::REG_SZ, Text("lots"));  // no number, kept all the same

    LoadHighScoreTable();

    EXPECT_EQ(Member(QStringLiteral("Player1")), QStringLiteral("7"));
    EXPECT_EQ(Member(QStringLiteral("Player2")), QStringLiteral("-1"));
    EXPECT_EQ(Member(QStringLiteral("Player3")), QStringLiteral("   "));
    EXPECT_EQ(Member(QStringLiteral("Score3")), QStringLiteral("lots"));
    EXPECT_EQ(Get(QStringLiteral("Score3")), Value(vb::REG_SZ, Text("lots")));
}

TEST(StartupLoad, EmptyTextsAndForeignTypesGiveWayToTheDefault)
{
    Put(QStringLiteral("Player1"), vb::REG_SZ, Text(""));
    Put(QStringLiteral("Score1"), vb::REG_SZ, Text(""));
    Put(QStringLiteral("Player2"), vb::REG_BINARY, QByteArray("Ann"));
    Put(QStringLiteral("Score2"), vb::REG_BINARY, Number(12));

    LoadHighScoreTable();

    for (const QString& name : {QStringLiteral("Player1"), QStringLiteral("Player2")}) {
        EXPECT_EQ(Member(name), QStringLiteral("Anonymous"));
        EXPECT_EQ(Get(name), Value(vb::REG_SZ, Text("Anonymous"))) << qPrintable(name);
    }
    for (const QString& name : {QStringLiteral("Score1"), QStringLiteral("Score2")}) {
        EXPECT_EQ(Member(name), QStringLiteral("99999"));
        EXPECT_EQ(Get(name), Value(vb::REG_DWORD, Number(99999))) << qPrintable(name);
    }
}

TEST(StartupLoad, RefusedWritesStillLeaveTheDefaultsInMemory)
{
    // A store path below a plain file can be neither read nor written.
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("plain-file"));
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    qputenv("QUORVANE_REGISTRY", (blocker + QStringLiteral("/registry.reg")).toLocal8Bit());

    LoadHighScoreTable();

    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(Member(Player(i)), QStringLiteral("Anonymous"));
        EXPECT_EQ(Member(Score(i)), QStringLiteral("99999"));
    }
    EXPECT_TRUE(QFileInfo(blocker).isFile());
    EXPECT_EQ(QFileInfo(blocker).size(), 0);
    EXPECT_TRUE(testing_seams::seams().messages.empty());
}

TEST(StartupLoad, NamesInAnyScriptComeBackAsTyped)
{
    LoadHighScoreTable();
    // The last letter takes three bytes, so a length that counts characters
    // instead of bytes would cut it.
    const QString name = QStringLiteral(u"Zo\u00eb \u0141ukasz \u03a9mega \u674e");
    frmQuorvaneConcentration->Tries = 12;
    frmHighScores->EndWithHighScores = true;
    frmHighScores->Load();
    frmHighScores->txtPlayer->setText(name);
    frmHighScores->btnSave->click();
    frmHighScores->Unload();

    EXPECT_EQ(Get(Player(1)), Value(vb::REG_SZ, name.toUtf8() + '\0'));
    const QList<QByteArray> lines = StoreLines();
    EXPECT_TRUE(lines.contains("\"Player1\"=\"" + name.toUtf8() + '"')) << "the file says it as typed";

    WriteStoreFile(lines.join('\n'));
    *frmHighScores->Member(Player(1)) = QString();
    LoadHighScoreTable();
    EXPECT_EQ(Member(Player(1)), name);
    EXPECT_EQ(Member(Score(1)), QStringLiteral("12"));
}

TEST(StartupLoad, AnOldStoreInTheWesternCodePageReadsAsItWasWritten)
{
    WriteStoreFile("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quorvane Software\\Quorvane Concentration]\n"
                   "\"Player1\"=hex(1):52,65,6e,e9,20,80,00\n");
    LoadHighScoreTable();
    EXPECT_EQ(Member(Player(1)), QStringLiteral(u"Ren\u00e9 \u20ac"));
    EXPECT_EQ(Get(Player(1)), Value(vb::REG_SZ, QByteArray("Ren\xE9 \x80", 7)))
        << "the stored bytes stay as they were";
}

TEST(StartupLoad, AStoreThatIsNoFileIsNeitherOpenedNorJoinedByFilesOfOurs)
{
    // Were the game to open the pipe for reading it would wait forever; the
    // alarm ends this test instead.
    struct Alarm {
        Alarm() { alarm(60); }
        ~Alarm() { alarm(0); }
    } guard;
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("folder.reg"))));
    StoreAt store(testing_seams::RegistryFile());
    const bool devLockBefore = QFileInfo::exists(QStringLiteral("/dev/null.lock"));
    struct Case {
        const char* what;
        QString store;
        QString leadsTo;  // empty: the store path itself is no file
    };
    const Case cases[] = {
        {"a link to a pipe", dir.filePath(QStringLiteral("pipe.reg")), pipe},
        {"a link to a device", dir.filePath(QStringLiteral("null.reg")), QStringLiteral("/dev/null")},
        {"a folder", dir.filePath(QStringLiteral("folder.reg")), QString()},
        {"a path that ends in a slash", dir.filePath(QStringLiteral("not-yet/")), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.leadsTo.isEmpty()) {
            ASSERT_TRUE(QFile::link(c.leadsTo, c.store));
        }
        store.use(c.store);
        const std::string before = Listing(dir.path());

        testing::internal::CaptureStderr();
        LoadHighScoreTable();
        for (int i = 1; i <= 10; ++i) {
            EXPECT_EQ(Member(Player(i)), QStringLiteral("Anonymous")) << i;
            EXPECT_EQ(Member(Score(i)), QStringLiteral("99999")) << i;
        }
        const QStringList said = SaveNewEntry(QStringLiteral("Ann"), 30);
        const std::string err = testing::internal::GetCapturedStderr();

        // One line for each write that failed: the load's defaults, the Save.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
        EXPECT_NE(err.find(QFile::encodeName(c.store).toStdString() + " could not be written"), std::string::npos) << err;
        EXPECT_EQ(said, QStringList{kNotSaved});
        EXPECT_EQ(Listing(dir.path()), before) << "no lock, folder or temporary file";
        EXPECT_EQ(Listing(dir.filePath(QStringLiteral("folder.reg"))), "");
    }
    EXPECT_EQ(QFileInfo::exists(QStringLiteral("/dev/null.lock")), devLockBefore);
    if (!devLockBefore)
        QFile::remove(QStringLiteral("/dev/null.lock"));
}

TEST(StartupLoad, AStoreWithoutWriteBitsIsNeverReplaced)
{
    // A folder anyone may write, so that only the file's own mode protects it.
    QTemporaryDir dir;
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    QByteArray original = store::KeepersStoreWithAMistypedLine();
    original.replace("\"Player3\" = Ann\n", "");  // a value the start-up load wants to store
    MakeFile(path, original);
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    StoreAt store(path);

    LoadHighScoreTable();
    EXPECT_EQ(Member(Player(1)), QStringLiteral("Keeper 1"));
    EXPECT_EQ(Member(Player(3)), QStringLiteral("Anonymous"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveNewEntry(QStringLiteral("Root"), 12, false), QStringList{kNotSaved}) << "even for root";
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Quorvane Concentration: the registry file " + QFile::encodeName(path).toStdString()
                  + " could not be written: it is read-only.\n");
    EXPECT_EQ(ReadFile(path), original);

    // The score is not lost: the name stays, and Save works once it can.
    FrmHighScores& w = *frmHighScores;
    EXPECT_TRUE(w.btnSave->isEnabled() && w.btnSave->isDefault() && !w.btnOK->isEnabled());
    EXPECT_EQ(w.txtPlayer->text(), QStringLiteral("Root"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0644), 0);
    seams().messages.clear();
    w.btnSave->click();
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_EQ(Get(Player(2)), Value(vb::REG_SZ, Text("Root")));
    EXPECT_TRUE(!w.btnSave->isEnabled() && w.btnOK->isEnabled() && w.txtPlayer->text().isEmpty());
    w.Unload();
}

TEST(StartupLoad, TheNextWriteRemovesWhatAKilledWriteLeft)
{
    const QString folder = QFileInfo(testing_seams::RegistryFile()).absolutePath();
    const QString leftover = folder + QStringLiteral("/registry.reg.quorvane-write-AbC123");
    // The player's own files beside the store, a copy of it among them.
    const QStringList unrelated = {QStringLiteral("registry.reg.tmp-backup"), QStringLiteral("registry.reg.tmp-Notes1"),
                                   QStringLiteral("other.quorvane-write-AbC123"),
                                   QStringLiteral("registry.reg.quorvane-write-AbC1234")};
    MakeFile(leftover, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quorvane");
    for (const QString& name : unrelated)
        MakeFile(folder + u'/' + name, "REGEDIT4\n\nnot ours");

    QFile::remove(testing_seams::RegistryFile());
    LoadHighScoreTable();  // a first start: the defaults are stored

    EXPECT_FALSE(QFileInfo::exists(leftover));
    for (const QString& name : unrelated)
        EXPECT_EQ(ReadFile(folder + u'/' + name), QByteArray("REGEDIT4\n\nnot ours")) << qPrintable(name);
}

TEST(StartupLoad, AStoreWithASkippedLineIsRewrittenOnlyOverANewCopyOfIt)
{
    const QString path = testing_seams::RegistryFile();
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray original = store::KeepersStoreWithAMistypedLine();

    // Earlier copies in this second and the next: each must survive, and
    // the new copy takes the next free name.
    {
        SCOPED_TRACE("earlier copies of the same second");
        WriteStoreFile(original);
        const QDateTime now = QDateTime::currentDateTime();
        QStringList earlier;
        for (const QDateTime& when : {now, now.addSecs(1)})
            for (int n : {1, 2})
                earlier << CopyName(path, when, n);
        for (const QString& name : earlier)
            MakeFile(name, "earlier copy " + QFileInfo(name).fileName().toLatin1());
        const QStringList before = QDir(folder).entryList(QDir::Files);

        testing::internal::CaptureStderr();
        LoadHighScoreTable();
        testing::internal::GetCapturedStderr();

        for (const QString& name : earlier)
            EXPECT_EQ(ReadFile(name), "earlier copy " + QFileInfo(name).fileName().toLatin1());
        QStringList added = QDir(folder).entryList({QStringLiteral("registry.reg.corrupt-*")}, QDir::Files);
        for (const QString& name : before)
            added.removeAll(name);
        ASSERT_EQ(added.size(), 1) << qPrintable(added.join(u' '));
        const QString copy = folder + u'/' + added[0];
        EXPECT_TRUE(copy == CopyName(path, now, 3) || copy == CopyName(path, now.addSecs(1), 3)) << qPrintable(copy);
        EXPECT_EQ(ReadFile(copy), original);
        EXPECT_TRUE(ReadFile(path).contains("\"Player3\"=\"Anonymous\"\n"));
        for (const QString& name : QDir(folder).entryList({QStringLiteral("registry.reg.corrupt-*")}, QDir::Files))
            QFile::remove(folder + u'/' + name);
    }
    // Every name taken: no copy can be kept, so the store stays as it is and
    // Save says that nothing was saved.
    {
        SCOPED_TRACE("no name left for a copy");
        WriteStoreFile(original);
        const QDateTime now = QDateTime::currentDateTime();
        for (const QDateTime& when : {now, now.addSecs(1)})
            for (int n = 1; n <= 99; ++n)
                MakeFile(CopyName(path, when, n), "taken");
        const std::string before = Listing(folder);

        testing::internal::CaptureStderr();
        LoadHighScoreTable();
        EXPECT_EQ(Member(Player(4)), QStringLiteral("Keeper 4"));
        const QStringList said = SaveNewEntry(QStringLiteral("Ann"), 30);
        const std::string err = testing::internal::GetCapturedStderr();

        EXPECT_EQ(ReadFile(path), original) << "rewritten although no copy holds the skipped line";
        EXPECT_EQ(said, QStringList{kNotSaved});
        EXPECT_EQ(Listing(folder), before);
        EXPECT_NE(err.find("no copy of the file can be kept"), std::string::npos) << err;
    }
}
