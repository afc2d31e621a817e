// Any file may be offered to the Open dialog. The reader must accept exactly
// the records the game could have saved, take them byte for byte, and leave
// the buffer alone for everything else.
#include "GameRecord.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // A marker that a refused file must leave in place.
    GameRecord record;
    record.Cards.fill(7);
    record.CardVisible.fill(-1);
    record.Tries = 12345;
    record.Matches = 3;
    const QByteArray before = record.encode();

    const bool accepted = ReadSavedGame(bytes, &record);
    if (!accepted) {
        check(record.encode() == before);
        return 0;
    }

    check(size >= static_cast<std::size_t>(GameRecord::kSize));
    check(record.isValid());
    check(record.Tries >= 0 && record.Matches >= 0 && record.Matches <= 27);
    // The board holds the whole deck: every card number once.
    std::array<int, 55> count{};
    for (std::int16_t card : record.Cards) {
        check(card >= 1 && card <= 54);
        ++count[static_cast<std::size_t>(card)];
    }
    for (int n = 1; n <= 54; ++n)
        check(count[static_cast<std::size_t>(n)] == 1);
    // Play removes whole pairs and counts each once: the removed cells are
    // two per pair found, and a card is removed only with its partner.
    check(record.Tries >= record.Matches);
    std::array<bool, 55> removed{};
    int removedCells = 0;
    for (std::size_t i = 0; i < 54; ++i) {
        if (record.CardVisible[i] == 0) {  // any other word is on the board
            removed[static_cast<std::size_t>(record.Cards[i])] = true;
            ++removedCells;
        }
    }
    check(removedCells == 2 * record.Matches);
    for (int n = 1; n <= 26; ++n)
        check(removed[static_cast<std::size_t>(n)] == removed[static_cast<std::size_t>(n + 26)]);
    check(removed[53] == removed[54]);
    // Only the first record's bytes count, and they come back unchanged.
    check(record.encode() == bytes.left(GameRecord::kSize));

    GameRecord again;
    check(again.decode(record.encode()));
    check(again.encode() == record.encode());
    return 0;
}
