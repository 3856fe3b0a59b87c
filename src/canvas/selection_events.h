#pragma once
// Custom event codes the selection posts into the main queue, and the edge
// flags carried by "selection changing".

namespace tarnel {

// Left button released with a non-empty rectangle; posted for window 0.
inline constexpr int kEventSelectionFinished = 65583;
// Left button released without a rectangle, or the selection removed.
inline constexpr int kEventSelectionCleared = 65584;
// Every mouse move with the button held; object = canvas number, data = edge flags.
inline constexpr int kEventSelectionChanging = 65585;

// Edge flags of kEventSelectionChanging: which bounds the rectangle touches.
inline constexpr int kEdgeLeft = 1;
inline constexpr int kEdgeRight = 2;
inline constexpr int kEdgeTop = 4;
inline constexpr int kEdgeBottom = 8;

// Texts of the attachment failures.
inline constexpr const char* kAttachErrorTitle = "INITIALIZE_SELECTOR()";
inline constexpr const char* kAttachErrorScrollArea = "Error! Parameter is not a valid ScrollArea number.";
inline constexpr const char* kAttachErrorCanvas = "Error! Parameter is not a valid canvas number.";

}  // namespace tarnel
