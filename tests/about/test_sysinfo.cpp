// The system-information command against a real registry store and real
// files: where the tool is looked for, what starts, what is reported.
#include "Registry.h"
#include "Runtime.h"
#include "TestSeams.h"
#include "frmAbout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

void SetValue(const char* key, const char* name, std::uint32_t type, const QByteArray& data)
{
    vb::HKEY h = 0;
    ASSERT_EQ(vb::RegCreateKeyA(vb::HKEY_LOCAL_MACHINE, key, &h), vb::ERROR_SUCCESS);
    ASSERT_EQ(vb::RegSetValueExA(h, name, 0, type, reinterpret_cast<const std::uint8_t*>(data.constData()),
                                 static_cast<std::uint32_t>(data.size())),
              vb::ERROR_SUCCESS);
    vb::RegCloseKey(h);
}

QByteArray Sz(const QString& text)
{
    return text.toLatin1() + '\0';
}

QByteArray Dword(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

void Touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
}

// Handles are numbered from 1 and reused, so with none left open the next
// key opened gets handle 1.
bool NoKeyLeftOpen()
{
    vb::HKEY probe = 0;
    SetValue("Software\\Probe", "x", vb::REG_SZ, Sz(QStringLiteral("x")));
    if (vb::RegOpenKeyA(vb::HKEY_LOCAL_MACHINE, "Software\\Probe", &probe) != vb::ERROR_SUCCESS)
        return false;
    vb::RegCloseKey(probe);
    return probe == 1;
}

// The recording start seam, taking the program's own backslash separators
// as the platform's real start does.
void RecordStartsWithNativePaths()
{
    vb::seams::setStartProgram([](const QString& path, int style) {
        testing_seams::seams().startedPrograms.push_back(path);
        EXPECT_EQ(style, vb::vbNormalFocus);
        QString native = path;
        native.replace(u'\\', u'/');
        return QFileInfo(native).isFile();
    });
}

struct SysInfo : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        RecordStartsWithNativePaths();
    }
    const std::vector<QString>& started() { return testing_seams::seams().startedPrograms; }
    QStringList messages() { return testing_seams::seams().messageTexts(); }
    QTemporaryDir tmp;
};

}  // namespace

// ---- where the tool is found --------------------------------------------------

TEST_F(SysInfo, PathNamingAnExistingProgramStartsItAndNothingElse)
{
    const QString tool = tmp.filePath(QStringLiteral("sysinfo-tool"));
    Touch(tool);
    SetValue(kPathKey, "PATH", vb::REG_SZ, Sz(tool));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));

    frmAbout->StartSysInfo();
    EXPECT_EQ(started(), std::vector<QString>{tool});
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, FolderHoldingTheProgramStartsItWhenPathIsMissing)
{
    Touch(tmp.filePath(QStringLiteral("MSINFO32.EXE")));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));

    frmAbout->StartSysInfo();
    EXPECT_EQ(started(), std::vector<QString>{tmp.path() + QStringLiteral("\\MSINFO32.EXE")});
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, FolderWithoutTheProgramIsReported)
{
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));
    frmAbout->StartSysInfo();
    EXPECT_TRUE(started().empty());
    EXPECT_EQ(messages(), QStringList{kUnavailable});

    // A folder of that name is no program either.
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("MSINFO32.EXE")));
    frmAbout->StartSysInfo();
    EXPECT_TRUE(started().empty());
    EXPECT_EQ(messages(), (QStringList{kUnavailable, kUnavailable}));
}

TEST_F(SysInfo, BothValuesMissingIsReportedOnceWithOkOnly)
{
    frmAbout->StartSysInfo();
    EXPECT_TRUE(started().empty());
    ASSERT_EQ(messages(), QStringList{kUnavailable});
    const auto& box = testing_seams::seams().messages.front();
    EXPECT_EQ(box.buttons, vb::vbOKOnly);
    EXPECT_EQ(box.title, vb::kProgramTitle);
}

TEST_F(SysInfo, PathToAMissingFileIsReportedWithoutTryingTheFolder)
{
    const QString gone = tmp.filePath(QStringLiteral("no-such-tool"));
    SetValue(kPathKey, "PATH", vb::REG_SZ, Sz(gone));
    Touch(tmp.filePath(QStringLiteral("MSINFO32.EXE")));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));

    frmAbout->StartSysInfo();
    EXPECT_EQ(started(), std::vector<QString>{gone});
    EXPECT_EQ(messages(), QStringList{kUnavailable});
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
}

TEST_F(SysInfo, PathValuesThatNameNoProgramAreReported)
{
    // Only the terminating NUL: an empty name.
    SetValue(kPathKey, "PATH", vb::REG_SZ, QByteArray(1, '\0'));
    frmAbout->StartSysInfo();
    EXPECT_EQ(messages().size(), 1);

    // Raw bytes: read, but no text comes of them.
    SetValue(kPathKey, "PATH", vb::REG_BINARY, QByteArray("\x01\x02\x03", 3));
    frmAbout->StartSysInfo();
    EXPECT_EQ(messages().size(), 2);

    EXPECT_TRUE(started().empty());
    EXPECT_EQ(messages(), (QStringList{kUnavailable, kUnavailable}));
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, PathWithNoDataIsReportedAndTheKeyIsClosed)
{
    SetValue(kPathKey, "PATH", vb::REG_SZ, QByteArray());
    Touch(tmp.filePath(QStringLiteral("MSINFO32.EXE")));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));

    frmAbout->StartSysInfo();
    EXPECT_TRUE(started().empty());  // the error skips the second lookup
    EXPECT_EQ(messages(), QStringList{kUnavailable});
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
    EXPECT_TRUE(NoKeyLeftOpen());
}

// ---- reading one value ------------------------------------------------------------

TEST_F(SysInfo, TextWithAndWithoutItsTerminatingNulReadsTheSame)
{
    SetValue("Software\\T", "WithNul", vb::REG_SZ, QByteArray("C:\\Tools\\info.exe", 17) + '\0');
    SetValue("Software\\T", "WithoutNul", vb::REG_SZ, QByteArray("C:\\Tools\\info.exe", 17));
    SetValue("Software\\T", "Inner", vb::REG_SZ, QByteArray("ab\0cd\0", 6));
    SetValue("Software\\T", "Accents", vb::REG_SZ, Sz(QStringLiteral("Caf\u00E9")));

    QString a, b, inner, accents;
    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\T"), QStringLiteral("WithNul"), a));
    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\T"), QStringLiteral("WithoutNul"), b));
    EXPECT_EQ(a, QStringLiteral("C:\\Tools\\info.exe"));
    EXPECT_EQ(a, b);

    // Only the last NUL goes; one inside the data stays.
    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\T"), QStringLiteral("Inner"), inner));
    EXPECT_EQ(inner, QString::fromLatin1("ab\0cd", 5));

    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("software\\t"), QStringLiteral("ACCENTS"), accents));
    EXPECT_EQ(accents, QStringLiteral("Caf\u00E9"));
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, DwordReadsAsSignedDecimal)
{
    const struct {
        const char* name;
        std::uint32_t value;
        const char* text;
    } cases[] = {{"Zero", 0, "0"}, {"Small", 7, "7"}, {"Shifted", 256, "256"},
                 {"Score", 99999, "99999"}, {"Max", 0x7FFFFFFF, "2147483647"}, {"All", 0xFFFFFFFF, "-1"}};
    for (const auto& c : cases)
        SetValue("Software\\D", c.name, vb::REG_DWORD, Dword(c.value));
    for (const auto& c : cases) {
        QString text = QStringLiteral("old");
        EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\D"),
                                          QString::fromLatin1(c.name), text))
            << c.name;
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.name;
    }
}

TEST_F(SysInfo, OtherTypesLeaveTheTextAsItWas)
{
    SetValue("Software\\O", "Raw", vb::REG_BINARY, QByteArray("xyz"));
    SetValue("Software\\O", "Multi", vb::REG_MULTI_SZ, QByteArray("a\0b\0\0", 5));
    QString text = QStringLiteral("kept");
    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\O"), QStringLiteral("Raw"), text));
    EXPECT_EQ(text, QStringLiteral("kept"));
    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\O"), QStringLiteral("Multi"), text));
    EXPECT_EQ(text, QStringLiteral("kept"));
}

TEST_F(SysInfo, UnreadableKeysAndValuesEmptyTheText)
{
    SetValue("Software\\U", "Big", vb::REG_SZ, QByteArray(1025, 'x'));
    SetValue("Software\\U", "Fits", vb::REG_SZ, QByteArray(1024, 'y'));

    QString text = QStringLiteral("stale");
    EXPECT_FALSE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Nowhere"), QStringLiteral("PATH"), text));
    EXPECT_TRUE(text.isEmpty());

    text = QStringLiteral("stale");
    EXPECT_FALSE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\U"), QStringLiteral("Missing"), text));
    EXPECT_TRUE(text.isEmpty());

    text = QStringLiteral("stale");
    EXPECT_FALSE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\U"), QStringLiteral("Big"), text));
    EXPECT_TRUE(text.isEmpty());

    // Exactly the buffer's size still reads, every byte of it.
    EXPECT_TRUE(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\U"), QStringLiteral("Fits"), text));
    EXPECT_EQ(text, QString(1024, u'y'));
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, ValueWithNoDataRaisesInvalidCallAfterClosingTheKey)
{
    SetValue("Software\\E", "Empty", vb::REG_SZ, QByteArray());
    QString text = QStringLiteral("before");
    try {
        frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\E"), QStringLiteral("Empty"), text);
        ADD_FAILURE() << "no error raised";
    } catch (const vb::RuntimeError& e) {
        EXPECT_EQ(e.number, vb::errInvalidCall);
    }
    EXPECT_EQ(text, QStringLiteral("before"));
    EXPECT_TRUE(NoKeyLeftOpen());
}
