#!/usr/bin/env python3
"""Times whole runs of the console program on large residue files.

Builds residue files of 9,999 and 99,999 residues in each data code in a scratch
directory, runs the program on each with piped answers, and prints the median wall
time, the peak resident memory and how the time grows from the small to the large
file. Usage: bench/run_bench.py [path/to/quorvane] [runs]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

NAMES = ["GLY", "ALA", "VAL", "LEU", "ILE", "PHE", "TYR", "TRP", "ASP", "GLU",
         "SER", "THR", "ASN", "GLN", "LYS", "ARG", "HIS", "MET", "CYS", "PRO"]
LETTERS = "GAVLIFYWDESTNQKRHMCP"


def residue_file(code, count):
    rows = [i * 7 % 20 for i in range(count)]
    if code == 0:
        return "\n".join(NAMES[r] for r in rows) + "\n"
    if code == 1:
        text = "".join(LETTERS[r] for r in rows)
        return ">benchmark\n" + "\n".join(text[i:i + 60] for i in range(0, len(text), 60)) + "\n"
    return "\n".join(str(r) for r in rows) + "\n"


def run_once(program, directory, name, code):
    answers = f"Y\n50\n40\ny\n{name}\n{code}\ny\n".encode()
    start = time.perf_counter()
    done = subprocess.run([program], input=answers, cwd=directory,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{name}: exit status {done.returncode}: {done.stderr.decode(errors='replace')}")
    return elapsed


def peak_kib(program, directory, name, code):
    """Peak resident set of one run, from GNU time, which forks only a small process."""
    gnu_time = shutil.which("time", path="/usr/bin:/bin")
    if gnu_time is None:
        return None
    answers = f"Y\n50\n40\ny\n{name}\n{code}\ny\n".encode()
    done = subprocess.run([gnu_time, "-f", "%M", program], input=answers, cwd=directory,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    return int(done.stderr.decode().strip().splitlines()[-1])


def series_figures(program, directory, runs):
    """The planner on the 99,999-residue file: 101 D2O points against a single one."""
    series = os.path.join(os.path.dirname(program), "quorvane-series")
    if not os.path.exists(series):
        return
    residues = os.path.join(directory, "bench_0_99999.DAT")
    timings = {}
    for label, args in (("1 point", ["--from", "0", "--to", "0"]),
                        ("101 points", ["--step", "1"])):
        times = []
        for _ in range(runs):
            start = time.perf_counter()
            subprocess.run([series, *args, residues], stdout=subprocess.DEVNULL, check=True)
            times.append(time.perf_counter() - start)
        timings[label] = statistics.median(times)
        print(f"quorvane-series, 99,999 residues, {label}: median {timings[label] * 1e3:.2f} ms")
    print(f"quorvane-series: 101 points cost x{timings['101 points'] / timings['1 point']:.2f} "
          "the time of one")


def main():
    program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/quorvane")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    with tempfile.TemporaryDirectory() as directory:
        print(f"{'code':<14}{'residues':>9}{'median ms':>11}{'min ms':>9}{'peak MiB':>10}")
        medians = {}
        for code, label in ((0, "three-letter"), (1, "one-letter"), (2, "number")):
            for count in (9999, 99999):
                name = f"bench_{code}_{count}"
                with open(os.path.join(directory, name + ".DAT"), "w") as out:
                    out.write(residue_file(code, count))
                times = [run_once(program, directory, name, code) for _ in range(runs)]
                medians[(code, count)] = statistics.median(times)
                peak = peak_kib(program, directory, name, code)
                peak_text = "n/a" if peak is None else f"{peak / 1024:.1f}"
                print(f"{label:<14}{count:>9}{medians[(code, count)] * 1e3:>11.2f}"
                      f"{min(times) * 1e3:>9.2f}{peak_text:>10}")
        series_figures(program, directory, runs)
        for code, label in ((0, "three-letter"), (1, "one-letter"), (2, "number")):
            growth = medians[(code, 99999)] / medians[(code, 9999)]
            per_residue = (medians[(code, 99999)] - medians[(code, 9999)]) / 90000 * 1e9
            print(f"{label}: x{growth:.1f} from 9,999 to 99,999 residues; "
                  f"{per_residue:.0f} ns per added residue over a fixed start-up")


if __name__ == "__main__":
    main()
