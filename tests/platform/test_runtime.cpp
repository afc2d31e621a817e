#include "Platform.h"
#include "Runtime.h"
#include "TestSeams.h"
#include "UserControl.h"
#include "Picture.h"

#include <QLocale>

#include <gtest/gtest.h>

using testing_seams::seams;

namespace {

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const vb::RuntimeError& e) {
        return e.number;
    }
    return 0;
}

}  // namespace

TEST(CheckedIntegers, ArithmeticThatLeavesTheTypeRaisesOverflow)
{
    vb::Integer i = 32766;
    i += 1;
    EXPECT_EQ(i, 32767);
    EXPECT_EQ(errorOf([&] { i += 1; }), vb::errOverflow);
    EXPECT_EQ(i, 32767) << "a failed addition leaves the value as it was";
    EXPECT_EQ(errorOf([] { vb::Integer k = -32768; k -= 1; }), vb::errOverflow);
    EXPECT_EQ(errorOf([] { vb::Integer k = 70000; (void)k; }), vb::errOverflow);

    vb::Long l = 2147483647;
    EXPECT_EQ(errorOf([&] { vb::Long m = l + 1; (void)m; }), vb::errOverflow);
    vb::Long lowest = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(errorOf([&] { vb::Long m = lowest - 1; (void)m; }), vb::errOverflow);
    EXPECT_EQ(errorOf([&] { vb::Long m = l + l; (void)m; }), vb::errOverflow);

    vb::Integer a = 20000;
    vb::Integer b = 20000;
    EXPECT_EQ(errorOf([&] { vb::Integer c = a + b; (void)c; }), vb::errOverflow);
    EXPECT_EQ(27 - vb::Integer(5), 22);
}

TEST(BoundedArrays, IndexOutsideTheBoundsRaisesSubscriptOutOfRange)
{
    vb::BoundedArray<int, 1, 54> used;
    used(1) = 5;
    used(54) = 7;
    EXPECT_EQ(used(1), 5);
    EXPECT_EQ(used(54), 7);
    EXPECT_EQ(errorOf([&] { used(0) = 1; }), vb::errSubscript);
    EXPECT_EQ(errorOf([&] { used(55) = 1; }), vb::errSubscript);
    EXPECT_EQ(errorOf([&] { (void)used(-2147483648LL); }), vb::errSubscript);
}

TEST(Conversions, RoundingIsHalfToEven)
{
    EXPECT_EQ(vb::CInt(2.5), 2);
    EXPECT_EQ(vb::CInt(3.5), 4);
    EXPECT_EQ(vb::CInt(-2.5), -2);
    EXPECT_EQ(vb::CInt(53.5), 54);
    EXPECT_EQ(vb::CInt(1.4999), 1);
    EXPECT_EQ(vb::CLng(99999.0), 99999);
    EXPECT_EQ(errorOf([] { vb::CInt(32767.5); }), vb::errOverflow);
    EXPECT_EQ(errorOf([] { vb::CLng(2147483647.5); }), vb::errOverflow);
}

TEST(Conversions, NumericTextFollowsTheNumberGrammar)
{
    double v = 0;
    EXPECT_TRUE(vb::TextToNumber(QStringLiteral("007"), &v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(vb::TextToNumber(QStringLiteral("  -12.5e1 "), &v));
    EXPECT_EQ(v, -125);
    EXPECT_TRUE(vb::TextToNumber(QStringLiteral("+3"), &v));
    EXPECT_FALSE(vb::TextToNumber(QString(), &v));
    EXPECT_FALSE(vb::TextToNumber(QStringLiteral("   "), &v));
    EXPECT_FALSE(vb::TextToNumber(QStringLiteral("Anonymous"), &v));
    EXPECT_FALSE(vb::TextToNumber(QStringLiteral("12abc"), &v));
    EXPECT_FALSE(vb::TextToNumber(QStringLiteral("1e"), &v));
    EXPECT_FALSE(vb::TextToNumber(QStringLiteral("."), &v));

    EXPECT_TRUE(vb::IsNumeric(QVariant(99999)));
    EXPECT_TRUE(vb::IsNumeric(QVariant(QStringLiteral("2.5"))));
    EXPECT_FALSE(vb::IsNumeric(QVariant(QString())));
    EXPECT_EQ(vb::CDbl(QVariant(QStringLiteral("100"))), 100.0);
    EXPECT_EQ(errorOf([] { vb::CDbl(QVariant(QStringLiteral("abc"))); }), vb::errTypeMismatch);

    EXPECT_EQ(vb::Trim(QStringLiteral("  Ann Lee  ")), QStringLiteral("Ann Lee"));
    EXPECT_EQ(vb::VariantToText(QVariant(7)), QStringLiteral("7"));
    EXPECT_EQ(vb::VariantToText(QVariant(-1)), QStringLiteral("-1"));
}

TEST(ErrorBoundary, AnEscapedErrorShowsTheRunTimeMessageAndEndsTheProgram)
{
    bool after = false;
    vb::Boundary([&] {
        vb::Raise(vb::errOverflow);
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_EQ(seams().messages[0].prompt, QStringLiteral("Run-time error '6':\n\nOverflow"));
    EXPECT_EQ(seams().messages[0].title, vb::kProgramTitle);
    EXPECT_EQ(seams().endCalls, 1);
}

TEST(ErrorBoundary, EndStopsTheHandlerWithoutAMessage)
{
    bool after = false;
    vb::Boundary([&] {
        vb::End();
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_EQ(seams().endCalls, 1);
}

TEST(PropertyBags, StoreOnlyWhatDiffersFromTheDefault)
{
    vb::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("ChangeCard"), 54, 54);
    EXPECT_FALSE(bag.contains(QStringLiteral("ChangeCard")));
    bag.WriteProperty(QStringLiteral("ChangeCard"), 12, 54);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("changecard"), 54).toInt(), 12);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Missing"), 54).toInt(), 54);

    bag.WriteProperty(QStringLiteral("Picture"), QVariant::fromValue(vb::StdPicture()),
                      QVariant::fromValue(vb::StdPicture()));
    EXPECT_FALSE(bag.contains(QStringLiteral("Picture")));
    auto picture = std::make_shared<const vb::PictureData>(QPixmap(4, 4));
    bag.WriteProperty(QStringLiteral("Picture"), QVariant::fromValue<vb::StdPicture>(picture),
                      QVariant::fromValue(vb::StdPicture()));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Picture")).value<vb::StdPicture>(), picture);
}
