#!/usr/bin/env python3
"""Prints the game-path table from a pyxo_bench --benchmark_out JSON file: per scene, the median frame CPU time of
each renderer, the game's two paths against our rasterizer called directly, SDL2's SDL_RenderCopy and pixman
(speed ratios, above 1 is faster), and every frame time in memcpys of the 800 x 600 x 4 frame.

    pyxo_bench --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
               --benchmark_out=run.json --benchmark_out_format=json
    game_path_table.py run.json

Goals: each path at least 0.9 x direct on every scene, at least 1.0 x SDL_RenderCopy on the blit scenes, at
least pixman's pace on the opaque and alpha scenes, and the engine's frame at most 20 memcpys on each path.
"""
import argparse
import json
import statistics
from collections import defaultdict


def load(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    samples = defaultdict(list)
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" or b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
        samples[name].append(b["cpu_time"] * scale)
    return {name: statistics.median(values) for name, values in samples.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("json")
    args = parser.parse_args()
    times = load(args.json)
    memcpy = times.get("0_Frame/memcpy")
    scenes = sorted({name.split("/")[0] for name in times if not name.startswith("0_")})
    print("| scene | 3-D ms | 2-D ms | direct ms | SDL_RenderCopy ms | pixman ms | 3-D / direct | 2-D / direct |"
          " 3-D / SDL | 2-D / SDL | 3-D / pixman | 2-D / pixman | memcpys 3-D | memcpys 2-D | memcpys direct |")
    print("|---" * 15 + "|")
    for scene in scenes:
        t = {r: times.get(f"{scene}/{r}") for r in ("3d", "2d", "direct", "sdl_copy", "pixman")}

        def ratio(path, peer):
            return f"{t[peer] / t[path]:.2f}" if t[path] and t[peer] else "-"

        def ms(r):
            return f"{t[r]:.3f}" if t[r] else "-"

        def copies(r):
            return f"{t[r] / memcpy:.1f}" if t[r] and memcpy else "-"

        print(f"| {scene} | {ms('3d')} | {ms('2d')} | {ms('direct')} | {ms('sdl_copy')} | {ms('pixman')} | "
              f"{ratio('3d', 'direct')} | {ratio('2d', 'direct')} | {ratio('3d', 'sdl_copy')} | "
              f"{ratio('2d', 'sdl_copy')} | {ratio('3d', 'pixman')} | {ratio('2d', 'pixman')} | "
              f"{copies('3d')} | {copies('2d')} | {copies('direct')} |")
    if memcpy:
        print(f"\nmemcpy of the frame: {memcpy:.3f} ms")


if __name__ == "__main__":
    main()
