// A saved game: one record of 220 bytes of signed 16-bit little-endian
// fields, the first record of a file of 640-byte records.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

struct GameRecord {
    static constexpr int kSize = 220;
    static constexpr int kRecordLength = 640;

    std::array<std::int16_t, 54> Cards{};
    std::array<std::int16_t, 54> CardVisible{};
    std::int16_t Tries = 0;
    std::int16_t Matches = 0;

    QByteArray encode() const;
    // Reads the first kSize bytes; false when there are fewer.
    bool decode(const QByteArray& bytes);
    // True when the record is a game that play can reach and go on from:
    // card numbers 1..54 each exactly once; the removed cells (visibility
    // word 0) whole pairs, two for each of the 0..27 pairs found; no fewer
    // tries than pairs found. Any visibility word other than 0 is a cell on
    // the board, not only the -1 the game writes. A game saved in the 750 ms
    // after a pair's second card still has both cards on the board, its try
    // counted and its pair not yet, and is valid.
    bool isValid() const;
};

// Reads a saved game from the bytes of its file; false for a file that
// holds no valid record (nothing is changed then).
bool ReadSavedGame(const QByteArray& fileBytes, GameRecord* record);

// The one record buffer of the program, used by the save and open commands.
extern GameRecord SavedGame;
