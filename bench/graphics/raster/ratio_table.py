#!/usr/bin/env python3
"""Prints ours / peer per scene and format from a raster_bench --benchmark_out JSON file.

    raster_bench --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
                 --benchmark_out=run.json --benchmark_out_format=json
    ratio_table.py run.json            # a Markdown table; --plain for aligned text

With repetitions, the median of each benchmark's Mpixel/s is used. The targets: ours at least 2x SDL2's
software renderer on every scene, and at least pixman's speed where pixman can draw the scene.
"""
import argparse
import json
import statistics
import sys
from collections import defaultdict

TARGETS = {"sdl2": 2.0, "pixman": 1.0}


def load(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    samples = defaultdict(list)
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" or "Mpixel/s" not in b:
            continue
        if b.get("error_occurred"):
            continue
        samples[b["run_name"] if "run_name" in b else b["name"]].append(b["Mpixel/s"])
    medians = {}
    for name, values in samples.items():
        scene, fmt, renderer = name.split("/")
        medians[(scene, fmt, renderer)] = (statistics.median(values), len(values))
    return medians


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("json")
    parser.add_argument("--plain", action="store_true", help="aligned text instead of Markdown")
    args = parser.parse_args()
    medians = load(args.json)

    rows = []
    missed = 0
    keys = sorted({(s, f) for (s, f, _) in medians}, key=lambda k: (k[0], k[1] != "8888"))
    for scene, fmt in keys:
        ours = medians.get((scene, fmt, "ours"))
        if ours is None:
            continue
        row = [scene, fmt, f"{ours[0]:.0f}"]
        for peer in ("pixman", "sdl2"):
            other = medians.get((scene, fmt, peer))
            if other is None:
                row += ["-", "-"]
                continue
            ratio = ours[0] / other[0]
            met = ratio >= TARGETS[peer]
            missed += 0 if met else 1
            row += [f"{other[0]:.0f}", f"{ratio:.2f}" + ("" if met else " (below target)")]
        rows.append(row)

    header = ["scene", "format", "ours Mpx/s", "pixman Mpx/s", "ours/pixman", "SDL2 Mpx/s", "ours/SDL2"]
    if args.plain:
        widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
        for r in [header] + rows:
            print("  ".join(c.rjust(w) if i > 1 else c.ljust(w) for i, (c, w) in enumerate(zip(r, widths))))
    else:
        print("| " + " | ".join(header) + " |")
        print("|" + "|".join("---" for _ in header) + "|")
        for r in rows:
            print("| " + " | ".join(r) + " |")
    # The 3-D device alone: at least 0.9 x the rasterizer called directly, and 2 x SDL2.
    three_d = []
    for scene, fmt in keys:
        ours = medians.get((scene, fmt, "ours"))
        device = medians.get((scene, fmt, "device"))
        sdl = medians.get((scene, fmt, "sdl2"))
        if ours is None or device is None or sdl is None:
            continue
        direct, versus_sdl = device[0] / ours[0], device[0] / sdl[0]
        missed += (direct < 0.9) + (versus_sdl < 2.0)
        three_d.append([scene, fmt, f"{device[0]:.0f}", f"{direct:.2f}" + ("" if direct >= 0.9 else " (below target)"),
                        f"{versus_sdl:.2f}" + ("" if versus_sdl >= 2.0 else " (below target)")])
    if three_d:
        print()
        print("| scene | format | device Mpx/s | device / direct | device / SDL2 |")
        print("|---|---|---|---|---|")
        for r in three_d:
            print("| " + " | ".join(r) + " |")
    repetitions = {n for (_, n) in medians.values()}
    print(f"\nmedians of {'/'.join(str(n) for n in sorted(repetitions))} run(s) each; targets: "
          "ours/pixman >= 1, ours/SDL2 >= 2", file=sys.stderr if not args.plain else sys.stdout)
    return 0 if missed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
