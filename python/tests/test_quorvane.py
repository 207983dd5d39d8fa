"""The Python module against the command: every planner golden case the module can
express gives the report (or CSV) the case expects, byte for byte, or raises the error
the command prints; errors' attributes; an install into a temporary prefix.

Run by CTest with QUORVANE_BUILD (the build tree) and QUORVANE_GOLDEN (tests/golden).
"""
import os
import re
import shutil
import subprocess
import sys

import numpy as np
import pytest

import quorvane

BUILD = os.environ["QUORVANE_BUILD"]
GOLDEN = os.environ["QUORVANE_GOLDEN"]
SERIES = os.path.join(BUILD, "quorvane-series")


def option_table():
    """From the command's --help: each option's long name, whether it takes a value and
    whether it describes the next component."""
    usage = subprocess.run([SERIES, "--help"], capture_output=True, text=True, check=True).stdout
    table, per_component = {}, False
    for line in usage.splitlines():
        per_component = True if line.startswith("Component options") else (
            False if line.startswith("Options:") else per_component)
        m = re.match(r"  (?:(-[a-z]), )?\s*(--[a-z0-9-]+)(?: (\S+))?", line)
        if m and m.group(2) not in ("--help", "--version"):
            row = (m.group(2), m.group(3) is not None, per_component, m.group(3))
            table.setdefault(m.group(2), row)
            if m.group(1):
                table.setdefault(m.group(1), row)
    return table


TABLE = option_table()
REPEATED = {"--deuterate", "--buffer", "--ligand"}
# What the module does not express: other outputs than its own, standard input, the
# screen of records as text.
UNEXPRESSED = {"--records", "-o", "--output", "--svg", "--plot", "-", "--curves", "--pr"}
# The values that are numbers, and lists, by the --help's names for them.
NUMBERS = {"PCT", "MM", "B", "MG_PER_ML", "N", "G/CM3", "A3", "C", "Q", "A", "V", "F"}
NUMBER_LISTS = {"PCT,PCT", "MM,MM"}
WORD_LISTS = {"A,B", "NAME,NAME"}


def number(text):
    for kind in (int, float):
        try:
            return kind(text)
        except ValueError:
            pass
    return text  # not a number: the module refuses its type


def typed(name, value_name, value):
    """A command-line value as a Python caller would give it."""
    if name == "--formula":
        return value
    if value_name in NUMBERS:
        return number(value)
    if value_name in NUMBER_LISTS:
        return [number(v) for v in value.split(",")]
    if value_name in WORD_LISTS:
        return value.split(",")
    if name == "--uncertainty":
        return dict((k, number(v)) for k, _, v in (i.partition("=") for i in value.split(",")))
    return value


def translate(args):
    """A golden case's command line as module calls: (components, run settings, whether
    the report is the CSV, whether every value kept its spelling), or None where the
    module cannot express it."""
    if any(a in UNEXPRESSED for a in args):
        return None
    run, pending, components, csv, exact = {}, {}, [], False, True
    i = 0
    while i < len(args):
        arg = args[i]
        if arg == "--csv":
            csv = True
        elif arg == "--stuhrmann":
            i += 1  # the module gives the fits as values
        elif arg.startswith("-") and arg in TABLE:
            name, takes_value, per_component, value_name = TABLE[arg]
            key = name[2:].replace("-", "_")
            key = "from_" if key == "from" else key
            value = True
            if takes_value:
                i += 1
                value = typed(name, value_name, args[i])
                exact = exact and (str(value) == args[i] or isinstance(value, (list, dict)))
            if name == "--exchange" and not components:
                per_component = False
            target = pending if per_component else run
            if name in REPEATED:
                item, _, amount = args[i].partition("=")
                target.setdefault(key, {})[item] = number(amount) if name == "--deuterate" \
                    else amount
            elif name == "--formula":
                components.append(("formula", value, pending))
                pending = {}
            else:
                target[key] = value
        else:
            components.append(("file", arg, pending))
            pending = {}
        i += 1
    return components, run, csv, exact


def built(components):
    return [quorvane.formula(v, **s) if kind == "formula" else quorvane.protein(file=v, **s)
            for kind, v, s in components]


def planner_cases():
    for case in sorted(os.listdir(GOLDEN)):
        folder = os.path.join(GOLDEN, case)
        program = os.path.join(folder, "program")
        if os.path.exists(program) and open(program).read().strip() == "quorvane-series":
            yield case


@pytest.mark.parametrize("case", list(planner_cases()))
def test_golden_case(case, tmp_path, monkeypatch):
    """The command's golden cases through the module: the same report or CSV byte for
    byte, or the same refusal in the module's words (a value that is no number refused
    for its type)."""
    folder = os.path.join(GOLDEN, case)
    args = open(os.path.join(folder, "args")).read().split("\n")
    args = [a for a in args if a != ""]
    translated = None if os.path.exists(os.path.join(folder, "stdout_device")) else translate(args)
    if translated is None:
        pytest.skip("the module has no way to say " + " ".join(args))
    components, run, csv, exact = translated
    if os.path.isdir(os.path.join(folder, "input")):
        shutil.copytree(os.path.join(folder, "input"), tmp_path, dirs_exist_ok=True)
    monkeypatch.chdir(tmp_path)
    status = int(open(os.path.join(folder, "status")).read())
    if status != 0:
        expected_err = open(os.path.join(folder, "console.err"), encoding="utf-8").read()
        with pytest.raises((quorvane.PlanError, TypeError)) as raised:
            quorvane.plan(built(components), **run)
        if isinstance(raised.value, TypeError):
            assert "is not" in expected_err, raised.value  # the command refused the value
        elif exact:
            lines = [quorvane._quorvane.in_keywords(l[len("quorvane-series: "):])
                     for l in expected_err.splitlines()]
            assert raised.value.message in lines
        return
    result = quorvane.plan(built(components), **run)
    expected_out = open(os.path.join(folder, "console.out"), encoding="utf-8").read()
    assert (result.series_csv if csv else result.report) == expected_out


def last_digit(cell):
    """The rounding unit of a number as printed: 0.01 for 46.12, 1e-7 for 3.5e-06."""
    mantissa, _, exponent = cell.lower().partition("e")
    decimals = len(mantissa.partition(".")[2])
    return 10.0 ** (-decimals + (int(exponent) if exponent else 0))


def test_series_columns_are_the_figures_unrounded():
    """Every column of the series is the command's CSV before rounding: each number within
    half of its printed last digit, never the rounded cell itself throughout; the
    missing ones NaN with their reason; the labels text whatever they look like."""
    source = os.path.join(GOLDEN, "series_readme_example", "input", "lysozyme_3.DAT")
    result = quorvane.plan([quorvane.protein(file=source, label="1"),
                            quorvane.protein("GAKKL" * 20, label="p", deuteration=60)],
                           d2o=[0, 42.25, 100], conc=5, beamtime=True)
    command = subprocess.run([SERIES, "--csv", "--d2o", "0,42.25,100", "--conc", "5", "--beamtime",
                              "-l", "1", source, "-l", "p", "-d", "60", "-"],
                             input="GAKKL" * 20, capture_output=True, text=True,
                             check=True).stdout
    assert result.series_csv == command
    rows = [line.split(",") for line in command.strip().split("\n")]
    assert list(result.series) == rows[0]
    assert result.series["component"] == ["1"] * 3 + ["p"] * 3 + ["complex"] * 3
    rounded = 0
    for k, name in enumerate(rows[0][1:], start=1):
        for row, value in zip(rows[1:], result.series[name]):
            if row[k] == "":
                assert value != value and result.reasons[name][rows.index(row) - 1] != ""
            else:
                assert abs(value - float(row[k])) <= last_digit(row[k]) / 2 * (1 + 1e-9), name
                rounded += value == float(row[k])
    assert rounded < sum(len(result.series[n]) for n in rows[0][1:]) / 2
    assert "no signal" in result.reasons["time_s"]
    value, low, high = result.match_points["1"]
    assert round(value, 2) == float(rows[1][rows[0].index("match_point_percent")])
    assert low < value < high


@pytest.mark.parametrize("call, component, setting, value, expected", [
    (lambda: quorvane.plan([quorvane.protein("GAK", label="p", deuteration=150)]),
     "p", "deuteration", "150", "a percentage from 0 to 100"),
    (lambda: quorvane.plan([quorvane.formula("C12H22O11", density=1587, labile=8)]),
     "C12H22O11", "density", "1587", "a density from 0.5 to 3 g/cm^3 (give g/cm^3, not kg/m^3)"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], conc=600),
     None, "conc", "600", "a concentration above 0 and up to 500 mg/mL (mg of solute per mL of sample)"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], uncertainty={"exchange": 5, "volume": 25}),
     None, "uncertainty", "volume=25", None),
    (lambda: quorvane.plan([quorvane.protein("GAK")], from_=60, to=40),
     None, "from_", "", ""),
])
def test_error_attributes(call, component, setting, value, expected):
    with pytest.raises(quorvane.PlanError) as raised:
        call()
    error = raised.value
    assert isinstance(error, ValueError)
    assert (error.component, error.setting, error.value) == (component, setting, value)
    if expected is not None:
        assert error.expected == expected


def test_simulated_curves_are_the_commands(tmp_path):
    """simulate= gives the curves the command writes with --simulate, noise and all, to
    the file's digits and unrounded."""
    source = os.path.join(GOLDEN, "..", "..", "examples", "lysozyme_3.DAT")
    result = quorvane.plan([quorvane.protein(file=source, label="lysozyme")], d2o=[0, 100],
                           conc=5, simulate={"noise": True, "seed": 2})
    subprocess.run([SERIES, "--conc", "5", "--d2o", "0,100", "--simulate", str(tmp_path),
                    "--noise", "--seed", "2", "-l", "lysozyme", source], check=True,
                   capture_output=True)
    assert sorted(result.simulated) == [("lysozyme", 0.0, "default"),
                                        ("lysozyme", 100.0, "default")]
    for (label, d2o, config), curve in result.simulated.items():
        table = np.loadtxt(tmp_path / ("%s_%.1f_%s.dat" % (label, d2o, config)))
        for k, column in enumerate(("q", "I", "dI", "dq")):
            # The file prints 7 significant digits; the module has the doubles themselves.
            np.testing.assert_allclose(curve[column], table[:, k], rtol=5e-7)
            assert not np.array_equal(curve[column], table[:, k]) or k == 0
    # The times are the beamtime column's: the low-q configuration counts for I(0).
    times = result.series["time_s"][~np.isnan(result.series["time_s"])]
    assert sorted(c["time"] for c in result.simulated.values()) == pytest.approx(sorted(times),
                                                                                rel=1e-5)


LYSOZYME = os.path.join(GOLDEN, "series_readme_example", "input", "lysozyme_3.DAT")


@pytest.mark.parametrize("call, keyword", [
    (lambda: quorvane.plan([quorvane.protein("GAK")], xray=0), "xray"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], conc=True), "conc"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], d2o=42), "d2o"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], d2o=["0", "100"]), "d2o"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], solvent="console"), "solvent"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], help=True), "help"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], output="report.txt"), "output"),
    (lambda: quorvane.plan([quorvane.protein("GAK")], deuteration=70), "deuteration"),
    (lambda: quorvane.plan(["lysozyme_3.DAT"]), "components"),
    (lambda: quorvane.plan([None]), "components"),
    (lambda: quorvane.protein("GAK", deuteration=True), "deuteration"),
    (lambda: quorvane.protein("GAK", label=1), "label"),
    (lambda: quorvane.protein(42), "sequence"),
    (lambda: quorvane.protein(file=42), "file"),
    (lambda: quorvane.model("m.pdb", chains="AB"), "chains"),
    (lambda: quorvane.protein("GAK", deuterate=["LEU"]), "deuterate"),
    (lambda: quorvane.protein("GAK", conc=5), "conc"),
    (lambda: quorvane.protein(mass="50.7"), "mass"),
])
def test_wrong_types_are_type_errors_naming_the_keyword(call, keyword):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value).startswith((keyword + " ", "'" + keyword + "'")), raised.value


def test_keywords_mean_one_thing(tmp_path, monkeypatch):
    """A flag never reads a file of its value's name; a component's exchange stays its own;
    NumPy's numbers and pathlib's paths are numbers and paths; messages name keywords."""
    np_ = pytest.importorskip("numpy")
    import pathlib
    monkeypatch.chdir(tmp_path)
    shutil.copy(LYSOZYME, tmp_path / "0")
    alone = quorvane.plan([quorvane.protein(file=pathlib.Path(LYSOZYME), label="l")],
                          d2o=np_.array([0.0, 100.0]), xray=False)
    assert list(alone.match_points) == ["l"]
    first = quorvane.protein("GAKGAK", label="a", exchange=50)
    second = quorvane.protein("GAKGAK", label="b")
    both = quorvane.plan([first, second], d2o=[np_.float64(42.0)], conc=np_.int64(5))
    assert list(both.series["exchange_percent"][:2]) == [50.0, 100.0]
    with pytest.raises(quorvane.PlanError) as raised:
        quorvane.plan([quorvane.protein("GAK")], conc=5, q_max=0.3, beamtime={"flux": 1})
    assert raised.value.setting == "flux" and "--" not in raised.value.message
    with pytest.raises(quorvane.PlanError) as raised:
        quorvane.plan([quorvane.protein("GAK", label="x"), quorvane.protein("GAK", label="x")])
    assert "label=NAME" in raised.value.message and "-l" not in raised.value.message


def test_records_are_the_screens_columns():
    """records=True gives the screen's columns, not the series' names over nothing."""
    fasta = ">a\nGAKGAKLL\n>b\nWWYYFF\n>bad\nGAKXZZJ1\n"
    result = quorvane.plan([quorvane.protein(fasta)], records=True, allow_unknown=True)
    command = subprocess.run([SERIES, "--records", "--csv", "--allow-unknown", "-"], input=fasta,
                             capture_output=True, text=True).stdout.splitlines()
    header = command[0].split(",")
    assert result.series is None and list(result.records) == header
    assert result.records["record"] == ["a", "b", "bad"]
    for row, k in zip(command[1:], range(3)):
        cells = row.split(",")
        for name, cell in zip(header[1:-1], cells[1:-1]):
            value = result.records[name][k]
            assert (value != value) if cell == "" else \
                abs(value - float(cell)) <= last_digit(cell) / 2 * (1 + 1e-9), (name, cell)


def test_pandas_frame():
    pandas = pytest.importorskip("pandas")
    frame = quorvane.plan([quorvane.protein("GAKGAK", label="p")], d2o=[0, 100]).to_pandas()
    assert isinstance(frame, pandas.DataFrame)
    assert list(frame["d2o_percent"]) == [0.0, 100.0]


def test_install_and_import(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", BUILD, "--prefix", str(prefix)], check=True,
                   capture_output=True)
    site = [p for p in prefix.glob("lib/python3*/site-packages")]
    assert len(site) == 1
    env = {"PATH": os.environ.get("PATH", ""), "PYTHONPATH": str(site[0])}
    code = ("import quorvane; r = quorvane.plan([quorvane.protein('GAK', label='p')], d2o=[0, 100]);"
            "print(quorvane.__file__); print(r.match_points['p'][0])")
    out = subprocess.run([sys.executable, "-c", code], env=env, cwd=str(tmp_path),
                         capture_output=True, text=True, check=True).stdout.split("\n")
    assert out[0].startswith(str(site[0]))
    assert float(out[1]) > 0
