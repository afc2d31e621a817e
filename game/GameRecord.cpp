#include "GameRecord.h"

GameRecord SavedGame;

namespace {

void put16(QByteArray& out, int offset, std::int16_t value)
{
    const auto u = static_cast<std::uint16_t>(value);
    out[offset] = static_cast<char>(u & 0xFF);
    out[offset + 1] = static_cast<char>(u >> 8);
}

// The game's pair rule: the two cards of a rank and colour, and the two
// jokers, share a value.
int pairValue(std::int16_t cardNumber)
{
    if (cardNumber >= 27 && cardNumber <= 52)
        return cardNumber - 26;
    if (cardNumber == 54)
        return 53;
    return cardNumber;
}

std::int16_t get16(const QByteArray& in, int offset)
{
    const auto lo = static_cast<std::uint8_t>(in[offset]);
    const auto hi = static_cast<std::uint8_t>(in[offset + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

}  // namespace

QByteArray GameRecord::encode() const
{
    QByteArray out(kSize, '\0');
    for (int i = 0; i < 54; ++i) {
        put16(out, 2 * i, Cards[static_cast<std::size_t>(i)]);
        put16(out, 108 + 2 * i, CardVisible[static_cast<std::size_t>(i)]);
    }
    put16(out, 216, Tries);
    put16(out, 218, Matches);
    return out;
}

bool GameRecord::decode(const QByteArray& bytes)
{
    if (bytes.size() < kSize)
        return false;
    for (int i = 0; i < 54; ++i) {
        Cards[static_cast<std::size_t>(i)] = get16(bytes, 2 * i);
        CardVisible[static_cast<std::size_t>(i)] = get16(bytes, 108 + 2 * i);
    }
    Tries = get16(bytes, 216);
    Matches = get16(bytes, 218);
    return true;
}

bool GameRecord::isValid() const
{
    if (Tries < 0 || Matches < 0 || Matches > 27)
        return false;
    // Every card exactly once: a board with a card twice has a pair that can
    // never be found, and the game could not end.
    std::array<bool, 55> seen{};
    for (std::int16_t card : Cards) {
        if (card < 1 || card > 54 || seen[static_cast<std::size_t>(card)])
            return false;
        seen[static_cast<std::size_t>(card)] = true;
    }
    // Pairs leave the board together and are counted as they leave: a lone
    // removed card could never be matched, and a count that disagrees with
    // the board would end the game early or never.
    if (Tries < Matches)
        return false;
    std::array<int, 54> removedOfValue{};
    int removed = 0;
    for (std::size_t i = 0; i < 54; ++i) {
        if (CardVisible[i] == 0) {  // any other word keeps the cell on the board
            ++removed;
            ++removedOfValue[static_cast<std::size_t>(pairValue(Cards[i]))];
        }
    }
    if (removed != 2 * Matches)
        return false;
    for (int count : removedOfValue)
        if (count == 1)
            return false;
    return true;
}

bool ReadSavedGame(const QByteArray& fileBytes, GameRecord* record)
{
    GameRecord read;
    if (!read.decode(fileBytes) || !read.isValid())
        return false;
    *record = read;
    return true;
}
