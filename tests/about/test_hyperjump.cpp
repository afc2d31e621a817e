// The web link: what reaches the shell, and that the address can never be
// read as a command.
#include "HyperJump.h"
#include "TestSeams.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(HyperJump, HandsTheTextToTheShellUnchangedEveryTime)
{
    auto& calls = testing_seams::seams().shellCalls;
    HyperJump(QStringLiteral("https://www.quorvane-software.example/games?a=1&b=2"));
    HyperJump(QStringLiteral("not an address at all"));
    HyperJump(QStringLiteral("https://caf\u00E9.example/\u6E38\u620F"));
    vb::seams::setShellExecute([&calls](const vb::seams::ShellExecuteCall& call) {
        calls.push_back(call);
        return 2L;  // the shell failed; nobody hears of it
    });
    HyperJump(QStringLiteral("https://www.quorvane-software.example/games?a=1&b=2"));

    ASSERT_EQ(calls.size(), 4u);
    for (const auto& call : calls) {
        EXPECT_TRUE(call.ownerIsNull && call.operationIsNull && call.parametersIsNull && call.directoryIsNull);
        EXPECT_EQ(call.showCmd, 1);
    }
    EXPECT_EQ(calls[0].file, QByteArray("https://www.quorvane-software.example/games?a=1&b=2"));
    EXPECT_EQ(calls[1].file, QByteArray("not an address at all"));
    EXPECT_EQ(calls[2].file, QByteArray("https://caf\xC3\xA9.example/\xE6\xB8\xB8\xE6\x88\x8F")) << "the shell takes UTF-8";
    EXPECT_EQ(calls[3].file, calls[0].file);
    EXPECT_TRUE(testing_seams::seams().messages.empty());
}

// With the real opener: a stand-in "xdg-open" records its arguments, and an
// address full of shell syntax must arrive as one argument and run nothing,
// its letters beyond ASCII as typed.
TEST(HyperJump, AddressReachesTheOpenerAsOneArgument)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString record = dir.filePath(QStringLiteral("args.txt"));
    const QString planted = dir.filePath(QStringLiteral("planted"));
    {
        QFile script(dir.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1.part'\nmv '%1.part' '%1'\n")
                         .arg(record)
                         .toLocal8Bit());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("PATH", (dir.path() + QStringLiteral(":/usr/bin:/bin")).toLocal8Bit());
    vb::seams::setShellExecute(nullptr);

    const QString url = QStringLiteral("http://caf\u00E9.example/a b;touch %1 `touch %1` $(touch %1)").arg(planted);
    HyperJump(url);

    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 5000));
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QByteArray("1"));
    EXPECT_EQ(lines[1], url.toUtf8());
    EXPECT_FALSE(QFile::exists(planted));
}
