#!/usr/bin/env python3
"""Benchmark of both programs; prints figures, asserts nothing.

- The console program on residue files of 9,999 and 99,999 residues in each data code:
  median wall time of whole runs with piped answers, peak resident memory, growth, and the
  ratio to bench/minimal.c, a floor that only reads, maps, sums and writes the same
  per-residue lines in one go.
- The planner: 101 D2O points against one on 99,999 residues, --records on a
  proteome-sized FASTA file (20,000 records, 8 million residues), and a 100,000-atom
  model read with a 101-point series and the radius of gyration at each point.

Usage: bench/run_bench.py [build directory] [runs]
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

NAMES = ["GLY", "ALA", "VAL", "LEU", "ILE", "PHE", "TYR", "TRP", "ASP", "GLU",
         "SER", "THR", "ASN", "GLN", "LYS", "ARG", "HIS", "MET", "CYS", "PRO"]
LETTERS = "GAVLIFYWDESTNQKRHMCP"
CODES = ((0, "three-letter"), (1, "one-letter"), (2, "number"))


def residue_file(code, count):
    rows = [i * 7 % 20 for i in range(count)]
    if code == 0:
        return "\n".join(NAMES[r] for r in rows) + "\n"
    if code == 1:
        text = "".join(LETTERS[r] for r in rows)
        return ">benchmark\n" + "\n".join(text[i:i + 60] for i in range(0, len(text), 60)) + "\n"
    return "\n".join(str(r) for r in rows) + "\n"


def median_time(command, runs, cwd, answers=None):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        done = subprocess.run(command, input=answers, cwd=cwd, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, check=False)
        times.append(time.perf_counter() - start)
        if done.returncode != 0:
            sys.exit(f"{command}: exit status {done.returncode}: {done.stderr.decode()}")
    return statistics.median(times)


def peak_mib(command, cwd, answers):
    gnu_time = shutil.which("time", path="/usr/bin:/bin")
    if gnu_time is None:
        return float("nan")
    done = subprocess.run([gnu_time, "-f", "%M", *command], input=answers, cwd=cwd,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    return int(done.stderr.decode().strip().splitlines()[-1]) / 1024


def console(build, directory, runs):
    minimal = os.path.join(directory, "minimal")
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "minimal.c")
    subprocess.run(["cc", "-O2", "-o", minimal, source], check=True)
    program = os.path.join(build, "quorvane")
    print(f"{'code':<13}{'residues':>9}{'quorvane ms':>13}{'floor ms':>10}{'ratio':>7}{'peak MiB':>10}")
    medians = {}
    for code, label in CODES:
        for count in (9999, 99999):
            name = f"bench_{code}_{count}"
            with open(os.path.join(directory, name + ".DAT"), "w") as out:
                out.write(residue_file(code, count))
            answers = f"Y\n50\n40\ny\n{name}\n{code}\ny\n".encode()
            medians[code, count] = median_time([program], runs, directory, answers)
            floor = median_time([minimal, str(code), name + ".DAT"], runs, directory)
            peak = peak_mib([program], directory, answers)
            print(f"{label:<13}{count:>9}{medians[code, count] * 1e3:>13.2f}{floor * 1e3:>10.2f}"
                  f"{medians[code, count] / floor:>7.2f}{peak:>10.1f}")
    for code, label in CODES:
        growth = medians[code, 99999] / medians[code, 9999]
        per_residue = (medians[code, 99999] - medians[code, 9999]) / 90000 * 1e9
        print(f"{label}: x{growth:.1f} from 9,999 to 99,999 residues, "
              f"{per_residue:.0f} ns per added residue")


def planner(build, directory, runs):
    series = os.path.join(build, "quorvane-series")
    residues = os.path.join(directory, "bench_0_99999.DAT")
    one = median_time([series, "--from", "0", "--to", "0", residues], runs, directory)
    many = median_time([series, "--step", "1", residues], runs, directory)
    print(f"quorvane-series, 99,999 residues: 1 point {one * 1e3:.2f} ms, "
          f"101 points {many * 1e3:.2f} ms (x{many / one:.2f})")
    proteome = os.path.join(directory, "proteome.fasta")
    random.seed(1)
    with open(proteome, "w") as out:
        for record in range(20000):
            chain = "".join(random.choice(LETTERS) for _ in range(400))
            out.write(f">sp|P{record:05d}|PROT_{record} protein {record}\n")
            out.write("\n".join(chain[i:i + 60] for i in range(0, len(chain), 60)) + "\n")
    screen = median_time([series, "--records", proteome], max(3, runs // 3), directory)
    size = os.path.getsize(proteome) / 2**20
    peak = peak_mib([series, "--records", proteome], directory, None)
    print(f"quorvane-series --records, 20,000 records, 8,000,000 residues ({size:.1f} MiB): "
          f"{screen * 1e3:.0f} ms, peak {peak:.1f} MiB")


def structure(build, directory, runs):
    """A 100,000-atom model: 25 chains of 500 residues of 8 heavy atoms, on helices."""
    import math
    series = os.path.join(build, "quorvane-series")
    path = os.path.join(directory, "big.pdb")
    names = [" N  ", " CA ", " C  ", " O  ", " CB ", " CG ", " CD ", " CE "]
    serial = 0
    with open(path, "w") as out:
        for c in range(25):
            chain = chr(ord("A") + c)
            for r in range(500):
                residue = NAMES[(r * 7 + c) % 20]
                for a, atom in enumerate(names):
                    serial += 1
                    angle = (r * 8 + a) * 0.2
                    x = 40 * (c % 5) + 8 * math.cos(angle)
                    y = 40 * (c // 5) + 8 * math.sin(angle)
                    z = (r * 8 + a) * 0.19
                    out.write("ATOM  %5d %4s %3s %1s%4d    %8.3f%8.3f%8.3f  1.00 20.00           %s\n"
                              % (serial % 100000, atom, residue, chain, r + 1, x, y, z, atom.strip()[0]))
            out.write("TER\n")
        out.write("END\n")
    seconds = median_time([series, "--step", "1", path], max(3, runs // 3), directory)
    print(f"quorvane-series, 100,000-atom model, 25 chains, 101 points with Rg: {seconds * 1e3:.0f} ms")


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    with tempfile.TemporaryDirectory() as directory:
        console(build, directory, runs)
        planner(build, directory, runs)
        structure(build, directory, runs)


if __name__ == "__main__":
    main()
