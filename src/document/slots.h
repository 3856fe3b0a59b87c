#pragma once
// Fixed image slot numbers. Every subsystem names an image by its slot in
// the one image table (document/image_table.h); the numbers below are
// reserved, everything else (undo snapshots, temporaries) gets a fresh
// number from ImageTable::add().

namespace tarnel {

inline constexpr int kSlotWorking = 4;           // the image in view; every operation works on it
inline constexpr int kSlotHistogramGraph = 5;    // histogram graph
inline constexpr int kSlotScratch = 6;           // blur selection copy, tool previews
inline constexpr int kSlotPreview = 7;           // quantize preview and brightness/contrast base
inline constexpr int kSlotSelectedArea = 8;      // area analysed by the histogram and palette windows
inline constexpr int kSlotPaletteSwatches = 9;
inline constexpr int kSlotPaletteBackground = 10;
inline constexpr int kSlotIconRedo = 11;         // toolbar icons, 16 x 16
inline constexpr int kSlotIconPalette = 12;
inline constexpr int kSlotIconHistogram = 13;
inline constexpr int kSlotIconSelector = 14;
inline constexpr int kSlotIconMover = 15;
inline constexpr int kSlotIconUndo = 16;
inline constexpr int kSlotTwoColorsFirst = 17;   // Two Colors colour buttons
inline constexpr int kSlotTwoColorsSecond = 18;
inline constexpr int kSlotTwoColorsWork = 19;    // Two Colors working copy

// Fresh numbers start here, above every fixed slot.
inline constexpr int kFirstFreshSlot = 32;

}  // namespace tarnel
