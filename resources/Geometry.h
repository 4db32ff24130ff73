// The window's size, its skin's size and the colour key, in one place: the code includes this
// file and tools/make_resources.py reads the numbers below (one "name = value;" each) to draw
// the skin to them.
#pragma once
#include <cstdint>

namespace tolvira {

inline constexpr int kSkinWidth = 250;   // pixels
inline constexpr int kSkinHeight = 284;  // pixels
// Pixels of exactly this colour are not drawn.
inline constexpr uint32_t kColourKey = 0x00585858;
// The window, in twips (15 to a pixel): as wide as the skin, and 20 twips taller, so its last
// row is the background, which is the colour key, and so is not drawn.
inline constexpr int kWindowWidth = 3750;
inline constexpr int kWindowHeight = 4280;

static_assert(kWindowWidth == kSkinWidth * 15);
static_assert(kWindowHeight == kSkinHeight * 15 + 20);

}  // namespace tolvira
