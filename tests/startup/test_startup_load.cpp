// The start-up load of the high-score table against a real store file.
#include "StartupLoad.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmHighScores.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString PlayerName(int i) { return QStringLiteral("Player%1").arg(i); }
QString ScoreName(int i) { return QStringLiteral("Score%1").arg(i); }

QString& Member(const QString& name) { return *frmHighScores->Member(name); }

}  // namespace

TEST(StartupLoad, FirstStartCreatesEveryValueWithItsOwnType)
{
    ASSERT_FALSE(QFile::exists(testing_seams::RegistryFile()));

    LoadHighScoreTable();

    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE(i);
        const auto name = store::Get(PlayerName(i));
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ(name->type, vb::REG_SZ);
        EXPECT_EQ(name->data, store::TextData("Anonymous"));
        const auto score = store::Get(ScoreName(i));
        ASSERT_TRUE(score.has_value());
        EXPECT_EQ(score->type, vb::REG_DWORD);
        EXPECT_EQ(score->data, store::NumberData(99999));
        EXPECT_EQ(Member(PlayerName(i)), QStringLiteral("Anonymous"));
        EXPECT_EQ(Member(ScoreName(i)), QStringLiteral("99999"));
    }
    // The table is filled behind the window's back.
    EXPECT_FALSE(frmHighScores->IsLoaded());
}

TEST(StartupLoad, OnlyTheMissingValueIsWritten)
{
    for (int i = 1; i <= 10; ++i) {
        if (i != 5)
            store::PutText(PlayerName(i), QStringLiteral("Ann%1").arg(i));
        store::PutNumber(ScoreName(i), 10 * i);
    }
    const QByteArray before = store::FileBytes(testing_seams::RegistryFile());

    LoadHighScoreTable();

    // The file gains exactly the one line of the default and nothing else moves.
    const QByteArray after = store::FileBytes(testing_seams::RegistryFile());
    QList<QByteArray> afterLines = after.split('\n');
    const QList<QByteArray> beforeLines = before.split('\n');
    ASSERT_EQ(afterLines.size(), beforeLines.size() + 1);
    const qsizetype added = afterLines.indexOf(QByteArray("\"Player5\"=\"Anonymous\""));
    ASSERT_GE(added, 0) << after.constData();
    afterLines.removeAt(added);
    EXPECT_EQ(afterLines, beforeLines);

    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Member(PlayerName(i)), i == 5 ? QStringLiteral("Anonymous") : QStringLiteral("Ann%1").arg(i));
        EXPECT_EQ(Member(ScoreName(i)), QString::number(10 * i));
    }
}

TEST(StartupLoad, PresentValuesArriveAsTheirTextWhateverTheyHold)
{
    store::PutNumber(QStringLiteral("Player1"), 7);        // a name typed as digits
    store::PutNumber(QStringLiteral("Player2"), -1);       // all bits set reads signed
    store::PutText(QStringLiteral("Player3"), QStringLiteral("   "));  // blanks are a value
    store::PutText(QStringLiteral("Score3"), QStringLiteral("lots"));  // no number, kept as is
    store::PutText(QStringLiteral("Score4"), QStringLiteral(" 12 "));

    LoadHighScoreTable();

    EXPECT_EQ(Member(QStringLiteral("Player1")), QStringLiteral("7"));
    EXPECT_EQ(Member(QStringLiteral("Player2")), QStringLiteral("-1"));
    EXPECT_EQ(Member(QStringLiteral("Player3")), QStringLiteral("   "));
    EXPECT_EQ(Member(QStringLiteral("Score3")), QStringLiteral("lots"));
    EXPECT_EQ(Member(QStringLiteral("Score4")), QStringLiteral(" 12 "));

    // None of them was rewritten.
    EXPECT_EQ(store::Get(QStringLiteral("Player1"))->type, vb::REG_DWORD);
    EXPECT_EQ(store::Get(QStringLiteral("Player2"))->data, store::NumberData(0xFFFFFFFFu));
    EXPECT_EQ(store::Get(QStringLiteral("Player3"))->data, store::TextData("   "));
    EXPECT_EQ(store::Get(QStringLiteral("Score3"))->type, vb::REG_SZ);
    EXPECT_EQ(store::Get(QStringLiteral("Score4"))->data, store::TextData(" 12 "));
}

TEST(StartupLoad, EmptyTextsAndForeignTypesAreReplacedByTheDefault)
{
    store::PutText(QStringLiteral("Player1"), QString());
    store::PutText(QStringLiteral("Score1"), QString());
    store::Put(QStringLiteral("Player2"), vb::REG_BINARY, QByteArray("\x41\x6e\x6e", 3));
    store::Put(QStringLiteral("Score2"), vb::REG_BINARY, store::NumberData(12));
    store::Put(QStringLiteral("Score3"), vb::REG_MULTI_SZ, QByteArray("12\0\0", 4));

    LoadHighScoreTable();

    for (const char* name : {"Player1", "Player2"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Member(QString::fromLatin1(name)), QStringLiteral("Anonymous"));
        EXPECT_EQ(store::Get(QString::fromLatin1(name))->type, vb::REG_SZ);
        EXPECT_EQ(store::Get(QString::fromLatin1(name))->data, store::TextData("Anonymous"));
    }
    for (const char* name : {"Score1", "Score2", "Score3"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Member(QString::fromLatin1(name)), QStringLiteral("99999"));
        EXPECT_EQ(store::Get(QString::fromLatin1(name))->type, vb::REG_DWORD);
        EXPECT_EQ(store::Get(QString::fromLatin1(name))->data, store::NumberData(99999));
    }
}

TEST(StartupLoad, RefusedWritesStillLeaveTheDefaultsInMemory)
{
    // A store path below a plain file can be neither read nor written.
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString unwritable = blocker + QStringLiteral("/registry.reg");
    qputenv("QUORVANE_REGISTRY", unwritable.toLocal8Bit());

    LoadHighScoreTable();

    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Member(PlayerName(i)), QStringLiteral("Anonymous"));
        EXPECT_EQ(Member(ScoreName(i)), QStringLiteral("99999"));
    }
    EXPECT_FALSE(QFile::exists(unwritable));
    EXPECT_EQ(QFileInfo(blocker).size(), 0);
    EXPECT_TRUE(testing_seams::seams().messages.empty());
    EXPECT_FALSE(frmHighScores->IsLoaded());
}
