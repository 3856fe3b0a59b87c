#!/usr/bin/python3
"""One image operation with Pillow, as a command the peer benchmark can time.

    pil_op.py OP INPUT OUTPUT [ARG...]
"""
import sys

from PIL import Image, ImageFilter, ImageOps


def main():
    op, src, dst, *args = sys.argv[1:]
    im = Image.open(src)
    im.load()
    if op == "copy":
        out = im
    elif op == "quantize":
        colours, dither = int(args[0]), args[1] == "fs"
        out = im.convert("RGB").quantize(
            colours, method=Image.Quantize.MEDIANCUT,
            dither=Image.Dither.FLOYDSTEINBERG if dither else Image.Dither.NONE)
    elif op == "blur":
        out = im.filter(ImageFilter.GaussianBlur(float(args[0])))
    elif op == "resize":
        out = im.resize((int(args[0]), int(args[1])), Image.Resampling.BICUBIC)
    elif op == "rotate":
        out = im.transpose(Image.Transpose.ROTATE_270)  # 90 degrees clockwise
    elif op == "negate":
        out = ImageOps.invert(im.convert("RGB"))
    elif op == "gray":
        out = im.convert("L")
    else:
        sys.exit("unknown op " + op)

    if dst.endswith(".png"):
        out.save(dst, compress_level=9)
    elif dst.endswith(".jpg"):
        out.save(dst, quality=80)
    elif dst.endswith(".j2k"):
        out.save(dst, quality_mode="rates", quality_layers=[20])
    else:
        out.save(dst)


if __name__ == "__main__":
    main()
