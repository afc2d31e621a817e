// ReadRegistryValue and WriteRegistryValue against the real store file: what
// each kind of stored value reads as, and how each kind of data is stored.
#include "QuorvaneConcentrationModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace vb;

namespace {

struct Raw {
    std::uint32_t type;
    QByteArray data;
};

QByteArray bytesOf(const char* data, std::size_t size)
{
    return QByteArray(data, static_cast<qsizetype>(size));
}

class RegistryValuesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        previous_ = qgetenv("QUORVANE_REGISTRY");
        path_ = dir_.filePath(QStringLiteral("registry.reg"));
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(path_));
        ResetRegistryWriteFailure();
    }
    void TearDown() override { qputenv("QUORVANE_REGISTRY", previous_); }

    // Stores raw data under the high-score key, bypassing the procedures.
    static void store(const char* name, std::uint32_t type, const QByteArray& data)
    {
        HKEY h = 0;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kHighScoreKey, &h), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(h, name, 0, type, reinterpret_cast<const std::uint8_t*>(data.constData()),
                                 static_cast<std::uint32_t>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }

    static std::optional<Raw> stored(const char* name, const char* key = kHighScoreKey)
    {
        HKEY h = 0;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, key, &h) != ERROR_SUCCESS)
            return std::nullopt;
        std::optional<Raw> result;
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        if (RegQueryValueExA(h, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            QByteArray data(static_cast<qsizetype>(size), '\0');
            RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<std::uint8_t*>(data.data()), &size);
            result = Raw{type, data};
        }
        RegCloseKey(h);
        return result;
    }

    static QVariant read(const QString& name)
    {
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, QLatin1String(kHighScoreKey), name);
    }
    static void write(const QString& name, const QVariant& data)
    {
        WriteRegistryValue(HKEY_LOCAL_MACHINE, QLatin1String(kHighScoreKey), name, data);
    }

    QByteArray fileBytes() const
    {
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QString path_;
    QByteArray previous_;
};

void expectText(const QVariant& v, const QString& text)
{
    EXPECT_EQ(v.typeId(), QMetaType::QString);
    EXPECT_EQ(v.toString(), text);
}

void expectNumber(const QVariant& v, int number)
{
    EXPECT_EQ(v.typeId(), QMetaType::Int);
    EXPECT_EQ(v.toInt(), number);
}

// ------------------------------------------------------------------- reading

TEST_F(RegistryValuesTest, AMissingKeyOrValueReadsAsEmptyTextAndCreatesNothing)
{
    expectText(read(QStringLiteral("Player1")), QString());
    EXPECT_FALSE(QFile::exists(path_));

    store("Player2", REG_SZ, bytesOf("Ann", 4));
    const QByteArray before = fileBytes();
    expectText(read(QStringLiteral("Player1")), QString());
    expectText(ReadRegistryValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Nowhere"), QStringLiteral("x")),
               QString());
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(RegistryValuesTest, TextValuesReadUpToTheirFirstNul)
{
    store("Whole", REG_SZ, bytesOf("Anonymous", 10));
    store("Middle", REG_SZ, bytesOf("Ann\0Bob", 8));
    store("NoNul", REG_SZ, bytesOf("Carl", 4));
    store("OnlyNul", REG_SZ, bytesOf("", 1));
    store("NoData", REG_SZ, QByteArray());
    store("Latin1", REG_SZ, bytesOf("Zo\xEB", 4));

    expectText(read(QStringLiteral("Whole")), QStringLiteral("Anonymous"));
    expectText(read(QStringLiteral("Middle")), QStringLiteral("Ann"));
    expectText(read(QStringLiteral("NoNul")), QStringLiteral("Carl"));
    expectText(read(QStringLiteral("OnlyNul")), QString());
    expectText(read(QStringLiteral("NoData")), QString());
    expectText(read(QStringLiteral("Latin1")), QStringLiteral(u"Zo\u00EB"));
    expectText(read(QStringLiteral("WHOLE")), QStringLiteral("Anonymous"));
}

TEST_F(RegistryValuesTest, ATextWhoseNulLiesPast32767CharactersReadsUpToIt)
{
    const QByteArray name(40000, 'x');
    store("Long", REG_SZ, name + '\0');
    store("LongWithTail", REG_SZ, name + QByteArray("\0tail\0", 6));
    store("LongNoNul", REG_SZ, name);

    EXPECT_EQ(read(QStringLiteral("Long")).toString(), QString::fromLatin1(name));
    EXPECT_EQ(read(QStringLiteral("LongWithTail")).toString(), QString::fromLatin1(name));
    EXPECT_EQ(read(QStringLiteral("LongNoNul")).toString(), QString::fromLatin1(name));
}

TEST_F(RegistryValuesTest, NumbersReadAsSigned32BitIntegers)
{
    store("Score1", REG_DWORD, bytesOf("\x9F\x86\x01\x00", 4));
    store("Score2", REG_DWORD, bytesOf("\xFF\xFF\xFF\xFF", 4));
    store("Score3", REG_DWORD, bytesOf("\x00\x00\x00\x80", 4));
    store("Score4", REG_DWORD, bytesOf("\x00\x00\x00\x00", 4));

    expectNumber(read(QStringLiteral("Score1")), 99999);
    expectNumber(read(QStringLiteral("Score2")), -1);
    expectNumber(read(QStringLiteral("Score3")), -2147483647 - 1);
    expectNumber(read(QStringLiteral("Score4")), 0);
}

TEST_F(RegistryValuesTest, OtherTypesReadAsEmptyText)
{
    store("Binary", REG_BINARY, bytesOf("\x9F\x86\x01\x00", 4));
    store("Expand", REG_EXPAND_SZ, bytesOf("%HOME%", 7));
    store("Multi", REG_MULTI_SZ, bytesOf("a\0b\0", 5));
    store("None", REG_NONE, QByteArray());
    store("LongDword", REG_DWORD, bytesOf("\1\0\0\0\0\0\0\0", 8));

    for (const char* name : {"Binary", "Expand", "Multi", "None", "LongDword"})
        expectText(read(QLatin1String(name)), QString());
}

// ------------------------------------------------------------------- writing

TEST_F(RegistryValuesTest, NumbersAreStoredAsLittleEndianDwords)
{
    write(QStringLiteral("Score1"), 99999);
    const auto v = stored("Score1");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_DWORD);
    EXPECT_EQ(v->data, bytesOf("\x9F\x86\x01\x00", 4));
    EXPECT_TRUE(fileBytes().contains("\n\"Score1\"=dword:0001869f\n"));
    expectNumber(read(QStringLiteral("Score1")), 99999);

    write(QStringLiteral("Score2"), -1);
    EXPECT_EQ(stored("Score2")->data, bytesOf("\xFF\xFF\xFF\xFF", 4));
    write(QStringLiteral("Score3"), qint64(-2147483647) - 1);
    EXPECT_EQ(stored("Score3")->data, bytesOf("\x00\x00\x00\x80", 4));
    write(QStringLiteral("Score4"), 2147483647);
    EXPECT_EQ(stored("Score4")->data, bytesOf("\xFF\xFF\xFF\x7F", 4));
}

TEST_F(RegistryValuesTest, TextsAreTrimmedOfSpacesAndStoredWithOneNul)
{
    write(QStringLiteral("Player1"), QStringLiteral("  Ann Lee  "));
    write(QStringLiteral("Player2"), QStringLiteral("    "));
    write(QStringLiteral("Player3"), QString());
    write(QStringLiteral("Player4"), QStringLiteral(u"Zo\u00EB"));
    write(QStringLiteral("Player5"), QStringLiteral("\tTab\t"));  // only spaces are trimmed

    const auto p1 = stored("Player1");
    ASSERT_TRUE(p1);
    EXPECT_EQ(p1->type, REG_SZ);
    EXPECT_EQ(p1->data, bytesOf("Ann Lee", 8));
    EXPECT_EQ(stored("Player2")->data, bytesOf("", 1));
    EXPECT_EQ(stored("Player3")->data, bytesOf("", 1));
    EXPECT_EQ(stored("Player4")->data, bytesOf("Zo\xC3\xAB", 5));
    EXPECT_EQ(stored("Player5")->data, bytesOf("\tTab\t", 6));

    const QByteArray text = fileBytes();
    EXPECT_TRUE(text.contains("\n\"Player1\"=\"Ann Lee\"\n"));
    EXPECT_TRUE(text.contains("\n\"Player2\"=\"\"\n"));

    expectText(read(QStringLiteral("Player1")), QStringLiteral("Ann Lee"));
    expectText(read(QStringLiteral("Player2")), QString());
    expectText(read(QStringLiteral("Player5")), QStringLiteral("\tTab\t"));
}

TEST_F(RegistryValuesTest, ATextIsStoredAsANumberOnlyWhenTheNumberReadsBackAsThatText)
{
    // Numbers are rounded; a text whose number would not give it back as typed stays a text.
    const std::pair<QVariant, QVariant> cases[] = {  // written, read back
        {"57", 57}, {" -3 ", -3}, {"99999", 99999}, {2.5, 2}, {-3.5, -4}, {"007", "007"},
        {"2.5", "2.5"}, {"1e5", "1e5"}, {"+5", "+5"}, {" -0 ", "-0"}, {"\t5", "\t5"},
    };
    for (const auto& [written, reads] : cases) {
        SCOPED_TRACE(written.toString().toStdString());
        write(QStringLiteral("Player1"), written);
        const QVariant got = read(QStringLiteral("Player1"));
        EXPECT_EQ(got.typeId(), reads.typeId());
        EXPECT_EQ(got.toString(), reads.toString());
    }
}

TEST_F(RegistryValuesTest, NumbersBeyond32BitsAreKeptAsTheirText)
{
    write(QStringLiteral("Player1"), QStringLiteral(" 99999999999 "));
    write(QStringLiteral("Player2"), QStringLiteral("2147483648"));
    write(QStringLiteral("Player3"), QStringLiteral("2147483647.5"));  // rounds up out of range
    write(QStringLiteral("Player4"), QStringLiteral("-2147483649"));
    write(QStringLiteral("Player5"), QStringLiteral("2147483647.4"));  // no 32-bit number reads so

    EXPECT_EQ(stored("Player1")->type, REG_SZ);
    EXPECT_EQ(stored("Player1")->data, QByteArray("99999999999", 12));
    expectText(read(QStringLiteral("Player1")), QStringLiteral("99999999999"));
    expectText(read(QStringLiteral("Player2")), QStringLiteral("2147483648"));
    expectText(read(QStringLiteral("Player3")), QStringLiteral("2147483647.5"));
    expectText(read(QStringLiteral("Player4")), QStringLiteral("-2147483649"));
    expectText(read(QStringLiteral("Player5")), QStringLiteral("2147483647.4"));
    EXPECT_FALSE(LastRegistryWriteFailed());
}

TEST_F(RegistryValuesTest, AWriteReplacesTheStoredValueAndItsType)
{
    write(QStringLiteral("Player1"), QStringLiteral("Anonymous"));
    write(QStringLiteral("Player1"), QStringLiteral("42"));
    expectNumber(read(QStringLiteral("Player1")), 42);
    write(QStringLiteral("PLAYER1"), QStringLiteral("Ann"));
    expectText(read(QStringLiteral("Player1")), QStringLiteral("Ann"));
    EXPECT_EQ(fileBytes().count("layer1\"="), 1);
}

TEST_F(RegistryValuesTest, AWriteCreatesTheKeyAndEveryMissingKeyAbove)
{
    write(QStringLiteral("Score1"), 99999);
    const QByteArray text = fileBytes();
    EXPECT_TRUE(text.contains("[HKEY_LOCAL_MACHINE\\Software]\n"));
    EXPECT_TRUE(text.contains("[HKEY_LOCAL_MACHINE\\Software\\Quorvane Software]\n"));
    EXPECT_TRUE(text.contains("[HKEY_LOCAL_MACHINE\\Software\\Quorvane Software\\Quorvane Concentration]\n"
                              "\"Score1\"=dword:0001869f\n"));
    expectNumber(read(QStringLiteral("Score1")), 99999);
    EXPECT_FALSE(LastRegistryWriteFailed());
}

// ------------------------------------------------------------ failed writes

TEST_F(RegistryValuesTest, AFailedWriteIsRecordedUntilReset)
{
    write(QStringLiteral("Score1"), 99999);
    EXPECT_FALSE(LastRegistryWriteFailed());

    // A store that cannot be written: its path is a folder.
    const QString folder = dir_.filePath(QStringLiteral("folder"));
    QDir().mkpath(folder);
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(folder));
    write(QStringLiteral("Player1"), QStringLiteral("Ann"));  // returns normally
    EXPECT_TRUE(LastRegistryWriteFailed());
    expectText(read(QStringLiteral("Player1")), QString());
    write(QStringLiteral("Player2"), QStringLiteral("Bob"));
    EXPECT_TRUE(LastRegistryWriteFailed()) << "a later write does not clear it";

    ResetRegistryWriteFailure();
    EXPECT_FALSE(LastRegistryWriteFailed());
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(path_));
    write(QStringLiteral("Player1"), QStringLiteral("Ann"));
    EXPECT_FALSE(LastRegistryWriteFailed());
    expectText(read(QStringLiteral("Player1")), QStringLiteral("Ann"));
}

}  // namespace
