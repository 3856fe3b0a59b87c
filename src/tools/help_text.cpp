#include "tools/help_text.h"

#include <string_view>

namespace tarnel {

namespace {

// The sections in the order shown, written with plain line feeds; helpText()
// turns every line feed into CR LF. Sections are separated by a line of
// underscores.
constexpr std::string_view kRule =
    "__________________________________________________________________________\n";

constexpr std::string_view kSections[] = {
    R"(
              ____________________________________________
             |                                            |
             |                   TARNEL                   |
             |                                            |
             |                Version 2.0                 |
             |____________________________________________|

)",

    R"(
Tarnel is an image editor for reducing the colours of a picture: it offers
fifteen ways to bring an image down to fewer colours, with or without
dithering, lets you preview the result before you keep it, and then lets
you change the remaining colours one by one. Around that it has the tools
of a small paint program: files, clipboard, text, crop, resize, rotate,
brightness and contrast, a histogram, blur and special effects, with
unlimited undo.

To load an image, use one of these three ways:
  1. the File menu, "Load image";
  2. the toolbar's "load image" button (an opening folder);
  3. the keyboard: Ctrl+L.
The right mouse button over the picture opens the pop-up menu, which has
"load image" too. PNG, JPEG, JPEG 2000 (.jp2 and raw codestreams), BMP and
ICO files are read; the content of the file decides, not its extension.

To take an image from the clipboard (copied in another program, or with
Ctrl+C here), press Ctrl+I ("paste new image"): it becomes the new image.
Ctrl+V ("paste floating section") instead floats it above the picture so
that you can place it (see {PASTE...} below).

Every change works on the whole image or, when a selection rectangle is
drawn, only on the selected part. Every change can be undone (Ctrl+Z) and
redone (Ctrl+Y), as often as you like. Revert (Ctrl+R) goes back to the
image as it was loaded or created.

The status bar shows the file name and the image size on the left and the
selection (size, width/height ratio and its edges in image pixels) on the
right. Between runs the program remembers only the last folder and whether
the window was maximised, in the file Tarnel.prefs in your home folder.
)",

    R"(
CURSOR MODE:

The picture is shown at its real size (one image pixel, one screen pixel),
centred on a dark grey background. The mouse works in one of two modes:

MOVER (the four-headed arrow on the toolbar; the mode at start):
  When the image is larger than the window, drag it with the left mouse
  button to see its other parts. It stops when an edge of the image
  reaches the edge of the window. The cursor shows the four-headed arrow
  while there is something to drag.

SELECTOR (the dashed rectangle on the toolbar):
  Drag with the left mouse button to draw a selection rectangle on the
  visible part of the image. Drag from inside the rectangle to move it;
  drag the small square at its bottom-right corner to change its size;
  click outside it to remove it. The arrow keys move the rectangle by one
  pixel; Shift+Left and Shift+Right move its right edge, Shift+Up and
  Shift+Down its bottom edge (it never gets narrower or lower than two
  pixels).

The space bar switches between the two modes. Going back to mover mode,
resizing the window, loading or creating an image and cropping remove the
selection. While a selection is drawn, the commands that change pixels,
copy, count colours and the histogram and palette tools use the selected
part only.
)",

    R"(
HISTOGRAM TOOL:

Tools menu "Histogram" or the toolbar's bar chart ("show histogram")
opens and closes it. The window graphs, for each value 0 to 255, how many
pixels have that value in red, green and blue. It follows what the picture
shows: the image, the selected part, or the preview of an open Quantize,
Bright/Contrast or Two Colors window, and it is redrawn after every change.

  RED, GRN, BLU  show or hide the bars of that channel; where two
                 channels overlap their colours mix.
  ExEx           (Exclude Extremes) scales the graph to the largest count
                 between 5 and 250, so that big counts of nearly black or
                 nearly white pixels do not flatten the rest.
  AVG            draws the average of each channel as a vertical line.

The title shows the average colour, the text under the graph the "RGB
ratio" of the averages, and the window takes the average colour as its
background.
)",

    R"(
PALETTE TOOL:

Tools menu "Palette" or the toolbar's painter's palette ("show palette")
opens and closes it. It shows the colours of what the picture shows (the
image, the selected part or a tool's preview) as small squares, at most
512 of them; a picture with fewer colours, for example after quantizing,
shows all of them.

Click a square to change that colour: pick the new colour in the colour
requester, look at the result in the picture and answer "Do you wish to
keep this color?". Yes keeps it as one undo step; No puts the image back
exactly as it was. The colour is replaced everywhere in the image.
)",

    R"(
MENU and POP-UP MENU:

The menu bar holds File, Edit, Resize, Effects, Colors, Tools, Rotate,
View and Help. The pop-up menu (right mouse button over the picture) has
the same commands in File..., Edit..., Resize..., effects..., colors...
and Rotate..., and Help. Tools (Histogram, Palette) and View ("Fit window
to image": the window takes the size of the image again, as far as the
screen allows) are in the menu bar only.

(FILE...)
  Load image    opens an image file (see above); it becomes the new
                starting point of undo and Revert.
  Save image    writes the whole image. The type chosen in the file
                requester decides the format and the extension, whatever
                you type: image.png (PNG), image.jpg and image.jpeg (JPEG,
                quality 80, on white where the image is transparent),
                image.jpeg2000 (JPEG 2000 codestream, .jp2) and image.bmp
                (BMP). An existing file is overwritten only after you
                answer Yes to "Do you wish to overwrite?".
  New image     asks for a width and a height (16 to 4096 pixels) and a
                background colour, and starts a new blank image.
  Revert        goes back to the image as it was loaded or created.
  Quit          ends the program after "Are you sure?".

(EDIT...)
  undo, redo    step back and forth through every change.
  copy          puts the image, or the selected part, on the clipboard.
  crop          keeps only the selected part of the image (nothing
                happens without a selection); undo brings the rest back.
  add text      asks for one or more lines of text, the font, size and
                style, the text colour and a background colour or a
                transparent background; the text is then placed like a
                floating section (below). It is also left on the
                clipboard.

  {PASTE...}
  paste floating section (Ctrl+V)
                floats the clipboard image above the picture; it follows
                the mouse and stays within the visible image.
                  mouse or arrow keys   move it
                  Ctrl+Right            turn it right (clockwise)
                  Ctrl+Left             turn it left
                  Ctrl+Up               mirror it (left and right)
                  Ctrl+Down             flip it (top and bottom)
                  left click or Enter   stamp it into the image
                  Esc                   drop it; nothing changes
                While a section floats, the other commands wait. Placing
                it is one undo step.
  paste new image (Ctrl+I)
                the clipboard image becomes the new image, named
                NewImage, and the new starting point of undo and Revert.

(RESIZE...)
  resize canvas adds borders around the image: give the new width and
                height (a smaller one keeps the old), where it sits (one
                of nine places: corners, edges or centre) and the colour
                of the borders. No pixel of the old image is lost.
  resize image  scales the whole image smoothly to a new width and
                height; tick the ratio box to keep the width-to-height
                ratio while you type.

(EFFECTS...)
  Gaussian Blur softens the image or the selected part.
  Edge detect, Pencil, Artist, Glowie, Blush, Spacy, Spectrum, Scratch,
  Noise, Phantom, Demon, Faded, X-factor
                fifteen effects built from reversible pixel chains: try
                them, and undo what you do not like. On a selection only
                the selected part is used and changed.
  scramble      mixes the pixels up beyond recognition; unscramble
                restores them exactly. Save a scrambled image as PNG or
                BMP (JPEG changes pixels, and then it cannot be restored)
                and unscramble it with the same selection, or none.

(COLORS...)
  {COLOR QUANTIZATION}:
  "Quantize..." opens the Quantize Colors window.
    STYLE        the method: Uniform (levels per colour channel),
                 Popularity and Adaptive (the most frequent or best
                 spread colours of the image), the fixed palettes CGA (16),
                 EGA (64), TruColor 256 and Human 256, Neuquant_256 (a
                 self-organising network that learns the image's
                 colours), and flat_8, flat_64, flat_512, flat_4096,
                 Lemon_128, Berry_128 and Ocean_128, which keep only the
                 high bits of each channel (the last three keep more bits
                 of one channel than of the others).
    LIMIT        the number of colours (2 to 256) for Popularity and
                 Adaptive, the levels per channel (2 to 16) for Uniform;
                 the other methods show their fixed number.
    Dither       mixes neighbouring pixels of the available colours
                 (a 4x4 pattern, or error diffusion for the palette
                 methods), which gives smoother gradients.
    COLOR COUNT  the number of different colours of the image or of the
                 preview.
    Test         shows the result in the picture (the image itself does
                 not change yet); the histogram and palette windows follow
                 the preview.
    Source       shows the image again, for comparison.
    Apply        makes the tested result the image, as one undo step.
                 It is available only right after a Test whose settings
                 have not changed since.
    Exit         closes the window.
  While the Quantize, Bright/Contrast or Two Colors window or a dialog is
  open, most other tools wait until it is closed.

  {BRIGHT/CONTRAST}:
  "Bright/Contrast..." ("Brightness..." in the pop-up menu) opens a window
  with a brightness slider (-128 to 128) and a contrast slider (-100 to
  100); each move is previewed in the picture.
    at limits    what happens to a colour pushed past black or white:
                 hold ratio (the channels keep their proportions), clamp
                 (each channel stops at 0 or 255) or wrap (it wraps
                 around).
    mode         proportional, and ratio or equal: whether the channels
                 change in proportion to their values or all by the same
                 amount.
    activate     Red, Green, Blue: the channels that change.
    Reset        back to the image as it was when the window opened.
    Rfsh Brt     applies the brightness again after the options changed.
    Apply        keeps the changes so far and centres the sliders again;
                 the image takes them, as one undo step, at Exit.
    Exit         closes the window.

  {TWO_COLOR}
  "Two Colors..." turns the image, or the selected part, into two colours
  (black and white at first): pixels darker than the threshold take
  colour 1, the others colour 2.
    Dither       None, 4X4 ordered or Sierra Lite (error diffusion).
    Threshold    the slider, 0 to 256; the picture shows the result
                 while you move it.
    color 1, color 2
                 the two buttons open the colour requester.
    OK           keeps the result as one undo step; Cancel drops it.

  {GRAY_SCALE}
  "Gray Scale" turns the colours into grey by their brightness.

  {NEGATIVE}
  "Negative" inverts every colour; doing it twice gives the image back.

  The toolbar's "count colors" button shows how many different colours the
  image, or the selected part, has ("Unique colors").

(ROTATE...)
  Mirror        swaps left and right.
  Flip          swaps top and bottom.
  Rotate 180    turns the image upside down.
  These three work on the selected part when there is one.
  Rotate Right  turns the whole image a quarter turn clockwise,
  Rotate Left   or anticlockwise; the window takes the new shape.
)",

    R"(
KEYBOARD SHORTCUTS:

  Ctrl+L        load image
  Ctrl+S        save image
  Ctrl+N        new image
  Ctrl+R        revert
  Ctrl+Q        quit
  Ctrl+Z        undo
  Ctrl+Y        redo
  Ctrl+C        copy the image or the selection
  Ctrl+X        crop to the selection
  Ctrl+V        paste floating section
  Ctrl+I        paste new image
  Ctrl+T        add text
  F1            this help
  Space         switch between mover and selector mode
  Left, Right, Up, Down
                move the selection by one pixel
  Shift+Left, Shift+Right
                narrower or wider selection (right edge)
  Shift+Up, Shift+Down
                lower or taller selection (bottom edge)

  While a floating section is placed:
  Left, Right, Up, Down
                move it by one pixel
  Ctrl+Right    turn right        Ctrl+Left    turn left
  Ctrl+Up       mirror            Ctrl+Down    flip
  Enter         stamp it          Esc          drop it
)",
};

constexpr std::string_view kClosing =
    "_______________________________ End of Help ______________________________\n\t";

std::string buildHelpText() {
    std::string text;
    bool first = true;
    for (std::string_view section : kSections) {
        if (!first) text += kRule;
        first = false;
        section.remove_prefix(1);  // the line feed after R"(
        text += section;
    }
    text += kClosing;
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

}  // namespace

const std::string& helpText() {
    static const std::string text = buildHelpText();
    return text;
}

Rect helpWindowRect(int desktopWidth, int desktopHeight) {
    const int width = desktopWidth / 2;
    const int height = desktopHeight / 2;
    const int left = (desktopWidth - width) / 2;
    const int top = (desktopHeight - height) / 2;
    return Rect{left, top, left + width - 1, top + height - 1};
}

}  // namespace tarnel
