#!/usr/bin/env python3
"""Benchmark of both programs; prints figures, asserts nothing.

- The console program on residue files of 9,999 and 99,999 residues in each data code:
  median wall time of whole runs with piped answers, peak resident memory, growth, and the
  ratio to bench/minimal.c, a floor that only reads, maps, sums and writes the same
  per-residue lines in one go.
- The planner: 101 D2O points against one on 99,999 residues, --records on a
  proteome-sized FASTA file (20,000 records, 8 million residues), and a compact
  100,000-atom model (25 chains) read with a 101-point series and the radius of
  gyration at each point.
- Predicted curves of that model (101 D2O points, 201 q, hydration shell on, residue
  units): the whole series against one contrast, the time per pair of units, the growth
  from 10,000 to 100,000 atoms, the peak memory, two threads; and Debian's
  python3-sasview Debye sum of one 201-point curve of 1hpv's 3,100 atoms beside the
  planner's 101 curves of the same model, where installed.
- A model of 127 chains, copies of 1hpv's two moved apart: reading, its curves against one
  contrast, two threads, the same model with no chain another moved, atoms as units,
  and the time a pair beside bench/pairs_floor.c's plain double loop.
- A 60-mer capsid of a million atoms, generated with the icosahedral group's rotations
  as its declared assembly: its curves with one and two threads.

Usage: bench/run_bench.py [build directory] [runs]
"""
import math
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


def compact_model(path, residues):
    """A compact model: residues of 8 heavy atoms on a 5.1 A grid (a residue's volume)
    filling a sphere, cut into 25 chains by angle."""
    spacing = 5.1
    radius = (residues * spacing ** 3 * 3 / (4 * math.pi)) ** (1 / 3)
    m = int(radius / spacing) + 1
    points = [(i * spacing, j * spacing, k * spacing)
              for i in range(-m, m + 1) for j in range(-m, m + 1) for k in range(-m, m + 1)
              if (i * i + j * j + k * k) * spacing ** 2 <= radius ** 2]
    points.sort(key=lambda p: (math.atan2(p[1], p[0]), p[2]))
    points = points[:residues]
    names = [" N  ", " CA ", " C  ", " O  ", " CB ", " CG ", " CD ", " CE "]
    serial = 0
    with open(path, "w") as out:
        for index, (x, y, z) in enumerate(points):
            chain = chr(ord("A") + index * 25 // len(points))
            for a, atom in enumerate(names):
                serial += 1
                out.write("ATOM  %5d %4s %3s %1s%4d    %8.3f%8.3f%8.3f  1.00 20.00           %s\n"
                          % (serial % 100000, atom, NAMES[index % 20], chain, index % 10000,
                             x + 1.5 * math.cos(a * 0.8), y + 1.5 * math.sin(a * 0.8),
                             z + 0.4 * (a - 3.5), atom.strip()[0]))
        out.write("END\n")
    return 8 * len(points)


def units_and_pairs(report):
    """Residues and shell pieces of every line, from the report, and the pairs they make."""
    pairs, residues = 0, {}
    for line in report.splitlines():
        if "residues, deuteration" in line:
            residues[line.split()[0]] = int(line.split("): ")[1].split()[0])
    for line in report.splitlines():
        if "shell pieces" in line:
            label = line.split()[0]
            shell = int(line.split(", ")[-1].split()[0])
            n = (residues[label] if label in residues else sum(residues.values())) + shell
            pairs += n * (n - 1) // 2
    return pairs


def structure(build, directory, runs):
    series = os.path.join(build, "quorvane-series")
    path = os.path.join(directory, "big.pdb")
    atoms = compact_model(path, 12500)
    seconds = median_time([series, "--step", "1", path], max(3, runs // 3), directory)
    print(f"quorvane-series, {atoms:,}-atom model, 25 chains, 101 points with Rg: "
          f"{seconds * 1e3:.0f} ms")
    curves = [series, "--step", "1", path, "--svg", "p.svg", "--plot", "curves"]
    whole = median_time(curves, max(3, runs // 3), directory)
    one = median_time([series, "--from", "42", "--to", "42", path, "--svg", "p.svg", "--plot",
                       "curves"], max(3, runs // 3), directory)
    report = subprocess.run(curves, cwd=directory, capture_output=True, text=True).stdout
    pairs = units_and_pairs(report)
    print(f"  curves of 26 lines, 101 D2O points, 201 q, shell: {whole * 1e3:.0f} ms "
          f"({(whole - seconds) * 1e3:.0f} ms beyond the series); one contrast "
          f"{one * 1e3:.0f} ms, ratio {whole / one:.2f}; {pairs / 1e6:.0f} million pairs, "
          f"{(whole - seconds) / pairs * 1e9:.2f} ns a pair; peak "
          f"{peak_mib(curves, directory, None):.0f} MiB")
    two = median_time(curves + ["--threads", "2"], max(3, runs // 3), directory)
    print(f"  the same with --threads 2: {two * 1e3:.0f} ms")
    for residues in (1250, 3750, 12500):
        small = os.path.join(directory, f"m{residues}.pdb")
        n = compact_model(small, residues)
        t = median_time([series, "--step", "1", small, "--svg", "p.svg", "--plot", "curves"],
                        max(3, runs // 3), directory)
        print(f"  growth: {n:,} atoms, curves {t * 1e3:.0f} ms")
    sasview(series, directory)


def sasview(series, directory):
    model = "/usr/share/pymol/data/tut/1hpv.pdb"
    if not os.path.exists(model):
        return
    try:
        import numpy as np
        from sas.sascalc.calculator import sas_gen
    except ImportError:
        print("  python3-sasview not installed: no comparison")
        return
    xyz = np.array([[float(l[30:38]), float(l[38:46]), float(l[46:54])]
                    for l in open(model) if l.startswith("ATOM")])
    q = np.linspace(0.0025, 0.5, 201)
    start = time.perf_counter()
    sas_gen.Iq(q, xyz[:, 0], xyz[:, 1], xyz[:, 2], np.ones(len(xyz)), np.ones(len(xyz)))
    theirs = time.perf_counter() - start
    ours = median_time([series, "--step", "1", "--units", "atoms", model, "--svg", "p.svg",
                        "--plot", "curves"], 3, directory)
    print(f"  python3-sasview Debye sum, 1hpv, {len(xyz):,} atoms, one 201-point curve: "
          f"{theirs:.1f} s; quorvane-series, atoms as units, 3 lines x 101 contrasts: "
          f"{ours:.2f} s")


def chains_model(path, source="/usr/share/pymol/data/tut/1hpv.pdb", chains=127, spacing=70.0,
                 distinct=False):
    """A model of many chains: copies of a packaged model's chains moved apart on a
    lattice, each its own chain (C1, C2, ...), written as mmCIF (PDB's one-letter chain
    names run out at 62). With `distinct`, chain n's first atom is moved n/10 A, so that
    no chain is another moved and each takes its own curves. Returns the atoms written."""
    by_chain = {}
    for line in open(source):
        if line.startswith("ATOM"):
            by_chain.setdefault(line[21], []).append(line)
    names = sorted(by_chain)
    rows = ["data_bench", "loop_"] + ["_atom_site." + c for c in (
        "group_PDB id type_symbol label_atom_id label_alt_id label_comp_id label_asym_id "
        "label_entity_id label_seq_id pdbx_PDB_ins_code Cartn_x Cartn_y Cartn_z occupancy "
        "B_iso_or_equiv auth_seq_id auth_comp_id auth_asym_id auth_atom_id "
        "pdbx_PDB_model_num").split()]
    serial = 0
    for n in range(chains):
        copy, part = divmod(n, len(names))
        dx, dy, dz = (copy % 4) * spacing, (copy // 4 % 4) * spacing, (copy // 16) * spacing
        chain = "C%d" % (n + 1)
        for k, line in enumerate(by_chain[names[part]]):
            serial += 1
            atom, residue, number = line[12:16].strip(), line[17:20], int(line[22:26])
            nudge = 0.1 * (n + 1) if distinct and k == 0 else 0.0
            rows.append("ATOM %d %s %s . %s %s 1 %d ? %.3f %.3f %.3f 1 20 %d %s %s %s 1" % (
                serial, atom[0], atom, residue, chain, number, float(line[30:38]) + dx + nudge,
                float(line[38:46]) + dy, float(line[46:54]) + dz, number, residue, chain, atom))
    with open(path, "w") as out:
        out.write("\n".join(rows) + "\n")
    return serial


def assemblies(build, directory, runs):
    """The 127-chain model: reading and the 101-point series alone, then its curves
    (101 contrasts x 201 q, shell on) against one contrast, two threads, atoms as units;
    the pair sums' time per pair beside a plain double loop's on 20,000 of its atoms."""
    if not os.path.exists("/usr/share/pymol/data/tut/1hpv.pdb"):
        print("pymol-data not installed: no large-model figures")
        return
    series = os.path.join(build, "quorvane-series")
    path = os.path.join(directory, "chains127.cif")
    atoms = chains_model(path)
    n = max(3, runs // 5)
    read = median_time([series, "--step", "1", path], n, directory)
    curves = [series, "--step", "1", path, "--svg", "p.svg", "--plot", "curves"]
    whole = median_time(curves, n, directory)
    one = median_time([series, "--from", "42", "--to", "42", path, "--svg", "p.svg", "--plot",
                       "curves"], n, directory)
    two = median_time(curves + ["--threads", "2"], n, directory)
    report = subprocess.run(curves, cwd=directory, capture_output=True, text=True).stdout
    pairs = units_and_pairs(report)
    print(f"quorvane-series, {atoms:,}-atom model of 127 chains (1hpv's, moved apart), mmCIF:")
    print(f"  reading and the 101-point series: {read * 1e3:.0f} ms")
    print(f"  curves of 128 lines, 101 D2O points, 201 q, shell: {whole * 1e3:.0f} ms in all; "
          f"one contrast {one * 1e3:.0f} ms, ratio {whole / one:.2f}; {pairs / 1e6:.0f} million "
          f"pairs, {(whole - read) / pairs * 1e9:.2f} ns a pair; peak "
          f"{peak_mib(curves, directory, None):.0f} MiB")
    print(f"  --threads 2: {two * 1e3:.0f} ms; the stages past reading "
          f"{(whole - read) / (two - read):.2f} times as fast")
    distinct = os.path.join(directory, "distinct127.cif")
    chains_model(distinct, distinct=True)
    own = median_time([series, "--step", "1", distinct, "--svg", "p.svg", "--plot", "curves"],
                      n, directory)
    print(f"  the same with no chain another moved (one atom of each moved), each chain's "
          f"curves its own: {own * 1e3:.0f} ms")
    by_atoms = median_time(curves + ["--units", "atoms"], 1, directory)
    print(f"  --units atoms: {by_atoms:.1f} s, {by_atoms / whole:.1f} times the residues' "
          f"(pairs of atoms are some 13 times as many)")
    floor_source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pairs_floor.c")
    floor = os.path.join(directory, "pairs_floor")
    subprocess.run(["cc", "-O2", "-o", floor, floor_source, "-lm"], check=True)
    points = os.path.join(directory, "points.txt")
    with open(points, "w") as out:
        for line in open(path):
            if line.startswith("ATOM"):
                f = line.split()
                out.write(f"{f[10]} {f[11]} {f[12]} 1 0\n")
    subset = os.path.join(directory, "subset.txt")
    with open(points) as whole_set, open(subset, "w") as out:
        out.writelines(line for k, line in zip(range(20000), whole_set))
    counted, seconds = subprocess.run([floor, "0.02", subset], capture_output=True, text=True,
                                      check=True).stdout.split()[:2]
    floor_ns = float(seconds) / int(counted) * 1e9
    print(f"  a plain double loop over 20,000 of its atoms (one weight, no sharing): "
          f"{floor_ns:.2f} ns a pair; the planner's pair stage {(whole - read) / pairs * 1e9 / floor_ns:.2f} "
          f"times it")


def capsid_model(path, residues=2083, spacing=5.1, outer=190.0):
    """A 60-mer capsid: one chain of residues (8 heavy atoms each, as compact_model's)
    filling a 60th of a spherical shell, and the icosahedral group's 60 rotations as the
    assembly of REMARK 350, written to `path`. Returns the atoms of the whole capsid."""
    phi = (1 + 5 ** 0.5) / 2
    def rotation(axis, angle):
        n = math.sqrt(sum(a * a for a in axis))
        x, y, z = (a / n for a in axis)
        c, s = math.cos(angle), math.sin(angle)
        return ((c + x * x * (1 - c), x * y * (1 - c) - z * s, x * z * (1 - c) + y * s),
                (y * x * (1 - c) + z * s, c + y * y * (1 - c), y * z * (1 - c) - x * s),
                (z * x * (1 - c) - y * s, z * y * (1 - c) + x * s, c + z * z * (1 - c)))
    def product(a, b):
        return tuple(tuple(sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3))
                     for i in range(3))
    key = lambda m: tuple(round(v, 6) for row in m for v in row)
    group = [((1, 0, 0), (0, 1, 0), (0, 0, 1))]
    seen = {key(group[0])}
    generators = [rotation((0, 1, phi), 2 * math.pi / 5), rotation((1, 1, 1), 2 * math.pi / 3)]
    for m in group:
        for g in generators:
            p = product(g, m)
            if key(p) not in seen:
                seen.add(key(p))
                group.append(p)
    assert len(group) == 60
    d0 = (0.12, 0.23, 0.96)
    images = [tuple(sum(g[i][k] * d0[k] for k in range(3)) for i in range(3)) for g in group]
    inner = (outer ** 3 - 60 * residues * spacing ** 3 * 3 / (4 * math.pi)) ** (1 / 3)
    m = int(outer / spacing) + 1
    points = []
    for i in range(-m, m + 1):
        for j in range(-m, m + 1):
            for k in range(-m, m + 1):
                p = (i * spacing, j * spacing, k * spacing)
                r = math.sqrt(p[0] ** 2 + p[1] ** 2 + p[2] ** 2)
                if inner <= r <= outer:
                    dots = [p[0] * d[0] + p[1] * d[1] + p[2] * d[2] for d in images]
                    if max(range(60), key=dots.__getitem__) == 0:
                        points.append(p)
    atoms = [" N  ", " CA ", " C  ", " O  ", " CB ", " CG ", " CD ", " CE "]
    with open(path, "w") as out:
        out.write("REMARK 350 BIOMOLECULE: 1\nREMARK 350 APPLY THE FOLLOWING TO CHAINS: A\n")
        for n, g in enumerate(group):
            for row in range(3):
                out.write("REMARK 350   BIOMT%d %3d%10.6f%10.6f%10.6f%15.5f\n"
                          % (row + 1, n + 1, g[row][0], g[row][1], g[row][2], 0.0))
        serial = 0
        for index, (x, y, z) in enumerate(points):
            for a, atom in enumerate(atoms):
                serial += 1
                out.write("ATOM  %5d %4s %3s A%4d    %8.3f%8.3f%8.3f  1.00 20.00           %s\n"
                          % (serial, atom, NAMES[index % 20], index + 1,
                             x + 1.5 * math.cos(a * 0.8), y + 1.5 * math.sin(a * 0.8),
                             z + 0.4 * (a - 3.5), atom.strip()[0]))
        out.write("END\n")
    return 60 * 8 * len(points)

def capsid(build, directory, runs):
    """A 60-mer capsid of a million atoms built from its operators (--assembly 1): its
    curves with one and two threads, and the peak memory."""
    series = os.path.join(build, "quorvane-series")
    path = os.path.join(directory, "capsid.pdb")
    atoms = capsid_model(path)
    curves = [series, "--assembly", "1", "--step", "1", path, "--svg", "p.svg", "--plot",
              "curves"]
    n = max(3, runs // 5)
    one = median_time(curves, n, directory)
    two = median_time(curves + ["--threads", "2"], n, directory)
    print(f"quorvane-series, a 60-mer capsid of {atoms:,} atoms (--assembly 1, 101 D2O points, "
          f"201 q, shell): {one:.2f} s, --threads 2 {two:.2f} s; peak "
          f"{peak_mib(curves + ['--threads', '2'], directory, None):.0f} MiB")


def fit_cost(build, directory):
    """A seven-contrast fit with the shell's density free, beyond the curves alone."""
    model = "/usr/share/pymol/data/tut/1hpv.pdb"
    if not os.path.exists(model):
        return
    series = os.path.join(build, "quorvane-series")
    points = [0, 10, 20, 60, 80, 90, 100]  # 1hpv matches near 40 %
    simulated = os.path.join(directory, "simulated")
    os.makedirs(simulated, exist_ok=True)
    subprocess.run([series, "--conc", "5", "--d2o", ",".join(map(str, points)), "--simulate",
                    simulated, "--noise", model], cwd=directory, check=True,
                   capture_output=True)
    measured = []
    for p in points:
        measured += ["--measured", f"{p}={os.path.join(simulated, f'complex_{p:.1f}_default.dat')}"]
    curves = median_time([series, "--conc", "5", "--d2o", ",".join(map(str, points)), model,
                          "--svg", "p.svg", "--plot", "curves"], 5, directory)
    fitted = median_time([series, "--conc", "5", "--fit", *measured, model], 5, directory)
    print(f"quorvane-series --fit, 1hpv at seven measured contrasts, shell density free: "
          f"{fitted * 1e3:.0f} ms; its curves alone {curves * 1e3:.0f} ms")


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    with tempfile.TemporaryDirectory() as directory:
        console(build, directory, runs)
        planner(build, directory, runs)
        structure(build, directory, runs)
        assemblies(build, directory, runs)
        capsid(build, directory, runs)
        fit_cost(build, directory)


if __name__ == "__main__":
    main()
