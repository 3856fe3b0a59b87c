#pragma once
// Command ids and window numbers of the editor, in one place.
//
// A command id is shared by every menu item, popup item, toolbar button and
// keyboard shortcut that runs the same command; the dispatcher maps each id
// to exactly one handler. Ids not listed (36, 37) carry no command.

namespace tarnel {

// File and history.
constexpr int kCmdRevert = 0;
constexpr int kCmdLoadImage = 10;
constexpr int kCmdSaveImage = 12;
constexpr int kCmdNewImage = 17;
constexpr int kCmdQuit = 29;
constexpr int kCmdUndo = 30;
constexpr int kCmdRedo = 32;

// Edit.
constexpr int kCmdCopy = 13;
constexpr int kCmdCrop = 5;
constexpr int kCmdPasteFloating = 14;
constexpr int kCmdPasteNewImage = 15;
// Enter while a floating section is being placed; bound only for the
// duration of the placement, never by a menu item.
constexpr int kCmdPlaceFloating = 16;
constexpr int kCmdAddText = 18;

// Resize.
constexpr int kCmdResizeCanvas = 31;
constexpr int kCmdResizeImage = 34;

// Colours.
constexpr int kCmdQuantize = 41;
constexpr int kCmdBrightContrast = 11;
constexpr int kCmdTwoColors = 8;
constexpr int kCmdGrayScale = 6;
constexpr int kCmdNegative = 3;
constexpr int kCmdCountColors = 48;

// Orientation.
constexpr int kCmdFlip = 1;
constexpr int kCmdMirror = 2;
constexpr int kCmdRotateRight = 4;
constexpr int kCmdRotate180 = 7;
constexpr int kCmdRotateLeft = 9;

// Tools and view. The menu items (35, 38) and the toolbar toggles (47, 49)
// flip the same flags.
constexpr int kCmdHistogram = 35;
constexpr int kCmdPalette = 38;
constexpr int kCmdShowHistogram = 47;
constexpr int kCmdShowPalette = 49;
constexpr int kCmdFitWindow = 42;
constexpr int kCmdHelp = 28;

// Cursor modes and selection nudging (keyboard).
constexpr int kCmdToggleCursorMode = 19;  // Space
constexpr int kCmdSelector = 39;
constexpr int kCmdMover = 40;
constexpr int kCmdNudgeLeft = 20;
constexpr int kCmdNudgeRight = 21;
constexpr int kCmdNudgeUp = 22;
constexpr int kCmdNudgeDown = 23;
constexpr int kCmdShrinkWidth = 24;   // Shift+Left
constexpr int kCmdGrowWidth = 25;     // Shift+Right
constexpr int kCmdShrinkHeight = 26;  // Shift+Up
constexpr int kCmdGrowHeight = 27;    // Shift+Down

// Ctrl+arrows, read only by the floating-section placement. Note that
// Ctrl+Left is 44 and Ctrl+Right 43.
constexpr int kCmdFloatRotateRight = 43;  // Ctrl+Right
constexpr int kCmdFloatRotateLeft = 44;   // Ctrl+Left
constexpr int kCmdFloatMirror = 45;       // Ctrl+Up
constexpr int kCmdFloatFlip = 46;         // Ctrl+Down

// Effects. Gaussian Blur has its own handler; 50..64 all go to the effect
// frame, which is called with the id.
constexpr int kCmdGaussianBlur = 33;
constexpr int kCmdScramble = 50;
constexpr int kCmdUnscramble = 51;
constexpr int kCmdPencil = 52;
constexpr int kCmdNoise = 53;
constexpr int kCmdEdgeDetect = 54;
constexpr int kCmdXFactor = 55;
constexpr int kCmdScratch = 56;
constexpr int kCmdGlowie = 57;
constexpr int kCmdSpacy = 58;
constexpr int kCmdPhantom = 59;
constexpr int kCmdBlush = 60;
constexpr int kCmdSpectrum = 61;
constexpr int kCmdDemon = 62;
constexpr int kCmdFaded = 63;
constexpr int kCmdArtist = 64;
constexpr int kCmdFirstEffect = kCmdScramble;
constexpr int kCmdLastEffect = kCmdArtist;

// One past the largest command id: the size of the dispatch table.
constexpr int kCommandCount = 65;

// Window numbers used to route events to the window that owns them.
constexpr int kWindowMain = 0;
constexpr int kWindowHistogram = 1;
constexpr int kWindowPalette = 2;
constexpr int kWindowQuantize = 3;
constexpr int kWindowHelp = 7;
constexpr int kWindowTwoColors = 8;
constexpr int kWindowBrightContrast = 9;
constexpr int kWindowCount = 10;

}  // namespace tarnel
