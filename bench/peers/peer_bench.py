#!/usr/bin/python3
"""Peer benchmark driver: times tarnel-batch and peer tools with hyperfine on
real photographs and writes a markdown table (see run.sh, which installs the
tools first).

Every command is a whole process run (decode, operation, encode). Each tool's
"copy" run (decode the same input, write the same output format) is
subtracted to give the net time of the operation, and the ratio column is
peer net / tarnel net for the same operation (> 1: tarnel is faster). The
tarnel rows also show the step alone as reported by tarnel-batch --time.
"""
import argparse
import json
import math
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

from PIL import Image, ImageChops, ImageStat

HERE = os.path.dirname(os.path.abspath(__file__))
PHOTO_DIR = "/usr/share/backgrounds/mate/nature"
CONVERT = "/usr/bin/convert"  # the real ImageMagick, not a stand-in earlier on PATH
SINGLE_THREAD_ENV = {
    "MAGICK_THREAD_LIMIT": "1",
    "OMP_NUM_THREADS": "1",
    "VIPS_CONCURRENCY": "1",
    "OMP_THREAD_LIMIT": "1",
}
# Two row-then-column passes of the 1-4-6-4-1 kernel act like the nine-tap
# binomial kernel, variance 8 / 4 = 2.
BLUR_SIGMA = math.sqrt(2.0)


def sh(cmd, env=None, check=True):
    return subprocess.run(cmd, env=env, check=check, capture_output=True, text=True)


# Debian's ImageMagick policy caps the pixel cache at 256 MiB, which sends a
# 4096 x 4096 image to a disk cache; a policy of our own lifts the caps so
# ImageMagick works in memory like the other tools.
MAGICK_POLICY = """<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="area" value="1GP"/>
  <policy domain="resource" name="disk" value="16GiB"/>
</policymap>
"""


def magick_config(work):
    folder = os.path.join(work, "magick")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "policy.xml"), "w") as f:
        f.write(MAGICK_POLICY)
    return folder


def prepare_images(work, sizes):
    """Scales and crops real photographs to the benchmark sizes with ImageMagick."""
    sources = {"hd": ("Garden.jpg", 1920, 1080), "big": ("LadyBird.jpg", 4096, 4096)}
    images = {}
    for key in sizes:
        name, w, h = sources[key]
        base = os.path.join(work, f"{key}")
        png = base + ".png"
        if not os.path.exists(png):
            sh([CONVERT, os.path.join(PHOTO_DIR, name), "-resize", f"{w}x{h}^", "-gravity", "center",
                "-extent", f"{w}x{h}", "+repage", "-type", "TrueColor", png])
        if not os.path.exists(base + ".jpg"):
            sh([CONVERT, png, "-quality", "95", base + ".jpg"])
        if not os.path.exists(base + ".j2k"):
            Image.open(png).save(base + ".j2k", quality_mode="rates", quality_layers=[20])
        if not os.path.exists(base + ".bmp"):
            sh([CONVERT, png, "BMP3:" + base + ".bmp"])
        if not os.path.exists(base + ".v"):
            sh(["vips", "copy", png, base + ".v"])
        images[key] = {"png": png, "jpg": base + ".jpg", "j2k": base + ".j2k", "bmp": base + ".bmp",
                       "v": base + ".v", "w": w, "h": h, "source": name}
    return images


def cases_for(img, B, out):
    """(group, tool, label, argv, output path, psnr?) for one image."""
    png, jpg, j2k, w, h = img["png"], img["jpg"], img["j2k"], img["w"], img["h"]
    # Operations read an uncompressed file (BMP, or vips' own .v) so that the
    # decode costs little next to the operation; pngquant and pngnq read PNG
    # only.
    bmp, vin = img["bmp"], img["v"]
    pil = [sys.executable, os.path.join(HERE, "pil_op.py")]
    o = lambda name: os.path.join(out, name)
    cases = []

    def add(group, tool, label, argv, output, quality=False):
        cases.append((group, tool, label, argv, output, quality))

    # Baselines: read the input, write an uncompressed file.
    add("copy", "tarnel", "BMP -> BMP", [B, bmp, o("t_copy.bmp")], o("t_copy.bmp"))
    add("copy", "ImageMagick", "BMP -> BMP", [CONVERT, bmp, o("m_copy.bmp")], o("m_copy.bmp"))
    add("copy", "vips", ".v -> .v", ["vips", "copy", vin, o("v_copy.v")], o("v_copy.v"))
    add("copy", "Pillow", "BMP -> BMP", pil + ["copy", bmp, o("p_copy.bmp")], o("p_copy.bmp"))
    add("copy", "tarnel PNG", "PNG -> BMP", [B, png, o("t_copypng.bmp")], o("t_copypng.bmp"))

    for colours in (256, 32):
        for dither in (False, True):
            g = f"quantize {colours}" + (" dithered" if dither else "")
            d = ",dither" if dither else ""
            tag = f"{colours}{'d' if dither else ''}"
            add(g, "tarnel", f"adaptive,{colours}{d}", [B, bmp, o(f"t_ad{tag}.bmp"), f"quantize=adaptive,{colours}{d}"],
                o(f"t_ad{tag}.bmp"), True)
            add(g, "tarnel", f"popularity,{colours}{d}",
                [B, bmp, o(f"t_po{tag}.bmp"), f"quantize=popularity,{colours}{d}"], o(f"t_po{tag}.bmp"), True)
            if colours == 256:
                add(g, "tarnel", f"neuquant{d}" + (" (ordered)" if dither else ""),
                    [B, bmp, o(f"t_nq{tag}.bmp"), f"quantize=neuquant{d}"], o(f"t_nq{tag}.bmp"), True)
            add(g, "ImageMagick", f"-dither {'FloydSteinberg' if dither else 'None'} -colors {colours}",
                [CONVERT, bmp, "-dither", "FloydSteinberg" if dither else "None", "-colors", str(colours),
                 o(f"m_q{tag}.bmp")], o(f"m_q{tag}.bmp"), True)
            for speed in (4, 11):
                add(g, "pngquant", f"--speed {speed}" + ("" if dither else " --nofs"),
                    ["pngquant", "--force", "--speed", str(speed)] + ([] if dither else ["--nofs"]) +
                    ["--output", o(f"pq{speed}_{tag}.png"), str(colours), png], o(f"pq{speed}_{tag}.png"), True)
            add(g, "pngnq", f"-s 10 -Q {'f' if dither else 'n'} (NeuQuant)",
                ["pngnq", "-f", "-s", "10", "-n", str(colours), "-Q", "f" if dither else "n", "-d", out,
                 "-e", f".nq{tag}.png", png],
                o(os.path.splitext(os.path.basename(png))[0] + f".nq{tag}.png"), True)
            add(g, "Pillow", f"quantize({colours}, MEDIANCUT, {'FLOYDSTEINBERG' if dither else 'NONE'})",
                pil + ["quantize", bmp, o(f"p_q{tag}.bmp"), str(colours), "fs" if dither else "none"],
                o(f"p_q{tag}.bmp"), True)

    s = f"{BLUR_SIGMA:.3f}"
    add("gaussian blur", "tarnel", "blur", [B, bmp, o("t_blur.bmp"), "blur"], o("t_blur.bmp"))
    add("gaussian blur", "ImageMagick", f"-blur 0x{s}", [CONVERT, bmp, "-blur", f"0x{s}", o("m_blur.bmp")], o("m_blur.bmp"))
    add("gaussian blur", "vips", f"gaussblur {s}", ["vips", "gaussblur", vin, o("v_blur.v"), s], o("v_blur.v"))
    add("gaussian blur", "Pillow", f"GaussianBlur({s})", pil + ["blur", bmp, o("p_blur.bmp"), s], o("p_blur.bmp"))

    for factor, name in ((0.5, "half"), (2.0, "double")):
        nw, nh = int(w * factor), int(h * factor)
        g = f"resize to {name} ({nw} x {nh})"
        if max(nw, nh) > 4096:
            add(g, "tarnel", "beyond the editor's 4096 limit: not measured", None, None)
            continue
        add(g, "tarnel", f"resize={nw}x{nh}", [B, bmp, o(f"t_rs{name}.bmp"), f"resize={nw}x{nh}"], o(f"t_rs{name}.bmp"))
        add(g, "ImageMagick", "-filter Mitchell -resize", [CONVERT, bmp, "-filter", "Mitchell", "-resize",
                                                           f"{nw}x{nh}!", o(f"m_rs{name}.bmp")], o(f"m_rs{name}.bmp"))
        add(g, "vips", "resize --kernel mitchell", ["vips", "resize", vin, o(f"v_rs{name}.v"), str(factor),
                                                    "--kernel", "mitchell"], o(f"v_rs{name}.v"))
        add(g, "Pillow", "resize BICUBIC", pil + ["resize", bmp, o(f"p_rs{name}.bmp"), str(nw), str(nh)],
            o(f"p_rs{name}.bmp"))

    for g, t, m, v, p in (
        ("rotate 90", "rotate-right", ["-rotate", "90"], ["rot", "{in}", "{out}", "d90"], "rotate"),
        ("negate", "negative", ["-negate"], ["invert", "{in}", "{out}"], "negate"),
        ("grayscale", "gray", ["-colorspace", "Gray"], ["colourspace", "{in}", "{out}", "b-w"], "gray"),
    ):
        add(g, "tarnel", t, [B, bmp, o(f"t_{p}.bmp"), t], o(f"t_{p}.bmp"))
        add(g, "ImageMagick", " ".join(m), [CONVERT, bmp] + m + [o(f"m_{p}.bmp")], o(f"m_{p}.bmp"))
        add(g, "vips", " ".join(v[:1] + v[3:]),
            ["vips"] + [vin if a == "{in}" else o(f"v_{p}.v") if a == "{out}" else a for a in v], o(f"v_{p}.v"))
        add(g, "Pillow", p, pil + [p, bmp, o(f"p_{p}.bmp")], o(f"p_{p}.bmp"))

    g = "PNG decode+encode (level 9, filter none)"
    add(g, "tarnel", "png -> png", [B, png, o("t_rt.png")], o("t_rt.png"))
    # ImageMagick and Pillow choose adaptive row filters at level 9, which
    # takes minutes per run on 4096 x 4096: timed on the smaller photo only.
    slow = w * h > 4_000_000
    add(g, "ImageMagick", "-quality 90 (adaptive filters)" + (": over 3 min a run, not timed" if slow else ""),
        None if slow else [CONVERT, png, "-quality", "90", o("m_rt.png")], o("m_rt.png"))
    add(g, "vips", "pngsave --compression 9 --filter none",
        ["vips", "pngsave", png, o("v_rt.png"), "--compression", "9", "--filter", "none"], o("v_rt.png"))
    add(g, "Pillow", "compress_level=9 (adaptive filters)" + (": over 3 min a run, not timed" if slow else ""),
        None if slow else pil + ["copy", png, o("p_rt.png")], o("p_rt.png"))
    g = "JPEG decode+encode (q80)"
    add(g, "tarnel", "jpg -> jpg", [B, jpg, o("t_rt.jpg")], o("t_rt.jpg"), True)
    add(g, "ImageMagick", "-quality 80", [CONVERT, jpg, "-quality", "80", o("m_rt.jpg")], o("m_rt.jpg"), True)
    add(g, "vips", "jpegsave --Q 80", ["vips", "jpegsave", jpg, o("v_rt.jpg"), "--Q", "80"], o("v_rt.jpg"), True)
    add(g, "Pillow", "quality=80", pil + ["copy", jpg, o("p_rt.jpg")], o("p_rt.jpg"), True)
    g = "JPEG 2000 decode+encode (rate 20)"
    add(g, "tarnel", "j2k -> codestream", [B, j2k, o("t_rt.jp2")], o("t_rt.jp2"), True)
    add(g, "ImageMagick", "-define jp2:rate=20", [CONVERT, j2k, "-define", "jp2:rate=20", "j2k:" + o("m_rt.j2k")],
        o("m_rt.j2k"), True)
    add(g, "vips", "jp2ksave (Q 48 default, no rate option)", ["vips", "jp2ksave", j2k, o("v_rt.j2k")], o("v_rt.j2k"), True)
    add(g, "Pillow", "quality_layers=[20]", pil + ["copy", j2k, o("p_rt.j2k")], o("p_rt.j2k"), True)
    return cases


def hyperfine(argv, runs, warmup, env, jsonpath):
    """Median wall time and mean CPU time (user + system) in milliseconds."""
    cmd = " ".join(_quote(a) for a in argv)
    sh(["hyperfine", "-N", "--style", "none", "--runs", str(runs), "--warmup", str(warmup),
        "--export-json", jsonpath, cmd], env=env)
    with open(jsonpath) as f:
        result = json.load(f)["results"][0]
    return statistics.median(result["times"]) * 1000.0, (result["user"] + result["system"]) * 1000.0


def _quote(a):
    return "'" + a.replace("'", "'\\''") + "'" if any(c in a for c in " ,()'\"") else a


def tarnel_step_time(argv, runs):
    """Medians of the elapsed and processor times tarnel-batch --time reports
    for the steps (decode and encode excluded)."""
    elapsed, cpu = [], []
    for _ in range(runs):
        r = sh(argv + ["--time"])
        e = c = 0.0
        for line in r.stderr.splitlines():
            if line.startswith("time ") and not line.startswith(("time decode:", "time encode:")):
                # "time STEP: 12.345 ms, cpu 12.000 ms"
                fields = line.rsplit(": ", 1)[1].replace(",", "").split()
                e += float(fields[0])
                c += float(fields[3])
        elapsed.append(e)
        cpu.append(c)
    return statistics.median(elapsed), statistics.median(cpu)


def psnr(reference, path):
    a = Image.open(reference).convert("RGB")
    b = Image.open(path).convert("RGB")
    if a.size != b.size:
        return None
    rms = ImageStat.Stat(ImageChops.difference(a, b)).rms
    mse = sum(x * x for x in rms) / 3.0
    return float("inf") if mse == 0 else 10.0 * math.log10(255.0 * 255.0 / mse)


def run(args):
    sizes = args.sizes.split(",")
    os.environ["MAGICK_CONFIGURE_PATH"] = magick_config(args.work)
    images = prepare_images(args.work, sizes)
    out = os.path.join(args.work, "out")
    os.makedirs(out, exist_ok=True)
    single_env = dict(os.environ, **SINGLE_THREAD_ENV)
    default_env = {k: v for k, v in os.environ.items() if k not in SINGLE_THREAD_ENV}
    threaded_tools = {"ImageMagick", "vips", "pngquant"}
    started = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())
    load_before = os.getloadavg()
    sections = []
    t0 = time.time()
    for key in sizes:
        img = images[key]
        runs = args.runs if key == "hd" else args.runs_large
        warmup = 1 if key == "hd" else 0
        rows = []
        for n, (group, tool, label, argv, output, quality) in enumerate(cases_for(img, args.batch, out)):
            row = {"group": group, "tool": tool, "label": label}
            if argv is None:
                rows.append(row)
                continue
            j = os.path.join(args.work, "hf.json")
            print(f"[{key}] {group}: {tool} {label}", file=sys.stderr, flush=True)
            try:
                row["wall"], row["single"] = hyperfine(argv, runs, warmup, single_env, j)
                if tool in threaded_tools and key in args.default_sizes.split(","):
                    row["default"], _ = hyperfine(argv, runs, warmup, default_env, j)
                if tool == "tarnel" and group != "copy" and "decode+encode" not in group:
                    row["step"], row["step_cpu"] = tarnel_step_time(argv, 3)
                if quality and output and os.path.exists(output):
                    row["psnr"] = psnr(img["png"], output)
                if output and os.path.exists(output):
                    row["bytes"] = os.path.getsize(output)
            except subprocess.CalledProcessError as e:
                row["error"] = (e.stderr or str(e)).strip().splitlines()[-1:] or ["failed"]
            rows.append(row)
        sections.append((key, img, rows))
    load_after = os.getloadavg()
    args.elapsed = time.time() - t0
    # The raw figures, so that the table can be written again without
    # measuring (--report-only).
    with open(os.path.join(args.work, "raw.json"), "w") as f:
        json.dump({"sections": sections, "started": started, "runs": args.runs, "runs_large": args.runs_large, "load_before": load_before,
                   "load_after": load_after, "elapsed": args.elapsed}, f)
    write_report(args)


def write_report(args):
    with open(os.path.join(args.work, "raw.json")) as f:
        raw = json.load(f)
    args.elapsed = raw["elapsed"]
    args.runs = raw.get("runs", args.runs)
    args.runs_large = raw.get("runs_large", args.runs_large)
    with open(args.out, "w") as f:
        f.write(report(raw["sections"], raw["started"], raw["load_before"], raw["load_after"], args))
    print(f"written {args.out}", file=sys.stderr)


def versions():
    def first(cmd):
        try:
            r = subprocess.run(cmd, capture_output=True, text=True)
            return (r.stdout or r.stderr).strip().splitlines()[0]
        except Exception:
            return "?"
    import PIL
    return [
        ("ImageMagick", first([CONVERT, "-version"]).replace("Version: ", "")),
        ("vips", first(["vips", "--version"])),
        ("pngquant", first(["pngquant", "--version"])),
        ("pngnq", first(["pngnq", "-V"])),
        ("Pillow", PIL.__version__),
        ("hyperfine", first(["hyperfine", "--version"])),
    ]


def cpu_name():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "?"


def fmt(ms):
    return "" if ms is None else (f"{ms:.0f}" if ms >= 100 else f"{ms:.1f}")


def report(sections, started, load_before, load_after, args):
    lines = [f"Measured {started} on {cpu_name()}, {os.cpu_count()} cores, {platform.platform()}.",
             f"Load average before: {load_before[0]:.2f} / {load_before[1]:.2f} / {load_before[2]:.2f}; "
             f"after: {load_after[0]:.2f} / {load_after[1]:.2f} / {load_after[2]:.2f} (1 / 5 / 15 min).",
             f"The whole measurement took {args.elapsed / 60:.0f} minutes.",
             "Versions: " + "; ".join(f"{n} {v}" for n, v in versions()) + ".", "",
             "Times are in milliseconds, from hyperfine runs of whole processes: *CPU* is the mean user + system "
             "time, which a busy machine disturbs far less than the wall time and equals it for a single-threaded "
             "run on an idle machine; *wall* is the median elapsed time. Operations read an "
             "uncompressed input (BMP; vips its own .v) and write BMP (vips .v). *net* = the run minus the "
             "same tool's copy run (read the input, write it again), i.e. the operation's own cost. "
             "*ratio* = peer net CPU / tarnel step CPU for the same operation (the first tarnel row of the group; "
             "the step CPU is tarnel's processor time around the step alone, from --time): above 1 "
             "tarnel is faster, below 1 the peer is faster (marked **peer faster**). pngquant and pngnq read and "
             "write PNG only, so their ratio compares their whole run with tarnel's step plus tarnel's PNG -> BMP "
             "copy run. Decode+encode rows compare whole runs. *ratio (wall)*: the same with the peer's wall time "
             "at its default thread count against tarnel's single-threaded wall time. *1 thread*: "
             "MAGICK_THREAD_LIMIT=1, OMP_NUM_THREADS=1, VIPS_CONCURRENCY=1; *default*: the tools' own thread "
             "counts (tarnel-batch is single-threaded, so only threaded peers are run twice). ImageMagick runs with "
             "a policy that lifts Debian's 256 MiB pixel-cache cap (else 4096 x 4096 images go to a disk cache). "
             "*tarnel step*, *tarnel step CPU*: tarnel's "
             "own --time figures for the step alone, elapsed (the machine's load shows in it) and processor time. PSNR (dB) is each output against the source PNG.", ""]
    for key, img, rows in sections:
        runs = args.runs if key == "hd" else args.runs_large
        lines.append(f"### {img['w']} x {img['h']} ({img['source']} scaled and cropped), {runs} runs per command")
        lines.append("")
        lines.append("| operation | tool | command | CPU, 1 thread | net CPU | ratio | wall, 1 thread | wall, default threads | ratio (wall) | tarnel step | tarnel step CPU | PSNR | output bytes |")
        lines.append("|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
        copy = {r["tool"]: r.get("single") for r in rows if r["group"] == "copy"}
        copy_wall = {r["tool"]: r.get("wall") for r in rows if r["group"] == "copy"}
        copy_default = {r["tool"]: r.get("default", r.get("wall")) for r in rows if r["group"] == "copy"}
        reference = {}
        for r in rows:
            if r["tool"] == "tarnel" and r["group"] not in reference and "single" in r:
                reference[r["group"]] = r
        for r in rows:
            cells = [r["group"], r["tool"], "`" + r["label"] + "`" if r.get("single") is not None else r["label"]]
            if "error" in r:
                cells += ["failed: " + " ".join(r["error"])[:60]] + [""] * 9
                lines.append("| " + " | ".join(cells) + " |")
                continue
            single = r.get("single")
            codec = "decode+encode" in r["group"]
            whole_compare = r["tool"] in ("pngquant", "pngnq")
            base = copy.get(r["tool"])
            net = None
            if single is not None and base is not None and r["group"] != "copy" and not codec:
                net = max(single - base, 0.0)
            ref = reference.get(r["group"])
            ratio = ratio_d = ""
            if ref is not None and r is not ref and single is not None:
                # tarnel's own cost of the step: its processor time measured
                # in-process around the step alone, steadier than a difference
                # of two whole runs; its elapsed time for the wall ratios.
                ref_net = ref.get("step_cpu", max(ref["single"] - copy["tarnel"], 0.0))
                ref_wall_net = ref.get("step", max(ref["wall"] - copy_wall["tarnel"], 0.0))
                if codec:
                    ratio = _ratio(single, ref["single"])
                    if "default" in r:
                        ratio_d = _ratio(r["default"], ref["wall"])
                elif whole_compare:
                    # tarnel's estimated whole run from a PNG: its net plus its PNG copy run.
                    ratio = _ratio(single, ref_net + copy["tarnel PNG"])
                    if "default" in r:
                        ratio_d = _ratio(r["default"], ref_wall_net + copy_wall["tarnel PNG"])
                elif net is not None:
                    ratio = _ratio(net, ref_net)
                    if "default" in r and copy_default.get(r["tool"]) is not None:
                        ratio_d = _ratio(max(r["default"] - copy_default[r["tool"]], 0.0), ref_wall_net)
            p = r.get("psnr")
            cells += [fmt(single), fmt(net), ratio, fmt(r.get("wall")), fmt(r.get("default")), ratio_d, fmt(r.get("step")), fmt(r.get("step_cpu")),
                      "" if p is None else f"{p:.2f}", str(r.get("bytes", ""))]
            lines.append("| " + " | ".join(cells) + " |")
        lines.append("")
    return "\n".join(lines)


def _ratio(peer, ours):
    # A net time under a millisecond is measurement noise, not a speed.
    if ours <= 1.0 or peer <= 1.0:
        return "n/a"
    value = peer / ours
    text = f"{value:.2f}"
    return text + " **peer faster**" if value < 0.95 else text


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--batch", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--sizes", default=os.environ.get("PEER_SIZES", "hd,big"))
    p.add_argument("--runs", type=int, default=int(os.environ.get("PEER_RUNS", "5")))
    p.add_argument("--default-sizes", default=os.environ.get("PEER_DEFAULT_SIZES", "hd"))
    p.add_argument("--runs-large", type=int, default=int(os.environ.get("PEER_RUNS_LARGE", "2")))
    p.add_argument("--report-only", action="store_true", help="write the table from the last run's raw.json")
    args = p.parse_args()
    if args.report_only:
        write_report(args)
        print(f"written {args.out}", file=sys.stderr)
        return
    for tool in ("hyperfine", "vips", "pngquant", "pngnq"):
        if not shutil.which(tool):
            sys.exit(f"peer_bench: {tool} is missing (run.sh installs it)")
    run(args)


if __name__ == "__main__":
    main()
