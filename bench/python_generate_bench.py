#!/usr/bin/env python3
"""Generated tracks to occupancy grid and race line: the Python module in
memory against velmora-export writing the same to disk.

    PYTHONPATH=build/release/python python3 bench/python_generate_bench.py --count 1000 --tool build/release/bin/velmora-export

The tool runs `--generate COUNT --seed SEED --ros-map --raceline --quiet`
into a temporary folder; the module makes the same tracks with
velmora.generate and asks each for occupancy() and raceline() on a thread
per core (the module releases the interpreter's lock while it works). Wall
time and CPU time (all threads; the tool's as a child process) are printed
for each, best of --repeat runs: on a machine shared with other work the
CPU time is the steadier figure.
"""
import argparse
import os
import resource
import subprocess
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

import velmora


def child_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run_tool(tool, count, seed):
    with tempfile.TemporaryDirectory() as folder:
        wall, cpu = time.perf_counter(), child_cpu()
        subprocess.run([tool, "--generate", str(count), "--seed", str(seed), "--ros-map", "--raceline",
                        "--quiet", "--out-dir", folder],
                       check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        return time.perf_counter() - wall, child_cpu() - cpu


def run_module(count, seed):
    wall, cpu = time.perf_counter(), time.process_time()
    tracks = velmora.generate(count, seed=seed)

    def both(track):
        grid = track.occupancy().grid
        line = track.raceline()
        return grid.shape, line.lap_time  # the arrays themselves are dropped: 1,000 grids would not fit

    with ThreadPoolExecutor(os.cpu_count()) as pool:
        done = list(pool.map(both, [t for t in tracks if t is not None]))
    assert len(done) == count, "some tracks were not made"
    return time.perf_counter() - wall, time.process_time() - cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--repeat", type=int, default=1)
    parser.add_argument("--tool", default="build/release/bin/velmora-export")
    a = parser.parse_args()
    velmora.generate(1, seed=a.seed)  # the application, fonts and pictures once, outside the timing
    results = {}
    for name, run in [("velmora-export to disk", lambda: run_tool(a.tool, a.count, a.seed)),
                      ("velmora module in memory", lambda: run_module(a.count, a.seed))]:
        runs = [run() for _ in range(a.repeat)]
        results[name] = (min(r[0] for r in runs), min(r[1] for r in runs))
    print(f"{a.count} generated tracks to occupancy grid and race line, {os.cpu_count()} cores")
    for name, (wall, cpu) in results.items():
        print(f"  {name:26s} wall {wall:8.2f} s   cpu {cpu:8.2f} s   {a.count / wall:7.2f} tracks/s")


if __name__ == "__main__":
    main()
