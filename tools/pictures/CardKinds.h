// Which card numbers are drawn as full JPEG cards and which as GIF overlays
// or patterned backs. Shared by the picture generator and the resource
// library so that file names never drift apart.
#pragma once

namespace quorvane::pictures {

constexpr int kCardCount = 68;

// Full cards: 61 x 89, JPEG, green corners.
constexpr int kFullWidth = 61;
constexpr int kFullHeight = 89;

// Overlays and patterned backs: 71 x 96, GIF with one transparent entry.
constexpr int kGifWidth = 71;
constexpr int kGifHeight = 96;

constexpr bool isGifCard(int n)
{
    return n == 55 || n == 56 || n == 57 || n == 59 || (n >= 61 && n <= 68);
}

constexpr bool isValidCard(int n) { return n >= 1 && n <= kCardCount; }

// The transparent palette colour of a GIF card: dark green for the sea and
// jungle backs, magenta for everything else.
constexpr bool hasDarkGreenKey(int n) { return n >= 62 && n <= 66; }

} // namespace quorvane::pictures
