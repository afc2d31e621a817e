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

// A text value as the game's registry functions store it: UTF-8.
QByteArray Sz(const QString& text) { return text.toUtf8() + '\0'; }

void Touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// Handles are numbered from 1 and reused, so with none left open the next
// key opened gets handle 1.
bool NoKeyLeftOpen()
{
    vb::HKEY probe = 0;
    if (vb::RegCreateKeyA(vb::HKEY_LOCAL_MACHINE, "Software\\Probe", &probe) != vb::ERROR_SUCCESS)
        return false;
    vb::RegCloseKey(probe);
    return probe == 1;
}

struct SysInfo : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        // Records starts as the shared seam does, but reads the program's
        // backslash separators as the real start does.
        vb::seams::setStartProgram([](const QString& path, int style) {
            testing_seams::seams().startedPrograms.push_back(path);
            EXPECT_EQ(style, vb::vbNormalFocus);
            return QFileInfo(QString(path).replace(u'\\', u'/')).isFile();
        });
    }
    void Run() { frmAbout->StartSysInfo(); }
    const std::vector<QString>& started() { return testing_seams::seams().startedPrograms; }
    QStringList messages() { return testing_seams::seams().messageTexts(); }
    QString Read(const char* key, const char* name, QString text, bool expectRead = true)
    {
        EXPECT_EQ(frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QString::fromLatin1(key), QString::fromLatin1(name), text),
                  expectRead)
            << name;
        return text;
    }
    QTemporaryDir tmp;
};

}  // namespace

TEST_F(SysInfo, PathNamingAnExistingProgramStartsItAndNothingElse)
{
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("\u0141\u00F3d\u017A")));
    const QString tool = tmp.filePath(QStringLiteral("\u0141\u00F3d\u017A/sysinfo-tool"));
    Touch(tool);
    SetValue(kPathKey, "PATH", vb::REG_SZ, Sz(tool));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));
    Run();
    EXPECT_EQ(started(), std::vector<QString>{tool});
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, FolderHoldingTheProgramStartsItWhenPathIsMissing)
{
    const QString folder = tmp.filePath(QStringLiteral("\u0141\u00F3d\u017A"));
    ASSERT_TRUE(QDir().mkdir(folder));
    Touch(folder + QStringLiteral("/MSINFO32.EXE"));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(folder));
    Run();
    EXPECT_EQ(started(), std::vector<QString>{folder + QStringLiteral("\\MSINFO32.EXE")});
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, NoProgramToBeFoundIsReportedWithOkOnly)
{
    Run();  // neither value
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));
    Run();  // a folder without the program
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("MSINFO32.EXE")));
    Run();  // a folder of that name is no program either

    EXPECT_TRUE(started().empty());
    EXPECT_EQ(messages(), (QStringList{kUnavailable, kUnavailable, kUnavailable}));
    EXPECT_EQ(testing_seams::seams().messages.front().buttons, vb::vbOKOnly);
    EXPECT_EQ(testing_seams::seams().messages.front().title, vb::kProgramTitle);
}

// Whatever PATH holds, once it is read the folder is never consulted, even
// though here it holds the program.
TEST_F(SysInfo, PathThatYieldsNoProgramIsReportedWithoutTryingTheFolder)
{
    Touch(tmp.filePath(QStringLiteral("MSINFO32.EXE")));
    SetValue(kFolderKey, "MSINFO", vb::REG_SZ, Sz(tmp.path()));
    const QString gone = tmp.filePath(QStringLiteral("no-such-tool"));

    SetValue(kPathKey, "PATH", vb::REG_SZ, Sz(gone));
    Run();
    SetValue(kPathKey, "PATH", vb::REG_SZ, QByteArray(1, '\0'));  // empty text
    Run();
    SetValue(kPathKey, "PATH", vb::REG_BINARY, QByteArray("\x01\x02\x03", 3));
    Run();
    SetValue(kPathKey, "PATH", vb::REG_SZ, QByteArray());  // no data: raises inside the lookup
    Run();

    EXPECT_EQ(started(), std::vector<QString>{gone});
    EXPECT_EQ(messages(), (QStringList{kUnavailable, kUnavailable, kUnavailable, kUnavailable}));
    EXPECT_EQ(testing_seams::seams().endCalls, 0);
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, GetKeyValueReadsTextAndNumbers)
{
    SetValue("Software\\T", "WithNul", vb::REG_SZ, QByteArray("C:\\Tools\\info.exe", 17) + '\0');
    SetValue("Software\\T", "WithoutNul", vb::REG_SZ, QByteArray("C:\\Tools\\info.exe", 17));
    SetValue("Software\\T", "Inner", vb::REG_SZ, QByteArray("ab\0cd\0", 6));
    SetValue("Software\\T", "Accents", vb::REG_SZ, Sz(QStringLiteral("Caf\u00E9")));
    SetValue("Software\\T", "Fits", vb::REG_SZ, QByteArray(1024, 'y'));
    EXPECT_EQ(Read("Software\\T", "WithNul", {}), QStringLiteral("C:\\Tools\\info.exe"));
    EXPECT_EQ(Read("Software\\T", "WithoutNul", {}), QStringLiteral("C:\\Tools\\info.exe"));
    EXPECT_EQ(Read("Software\\T", "Inner", {}), QString::fromLatin1("ab\0cd", 5));  // only the last NUL goes
    EXPECT_EQ(Read("software\\t", "ACCENTS", {}), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(Read("Software\\T", "Fits", {}), QString(1024, u'y'));

    const struct {
        const char* name;
        std::uint32_t value;
        const char* text;
    } numbers[] = {{"Zero", 0, "0"}, {"Small", 7, "7"}, {"Shifted", 256, "256"},
                   {"Score", 99999, "99999"}, {"Max", 0x7FFFFFFF, "2147483647"}, {"All", 0xFFFFFFFF, "-1"}};
    for (const auto& n : numbers) {
        QByteArray le(4, '\0');
        for (int i = 0; i < 4; ++i)
            le[i] = static_cast<char>((n.value >> (8 * i)) & 0xFF);
        SetValue("Software\\D", n.name, vb::REG_DWORD, le);
        EXPECT_EQ(Read("Software\\D", n.name, QStringLiteral("old")), QString::fromLatin1(n.text));
    }

    // Types it does not read: true, and the text stays.
    SetValue("Software\\O", "Raw", vb::REG_BINARY, QByteArray("xyz"));
    SetValue("Software\\O", "Multi", vb::REG_MULTI_SZ, QByteArray("a\0b\0\0", 5));
    EXPECT_EQ(Read("Software\\O", "Raw", QStringLiteral("kept")), QStringLiteral("kept"));
    EXPECT_EQ(Read("Software\\O", "Multi", QStringLiteral("kept")), QStringLiteral("kept"));
    EXPECT_TRUE(NoKeyLeftOpen());
}

TEST_F(SysInfo, GetKeyValueFailuresEmptyTheTextOrRaise)
{
    SetValue("Software\\U", "Big", vb::REG_SZ, QByteArray(1025, 'x'));
    SetValue("Software\\U", "Empty", vb::REG_SZ, QByteArray());
    EXPECT_EQ(Read("Software\\Nowhere", "PATH", QStringLiteral("stale"), false), QString());
    EXPECT_EQ(Read("Software\\U", "Missing", QStringLiteral("stale"), false), QString());
    EXPECT_EQ(Read("Software\\U", "Big", QStringLiteral("stale"), false), QString());

    QString text = QStringLiteral("before");
    try {
        frmAbout->GetKeyValue(vb::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\U"), QStringLiteral("Empty"), text);
        ADD_FAILURE() << "no error raised";
    } catch (const vb::RuntimeError& e) {
        EXPECT_EQ(e.number, vb::errInvalidCall);
    }
    EXPECT_EQ(text, QStringLiteral("before"));
    EXPECT_TRUE(NoKeyLeftOpen());
}
