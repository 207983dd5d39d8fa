"""The simulated measurements through the real program: the q I dI dq files and the
canSAS 1D XML read back by numpy and ElementTree, the noise's statistics, and two
arrangements of a complex told apart by --compare where the moved domain is seen and
not at its match point."""
import os
import re
import shutil
import subprocess
import xml.etree.ElementTree as ET

import numpy as np
import pytest
from lxml import etree
from sas.sascalc.dataloader import loader as sasview_loader

BIN = os.environ["QUORVANE_BIN"]
SOURCE = os.environ["QUORVANE_SOURCE"]
MODEL = "/usr/share/pymol/data/demo/1tii.pdb"  # Debian's pymol-data
CONFIGS = ["--instrument", os.path.join(SOURCE, "examples/instruments/ng1_8m.txt"),
           "--configs", "3.6m,2m", "--q-max", "0.19", "--conc", "5"]
NS = {"c": "urn:cansas1d:1.1"}

pytestmark = pytest.mark.skipif(not os.path.exists(MODEL) and os.environ.get("CI") != "true",
                                reason="pymol-data is not installed")


def series(*args, check=True, cwd=None):
    run = subprocess.run([os.path.join(BIN, "quorvane-series"), *args], capture_output=True,
                         text=True, cwd=cwd)
    if check:
        assert run.returncode == 0, run.stderr
    return run


def complex_args(model=MODEL):
    return ["-l", "A", "--chains", "A", model, "-l", "D", "--chains", "D,E,F,G,H", "-d", "75",
            model]


@pytest.fixture(scope="module")
def moved(tmp_path_factory):
    """The model with chain A moved 10 A along x."""
    path = tmp_path_factory.mktemp("models") / "moved.pdb"
    lines = []
    for line in open(MODEL):
        if line.startswith(("ATOM", "HETATM")) and line[21] == "A":
            line = line[:30] + "%8.3f" % (float(line[30:38]) + 10.0) + line[38:]
        lines.append(line)
    path.write_text("".join(lines))
    return str(path)


@pytest.fixture(scope="module")
def match_a():
    report = series("--no-shell", "--curves", os.devnull, *complex_args()).stdout
    return float(re.search(r"^  A +([0-9.]+) % D2O", report, re.M).group(1))


def read_dat(path):
    header = [l for l in open(path) if l.startswith("#")]
    return header, np.loadtxt(path, comments="#")


def test_files_read_back_as_written(tmp_path, match_a):
    series("--d2o", "0,%.1f,100" % match_a, "--simulate", str(tmp_path), *CONFIGS,
           *complex_args())
    dats = sorted(p for p in os.listdir(tmp_path) if p.endswith(".dat"))
    assert "complex_0.0_3.6m.dat" in dats and "complex_0.0_2m.dat" in dats
    root = ET.parse(tmp_path / "simulated.xml").getroot()
    assert root.tag == "{urn:cansas1d:1.1}SASroot" and root.get("version") == "1.1"
    entries = root.findall("c:SASentry", NS)
    for entry in entries:
        assert len(entry.findall("c:SASdata", NS)) == 1  # one configuration an entry
        for data in entry.findall("c:SASdata", NS):
            rows = data.findall("c:Idata", NS)
            assert rows
            for row in rows:
                assert [c.tag.split("}")[1] for c in row] == ["Q", "I", "Idev", "Qdev"]
                assert [c.get("unit") for c in row] == ["1/A", "1/cm", "1/cm", "1/A"]
            xml = np.array([[float(c.text) for c in row] for row in rows])
            name = entry.get("name") + ".dat"
            header, table = read_dat(tmp_path / name)
            assert header[-1].startswith("# Q (1/A)  I (1/cm)  dI (1/cm)  dQ")
            np.testing.assert_array_equal(xml, table)
            assert np.all(np.diff(table[:, 0]) > 0)
            assert np.all(table[:, 2] > 0) and np.all(table[:, 3] > 0)
            # dq grows with q: the wavelength's share, q spread / sqrt(6), under it.
            assert np.all(np.diff(table[:, 3]) > 0)
            assert np.all(table[:, 3] > table[:, 0] * 0.15 / np.sqrt(6) * 0.999)
    assert len(dats) == sum(len(e.findall("c:SASdata", NS)) for e in entries)


SECONDS = {"s": 1, "min": 60, "h": 3600, "d": 86400}


def test_cansas_file_is_valid_and_each_configuration_its_own(tmp_path):
    """simulated.xml passes canSAS 1D 1.1's schema (SasView's copy), and SasView's loader
    reads each configuration's data with that configuration's instrument and title."""
    schema = os.path.join(os.path.dirname(sasview_loader.__file__), "readers", "schema",
                          "cansas1d_v1_1.xsd")
    series("--d2o", "0,100", "--simulate", str(tmp_path), *CONFIGS, *complex_args())
    document = etree.parse(str(tmp_path / "simulated.xml"))
    validator = etree.XMLSchema(etree.parse(schema))
    assert validator.validate(document), validator.error_log
    cameras = {"3.6m": (6.0, 3600.0), "2m": (5.0, 2000.0)}  # A and mm, ng1_8m.txt
    data = sasview_loader.Loader().load(str(tmp_path / "simulated.xml"))
    assert len(data) == len(os.listdir(tmp_path)) - 1 >= 8
    for d in data:
        title = re.fullmatch(r"(\w+) at ([0-9.]+) % D2O, ([0-9.m]+) \(simulated\)", d.title)
        assert title, d.title
        assert (d.source.wavelength, d.detector[0].distance) == cameras[title.group(3)]
        table = read_dat(tmp_path / ("%s_%s_%s.dat" % title.groups()))[1]
        np.testing.assert_array_equal(d.x, table[:, 0])


def test_one_time_per_sample_whatever_is_asked(tmp_path):
    """A sample's counting time keeps its meaning whatever else is asked: without named
    configurations the table's times are the same with a simulation or its plot; with them
    the table's time is every configuration's, the two totals are one, and that total is
    twice (sample, then buffer) the sum of the sample's times."""
    source = os.path.join(SOURCE, "examples", "lysozyme_3.DAT")
    base = ["--conc", "5", "--d2o", "0,42,100", "--beamtime", "--csv", "-l", "lysozyme", source]
    tables = [series(*extra, *base, cwd=tmp_path).stdout for extra in
              ([], ["--simulate", "."], ["--plot", "simulated", "--svg", "s.svg"])]
    assert tables[0] == tables[1] == tables[2]
    report = series("--d2o", "0,100", *CONFIGS, *complex_args()).stdout
    totals = re.findall(r"^  (\w+): signal from .*total over every configuration, sample and "
                        r"buffer: ([0-9.]+ \w+|not feasible)", report, re.M)
    simulated = re.findall(r"^  (\w+): [0-9.m, ]+ for q .*; total ([0-9.]+ \w+|not feasible)",
                           report, re.M)
    assert totals == simulated and len(totals) == 3
    csv = series("--d2o", "0,100", "--csv", *CONFIGS, *complex_args()).stdout.splitlines()
    times = [float(row.split(",")[csv[0].split(",").index("time_s")]) for row in csv[1:]]
    points = re.findall(r"^ +[0-9.]+ % D2O: (.*)$", report, re.M)
    seconds = lambda text: sum(float(v) * SECONDS[u] for v, u in
                               re.findall(r"([0-9.]+) (s|min|h|d)\b", text))
    counted = [(seconds(p), t) for p, t in zip(points, times) if "not feasible" not in p]
    assert len(counted) >= 4
    for printed, time in counted:  # the printed times, to their digits
        assert printed == pytest.approx(time, rel=0.02)
    # The total is twice (sample, then buffer) the sum of the sample's times.
    complex_times = [t for row, t in zip(csv[1:], times) if row.startswith("complex,")]
    total = dict(totals)["complex"]
    assert seconds(total) == pytest.approx(2 * sum(complex_times), rel=0.01), total


def test_curve_beyond_q_max_is_the_models(tmp_path):
    """Rings past --q-max, and the resolution's tails beyond it, see the model's curve: the
    same rings simulated with a higher --q-max agree, and so do the times."""
    reports, tables = [], []
    for q_max in ("0.19", "0.3"):
        os.mkdir(tmp_path / q_max)
        args = [a if a != "0.19" else q_max for a in CONFIGS]
        reports.append(series("--d2o", "0", "--simulate", str(tmp_path / q_max), *args,
                              *complex_args()).stdout)
        tables.append(read_dat(tmp_path / q_max / "complex_0.0_2m.dat")[1])
    np.testing.assert_array_equal(tables[0][:, 0], tables[1][:, 0])
    np.testing.assert_allclose(tables[0][:, 1:], tables[1][:, 1:], rtol=2e-3)
    times = [re.search(r"^ +0\.0 % D2O: 3\.6m .*, 2m (.*)$", r, re.M).group(1) for r in reports]
    assert times[0] == times[1]


def test_noise_is_poisson_and_reproducible(tmp_path):
    args = ["--d2o", "0", *CONFIGS, *complex_args()]
    for name, extra in [("clean", []), ("a", ["--noise", "--seed", "3"]),
                        ("b", ["--noise", "--seed", "3"]), ("c", ["--noise", "--seed", "4"])]:
        os.mkdir(tmp_path / name)
        series("--simulate", str(tmp_path / name), *extra, *args)
    files = sorted(os.listdir(tmp_path / "clean"))
    same = all(open(tmp_path / "a" / f).read() == open(tmp_path / "b" / f).read() for f in files)
    assert same
    assert open(tmp_path / "a" / files[0]).read() != open(tmp_path / "c" / files[0]).read()
    pulls = []
    for f in files:
        if f.endswith(".dat"):
            clean, noisy = read_dat(tmp_path / "clean" / f)[1], read_dat(tmp_path / "a" / f)[1]
            np.testing.assert_array_equal(clean[:, 0], noisy[:, 0])
            pulls.extend((noisy[:, 1] - clean[:, 1]) / clean[:, 2])
    pulls = np.array(pulls)
    assert len(pulls) > 100
    assert abs(pulls.mean()) < 4 / np.sqrt(len(pulls))
    assert abs(pulls.std() - 1) < 0.15


def test_compare_sees_the_moved_domain_only_where_it_shows(moved, match_a):
    report = series("--no-shell", "--d2o", "0,%.1f" % match_a, "--compare", moved, *CONFIGS,
                    *complex_args()).stdout
    chi2 = [float(x) for x in re.findall(r"chi2 ([0-9.]+)", report)]
    # A at 0 % (at its match point it has no signal), D at both, the complex at both: a
    # component alone is the same however placed; the complex differs where A is seen.
    assert len(chi2) == 5
    assert chi2[:3] == [1.0, 1.0, 1.0]
    seen, matched = chi2[3:]
    assert seen > 10
    assert 0.95 < matched < 1.1


def test_every_simulated_point_is_compared(moved):
    """Whatever the two files are called and however their chains split, every simulated
    point gets its chi-square, or the report says why not."""
    lysozyme = os.path.join(SOURCE, "examples", "lysozyme_3.DAT")
    report = series("--d2o", "0", "--compare", moved, *CONFIGS, MODEL, lysozyme).stdout
    section = report[report.index("\nConfigurations:"):]
    lines = re.findall(r"^  (\S+): .*\n +0\.0 % D2O: (.*)$", section, re.M)
    assert sorted(label for label, _ in lines) == ["1tii_A", "1tii_C", "1tii_D", "1tii_E",
                                                   "1tii_F", "1tii_G", "1tii_H", "complex",
                                                   "lysozyme_3"]
    lines = [(label, point) for label, point in lines if point != "no signal"]
    assert len(lines) >= 6
    for label, point in lines:
        compared = "no atomic model" not in point
        assert compared == label.startswith("1tii"), point
        assert ("chi2 1.00" in point) == compared, point  # each chain alone is unmoved


@pytest.mark.parametrize("args,status,message", [
    (["--simulate", "no/such/folder"], 1, "--simulate no/such/folder: is no folder"),
    (["--seed", "3", "--simulate", "."], 2, "--seed seeds the counts of --noise"),
    (["--noise"], 2, "--noise draws the counts of simulated data"),
    (["--configs", "15m"], 2, "--configs 15m: no such section in"),
])
def test_refusals(tmp_path, args, status, message):
    run = series(*args, *CONFIGS[:2], "--conc", "5", "--d2o", "0", "-l", "A", "--chains", "A",
                 MODEL, check=False, cwd=tmp_path)
    assert run.returncode == status and message in run.stderr, run.stderr
    assert os.listdir(tmp_path) == []  # the run's folder: nothing written into it


@pytest.mark.parametrize("name", sorted(os.listdir(os.path.join(SOURCE, "examples/instruments"))))
def test_example_instruments_are_usable(name):
    """Every example file's sections are configurations the planner counts with."""
    path = os.path.join(SOURCE, "examples/instruments", name)
    sections = re.findall(r"^\[(.+)\]$", open(path).read(), re.M)
    assert len(sections) >= 2
    report = series("--conc", "5", "--d2o", "0", "--instrument", path, "--configs",
                    ",".join(sections), "-l", "A", "--chains", "A", MODEL).stdout
    # The files set no flux: the report says the one it counts with is not the instrument's.
    assert not re.search(r"^flux", open(path).read(), re.M)
    for section in sections:
        assert re.search(r"^  %s: wavelength .*; flux [0-9.e+]+ n/cm\^2/s \(typical, not this "
                         r"instrument's: set its flux\); q 0\.0\d+ to 0\.\d+ 1/A$"
                         % re.escape(section), report, re.M), section


def test_simulated_files_replace_no_input_and_no_other_output(tmp_path):
    """A simulated file named like an input, or like another output, stops the run before
    anything is written."""
    source = os.path.join(SOURCE, "examples", "lysozyme_3.DAT")
    sequence = tmp_path / "lysozyme_0.0_default.dat"
    shutil.copy(source, sequence)
    for extra, input_, message in [
            ([], str(sequence), "names the input file"),
            (["-o", str(tmp_path / "simulated.xml")], source, "name the same file")]:
        run = series("--conc", "5", "--d2o", "0", "--simulate", str(tmp_path), *extra, "-l",
                     "lysozyme", input_, check=False)
        assert run.returncode == 2 and message in run.stderr, run.stderr
        assert sorted(os.listdir(tmp_path)) == ["lysozyme_0.0_default.dat"]
        assert open(sequence).read() == open(source).read()
