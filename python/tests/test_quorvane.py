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
            row = (m.group(2), m.group(3) is not None, per_component)
            table[m.group(2)] = row
            if m.group(1):
                table[m.group(1)] = row
    return table


TABLE = option_table()
REPEATED = {"--deuterate", "--buffer", "--ligand"}
# What the module does not express: other outputs than its own, standard input, the
# screen of records.
UNEXPRESSED = {"--records", "-o", "--output", "--svg", "--plot", "-", "--curves", "--pr"}


def translate(args):
    """A golden case's command line as module calls: (components, run settings,
    whether the report is the CSV), or None where the module cannot express it."""
    if any(a in UNEXPRESSED for a in args):
        return None
    run, pending, components, csv = {}, {}, [], False
    i = 0
    while i < len(args):
        arg = args[i]
        if arg == "--csv":
            csv = True
        elif arg == "--stuhrmann":
            i += 1  # the module writes its own
        elif arg.startswith("-") and arg in TABLE:
            name, takes_value, per_component = TABLE[arg]
            key = name[2:].replace("-", "_")
            value = True
            if takes_value:
                i += 1
                value = args[i]
            if name == "--exchange" and not components:
                per_component = False
            target = pending if per_component else run
            if name in REPEATED:
                item, _, amount = value.partition("=")
                target.setdefault(key, {})[item] = amount
            elif name == "--formula":
                components.append(quorvane.formula(value, **pending))
                pending = {}
            else:
                target[key] = value
        else:
            components.append(quorvane.protein(file=arg, **pending))
            pending = {}
        i += 1
    return components, run, csv


def planner_cases():
    for case in sorted(os.listdir(GOLDEN)):
        folder = os.path.join(GOLDEN, case)
        program = os.path.join(folder, "program")
        if os.path.exists(program) and open(program).read().strip() == "quorvane-series":
            yield case


@pytest.mark.parametrize("case", list(planner_cases()))
def test_golden_case(case, tmp_path, monkeypatch):
    folder = os.path.join(GOLDEN, case)
    args = open(os.path.join(folder, "args")).read().split("\n")
    args = [a for a in args if a != ""]
    translated = None if os.path.exists(os.path.join(folder, "stdout_device")) else translate(args)
    if translated is None:
        pytest.skip("the module has no way to say " + " ".join(args))
    components, run, csv = translated
    if os.path.isdir(os.path.join(folder, "input")):
        shutil.copytree(os.path.join(folder, "input"), tmp_path, dirs_exist_ok=True)
    monkeypatch.chdir(tmp_path)
    status = int(open(os.path.join(folder, "status")).read())
    if status != 0:
        expected_err = open(os.path.join(folder, "console.err"), encoding="utf-8").read()
        with pytest.raises(quorvane.PlanError) as raised:
            quorvane.plan(components, **run)
        assert "quorvane-series: " + raised.value.message + "\n" in expected_err
        return
    result = quorvane.plan(components, **run)
    expected_out = open(os.path.join(folder, "console.out"), encoding="utf-8").read()
    assert (result.series_csv if csv else result.report) == expected_out


def test_series_columns_and_match_points():
    lysozyme = quorvane.protein(file=os.path.join(GOLDEN, "series_readme_example", "input",
                                                  "lysozyme_3.DAT"), label="lysozyme")
    result = quorvane.plan([lysozyme], d2o=[0, 42, 100], conc=5)
    command = subprocess.run([SERIES, "--csv", "--d2o", "0,42,100", "--conc", "5", "-l",
                              "lysozyme", os.path.join(GOLDEN, "series_readme_example", "input",
                                                       "lysozyme_3.DAT")],
                             capture_output=True, text=True, check=True).stdout
    assert result.series_csv == command
    rows = [line.split(",") for line in command.strip().split("\n")]
    for k, name in enumerate(rows[0]):
        column = result.series[name]
        for row, value in zip(rows[1:], column):
            if row[k] == "":
                assert value != value  # nan
            elif isinstance(value, str):
                assert value == row[k]
            else:
                assert value == float(row[k])
    value, low, high = result.match_points["lysozyme"]
    assert (value, low, high) == (float(rows[1][rows[0].index("match_point_percent")]),
                                  float(rows[1][rows[0].index("match_point_low_percent")]),
                                  float(rows[1][rows[0].index("match_point_high_percent")]))


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
     None, "from", "", ""),
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
    """simulate= gives the curves the command writes with --simulate, noise and all."""
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
            np.testing.assert_array_equal(table[:, k], curve[column])
    # The times are the beamtime column's: the low-q configuration counts for I(0).
    times = result.series["time_s"][~np.isnan(result.series["time_s"])]
    assert sorted(c["time"] for c in result.simulated.values()) == pytest.approx(sorted(times),
                                                                                rel=1e-5)


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
