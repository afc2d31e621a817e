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
};

// The one record buffer of the program, used by the save and open commands.
extern GameRecord SavedGame;
