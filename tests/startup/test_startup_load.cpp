// The start-up load of the high-score table against a real store file.
#include "StartupLoad.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using store::Get;
using store::Number;
using store::Put;
using store::Text;
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
