#include "batch/batch.h"

namespace tarnel::batch {

std::string usageText() {
    return R"USAGE(Usage: tarnel-batch INPUT OUTPUT [--area X,Y,W,H] [--time] [--report[=json]]
                    [--png=auto|rgb|indexed] STEP...
       tarnel-batch compare INPUT [--colors N] [--dither] [--area X,Y,W,H]
                    [--sheet SHEET.png]

Loads INPUT (PNG, JPEG, JPEG 2000, BMP or ICO, recognised by content),
applies the steps in the order given and writes OUTPUT in the format of its
extension: .png (compression 9, see --png), .jpg/.jpeg (quality 80), .jp2
(JPEG 2000 codestream, rate 20) or .bmp. Nothing is written when anything
fails. With no step the image is only converted.

Options
  --area X,Y,W,H   work only on this rectangle (image coordinates, clipped to
                   the image at every step), like a selection in the editor.
                   Rotate right/left, resize, canvas and crop always work on
                   the whole image.
  --time           print the time of the decode, of every step alone and of
                   the encode to standard error, elapsed and processor time
                   ("time blur: 10.2 ms, cpu 9.9 ms").
  --report[=text|json]
                   after each step that changes colours, print to standard
                   output: the distinct colours, PSNR against the image
                   before the step (dB, red, green and blue), the mean and
                   maximum colour difference as CIE 1976 delta E (CIELAB
                   distance, sRGB D65) and the step's time. json: one object
                   per step, {"step", "colors", "psnr_db" (null when
                   nothing changed), "mean_delta_e76", "max_delta_e76",
                   "time_ms"}.
  --png=MODE       auto (default): a palette PNG (colour type 3, 1, 2, 4 or
                   8 bits per pixel, tRNS only when some alpha is below 255)
                   when the image has at most 256 colours counting alpha,
                   else RGB/RGBA. rgb: always RGB/RGBA. indexed: always a
                   palette PNG; an image of more colours fails (exit 1).
                   The palette lists translucent colours first, then the
                   others by falling pixel count.
  --help, -h       print this text.
  --version, -v    print the version.

Steps
  quantize=METHOD[,LIMIT][,dither]
        METHOD: uniform (LIMIT = levels per channel 2..16, default 3),
        popularity, adaptive (LIMIT = colours 2..256, default 32), and with a
        fixed count: cga, ega, trucolor, human, neuquant, flat8, flat64,
        flat512, flat4096, lemon, berry, ocean. dither: ordered dither for
        uniform, the flat/lemon/berry/ocean masks and neuquant; error
        diffusion for popularity, adaptive, cga, ega, trucolor and human.
  blur  Gaussian blur (two passes of the 1-4-6-4-1 kernel along rows and
        columns).
  effect=NAME
        edge-detect, pencil, artist, glowie, blush, spacy, spectrum,
        scratch, noise, phantom, demon, faded, x-factor, scramble,
        unscramble.
  rotate-right, rotate-left, rotate-180, flip, mirror, negative, gray
  brightness=VALUE[,hold|clamp|wrap][,ratio|equal][,proportional|flat][,CHANNELS]
        VALUE -128..128. Defaults: hold (hold ratio at limits), ratio,
        proportional, rgb. CHANNELS: the letters of the channels to change,
        e.g. rb.
  contrast=VALUE
        VALUE -100..100.
  two-colors[=THRESHOLD][,none|ordered|sierra][,RRGGBB,RRGGBB]
        THRESHOLD is the Two Colors slider, 0..256 (default 128): pixels
        whose luminance (2R+4G+B)/7 is below 256 - THRESHOLD take the first
        colour, the others the second; higher values give more of the second
        colour. Dither default none; colours default 000000,FFFFFF.
  resize=WxH
        smooth resize; sizes are forced into 16..4096.
  canvas=WxH[,ANCHOR][,RRGGBB]
        enlarge the canvas; a size below the image's is raised to it, above
        4096 lowered to 4096. ANCHOR 1..9 row by row from the top left, or
        top-left, top, top-right, left, center, right, bottom-left, bottom,
        bottom-right (default 5, center). Border colour default 000000. The
        result is a 32-bit image.
  crop=X,Y,W,H
        keep this rectangle (clipped to the image).
  count-colors
        print the number of distinct colours (of the area with --area) to
        standard output and go on.

Compare
  tarnel-batch compare runs every method on INPUT: uniform at the level count whose cube is
  nearest N, popularity and adaptive at N (--colors, 2..256, default 256),
  the others at their fixed counts (neuquant always learns 256), all with
  dither when --dither is given. Prints a table sorted by PSNR: method,
  colours, PSNR, mean delta E 1976, the method's time and the size of the
  result as a palette PNG ("-" when it has more than 256 colours).
  --sheet SHEET.png writes a contact sheet: the source and each result as
  tiles labelled with the method and PSNR, showing the --area rectangle of
  each (the whole image without it).

Colours are written RRGGBB, red first.

Output
  Standard output carries only the results of count-colors (one decimal
  number and a newline per step) and the --report lines, in step order, or
  the compare table. Standard error carries
  errors and warnings, one line each starting "tarnel-batch: " (a damaged
  input that loads in part is a warning), and the --time lines.

Exit status
  0  success (also after --help and --version)
  1  unreadable input, unwritable output, a failed step or --png=indexed
     on more than 256 colours; OUTPUT is not written
  2  bad arguments

Examples
  tarnel-batch photo.jpg small.png resize=960x540 quantize=adaptive,64,dither
  tarnel-batch scan.png scan.png --area 0,0,200,100 blur
  tarnel-batch in.bmp out.jp2 brightness=40,clamp,equal contrast=20 count-colors
  tarnel-batch photo.jpg icon.png --report resize=64x64 quantize=popularity,16
  tarnel-batch compare photo.jpg --colors 64 --dither --area 600,300,320,240 --sheet sheet.png
)USAGE";
}

}  // namespace tarnel::batch
