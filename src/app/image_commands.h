#pragma once
// The one-shot image commands of the Rotate, Colors and Effects menus and
// the count colors button: each is the whole command as the dispatcher runs
// it, from the busy test to the final redraw.
//
// Every command works on the working image (slot 4) and does nothing when it
// is empty. Where a command honours the selection, its area is
// Editor::operationArea(): the selection mapped into image coordinates, or
// the whole image without one. The commands that change pixels record the
// new state (a full snapshot of the whole image, also when only a selection
// changed) and then redraw the view keeping the selection, except the 90
// degree rotations, which refit the window to the turned image instead.
//
// The busy test: Gaussian Blur and the effects do nothing while a modal tool
// is open; the rotations, flip, mirror, negative, gray scale and count colors
// run regardless.

#include <functional>
#include <optional>

#include "effects/pixel_chain.h"

namespace tarnel {

class Editor;

// kCmdRotateRight (4) / kCmdRotateLeft (9): turns the whole image by 90
// degrees clockwise / counter-clockwise, ignoring any selection; then fits
// the window to the new size (which removes the selection) and records the
// change. False when there is no working image (nothing done).
bool rotateRightCommand(Editor& editor);
bool rotateLeftCommand(Editor& editor);

// kCmdCrop (5): makes the selected area of the working image the whole
// working image, then leaves selector mode (mover: the selection goes),
// fits the window and records the change. The pixels come from the working
// image itself at operationArea(), never from the canvas, so a tool preview
// on screen is not what gets cropped. False, with nothing changed, without
// a working image or an active selection over at least one pixel. No busy
// test.
bool cropCommand(Editor& editor);

// kCmdRotate180 (7): turns the area by 180 degrees in place.
void rotate180Command(Editor& editor);

// kCmdFlip (1): reverses top and bottom within the area.
void flipCommand(Editor& editor);

// kCmdMirror (2): reverses left and right within the area.
void mirrorCommand(Editor& editor);

// kCmdNegative (3) / kCmdGrayScale (6): inverts / grays the area in place.
// refreshPalette, when given, runs right after the change is recorded (the
// palette window follows the new colours); the redraw comes after it.
void negativeCommand(Editor& editor, const std::function<void()>& refreshPalette = {});
void grayScaleCommand(Editor& editor, const std::function<void()>& refreshPalette = {});

// The effect behind an effect command id, kCmdScramble (50) .. kCmdArtist
// (64); nullopt for any other id.
std::optional<Effect> effectForCommand(int id);

// kCmdScramble .. kCmdArtist (50 .. 64): applies the effect. With a
// selection the selected area, as the view shows it, is copied into a
// temporary image, the effect runs over that copy alone (its pixel orders
// span the copy's own width and height) and the copy is pasted back at the
// area's top-left; pixels outside the selection are neither read nor
// changed. Does nothing while busy. The id form ignores ids outside 50..64.
void effectCommand(Editor& editor, Effect effect);
void effectCommand(Editor& editor, int id);

// kCmdGaussianBlur (33): blurs the image, or with a selection a copy of the
// selected area held in the scratch slot (6), which is then pasted back at
// the area's top-left (pixels outside the selection neither change nor
// contribute). Returns false, and neither records nor redraws, when busy or
// without a working image.
bool gaussianBlurCommand(Editor& editor);

// kCmdCountColors (48): counts the distinct colours of the working image, or
// with a selection of the selected area as the view shows it, and shows the
// number in the message box "Unique colors" (OK only). Changes nothing and
// does not consult the busy test. The selected area is copied into a
// temporary image of its own rather than into the scratch slot, so that the
// preview an open tool keeps there survives. Returns the count shown, or -1
// when nothing was shown (no working image).
int countColorsCommand(Editor& editor);

}  // namespace tarnel
