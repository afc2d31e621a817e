#include "DeckSmall.h"
#include "TestSeams.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <limits>

using testing_seams::seams;

namespace {

struct LoadedDeck {
    QWidget host;
    DeckSmall deck{&host};
    QStringList changes;
    explicit LoadedDeck(const vb::PropertyBag& bag = {})
    {
        deck.LoadFrom(bag);
        deck.onPropertyChanged = [this](const QString& name) { changes << name; };
    }
};

}  // namespace

TEST(DeckSmall, EveryValidCardNumberSelectsItsOwnPicture)
{
    LoadedDeck d;
    for (int n = 1; n <= 68; ++n) {
        d.deck.setChangeCard(n);
        ASSERT_NE(d.deck.Picture(), nullptr) << "card " << n;
        EXPECT_EQ(d.deck.Picture(), d.deck.Face(n - 1).Picture) << "card " << n;
        EXPECT_EQ(d.deck.ChangeCard(), n);
    }
    // Distinct cards are distinct pictures; the same card is the same object.
    d.deck.setChangeCard(1);
    const vb::StdPicture ace = d.deck.Picture();
    d.deck.setChangeCard(54);
    EXPECT_NE(d.deck.Picture(), ace);
    d.deck.setChangeCard(1);
    EXPECT_EQ(d.deck.Picture(), ace);
    EXPECT_EQ(d.deck.Picture(), d.deck.Picture());
    EXPECT_TRUE(seams().messages.empty());
}

TEST(DeckSmall, AnInvalidCardNumberWarnsOnceAndKeepsThePicture)
{
    LoadedDeck d;
    d.deck.setChangeCard(60);
    const vb::StdPicture back = d.deck.Picture();
    const std::int32_t bad[] = {0, 69, -1, 40000, std::numeric_limits<std::int32_t>::min()};
    for (std::int32_t v : bad) {
        seams().messages.clear();
        d.changes.clear();
        d.deck.setChangeCard(v);
        ASSERT_EQ(seams().messages.size(), 1u) << v;
        EXPECT_EQ(seams().messages[0].prompt, QStringLiteral("Invalid Property Setting!"));
        EXPECT_EQ(seams().messages[0].title, QStringLiteral("Quorvane Concentration"));
        EXPECT_EQ(seams().messages[0].buttons, vb::vbOKOnly);
        EXPECT_EQ(d.deck.ChangeCard(), v) << "the value is stored before it is tested";
        EXPECT_EQ(d.deck.Picture(), back);
        EXPECT_EQ(d.changes, QStringList{QStringLiteral("ChangeCard")});
    }
    EXPECT_EQ(seams().endCalls, 0) << "the error never reaches the caller";
}

TEST(DeckSmall, NewAndLoadedInstancesStartAsDesigned)
{
    QWidget host;
    DeckSmall fresh(&host);
    fresh.InitNew();
    EXPECT_EQ(fresh.ChangeCard(), 54);
    EXPECT_EQ(fresh.Picture(), nullptr);
    vb::PropertyBag stored;
    fresh.SaveTo(stored);
    EXPECT_EQ(stored.size(), 0) << "a new instance stores nothing";

    LoadedDeck loaded;
    EXPECT_EQ(loaded.deck.ChangeCard(), 54);
    EXPECT_EQ(loaded.deck.Picture(), loaded.deck.Face(54).Picture) << "the empty-slot marker";
    vb::PropertyBag again;
    loaded.deck.SaveTo(again);
    EXPECT_TRUE(again.contains(QStringLiteral("Picture")));
    EXPECT_FALSE(again.contains(QStringLiteral("ChangeCard")));

    vb::PropertyBag zero;
    zero.WriteProperty(QStringLiteral("ChangeCard"), 0, 54);
    LoadedDeck fromZero(zero);
    EXPECT_EQ(fromZero.deck.ChangeCard(), 0);
    EXPECT_EQ(fromZero.deck.Picture(), fromZero.deck.Face(54).Picture);
    EXPECT_TRUE(seams().messages.empty()) << "a stored value is taken without the range test";
}

TEST(DeckSmall, KeepsItsFixedSize)
{
    QWidget host;
    DeckSmall deck(&host);
    deck.InitNew();
    host.show();
    EXPECT_EQ(deck.size(), QSize(32, 39));
    deck.resize(100, 20);
    EXPECT_EQ(deck.size(), QSize(32, 39));
    deck.setWidth(2000);
    EXPECT_EQ(deck.Width(), 480);
    EXPECT_EQ(deck.Height(), 585);
}
