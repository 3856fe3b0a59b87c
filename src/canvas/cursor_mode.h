#pragma once
// The two cursor modes of the view canvas and the selection nudges.

namespace tarnel {

// Values are the stored mode numbers: the space bar flips them with XOR 1.
enum class CursorMode : int {
    Selector = 0,  // a left drag draws the selection rectangle
    Mover = 1,     // a left drag pans an image larger than the canvas
};

// Arrow-key nudges, in the order of command ids 20..27, so that
// static_cast<Nudge>(id - 20) maps a command to its nudge.
enum class Nudge : int {
    Left = 0,         // move left (x1 > bounds left)
    Right = 1,        // move right (x2 < bounds right)
    Up = 2,           // move up (y1 > bounds top)
    Down = 3,         // move down (y2 < bounds bottom)
    Narrower = 4,     // x2 - 1 while the width stays >= 2
    Wider = 5,        // x2 + 1 (x2 < bounds right)
    Shorter = 6,      // y2 - 1 while the height stays >= 2
    Taller = 7,       // y2 + 1 (y2 < bounds bottom)
};

}  // namespace tarnel
