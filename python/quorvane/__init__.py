"""Quorvane's contrast-variation planner, in Python.

The same C++ planner as the ``quorvane-series`` command, run in process. Components
are built by ``protein``, ``dna``, ``rna``, ``formula`` and ``model``; ``plan`` runs
them over the D2O series. Every keyword is a setting of the planner's option table,
named as its long option without the dashes (``deuteration=70`` is ``--deuteration
70``, ``q_max=0.3`` is ``--q-max 0.3``); ``True`` gives a flag, a list a comma list,
and a dict the options that repeat (``deuterate={"LEU,ILE": 100}``,
``buffer={"NaCl": "150mM"}``). A mistake raises ``PlanError``, a ``ValueError`` that
names the component, the setting, the value and what it must be.

    import quorvane
    lysozyme = quorvane.protein(file="lysozyme_3.DAT", label="lysozyme")
    result = quorvane.plan([lysozyme], d2o=[0, 42, 100], conc=5)
    result.series["contrast_fm"]          # numpy array, one value per row
    result.match_points["lysozyme"]       # (46.1, 44.49, 47.11)
"""
import csv
import io
import os
import re
import shutil
import tempfile

from . import _quorvane

__version__ = _quorvane.__version__

__all__ = ["PlanError", "Component", "Result", "protein", "dna", "rna", "formula", "model",
           "plan"]


class PlanError(ValueError):
    """The planner's error value: what it refused and why.

    component: the label (or file, or formula) of the component it concerns, or None for
    the whole run; setting: the option's name as a keyword (``deuteration``), or "file"
    for a file's contents; value: the value given; expected: what it must be; usage:
    True for a mistake in what was asked, False for a file that could not be read.
    """

    def __init__(self, message, component=None, setting="", value="", expected="", usage=True):
        super().__init__(message)
        self.message = message
        self.component = component
        self.setting = setting
        self.value = value
        self.expected = expected
        self.usage = usage


class Component:
    """One FILE or --formula of the command line, with its own settings."""

    def __init__(self, source, settings, is_formula=False):
        self.source = source
        self.settings = settings
        self.is_formula = is_formula

    def __repr__(self):
        return "quorvane.Component(%r, %r)" % (self.source, self.settings)


def _text(value):
    if isinstance(value, bool):
        raise TypeError("a flag is True or False, not a value")
    if isinstance(value, float):
        return repr(value)
    return str(value)


def _keyword(option):
    return option.lstrip("-").replace("-", "_")


def _arguments(settings):
    """The command line of `settings`, keyword by keyword, as the option table names them."""
    args = []
    for name, value in settings.items():
        if value is None or value is False:
            continue
        option = "--" + name.rstrip("_").replace("_", "-")
        if value is True:
            args.append(option)
        elif isinstance(value, dict):
            if option == "--uncertainty":
                args += [option, ",".join("%s=%s" % (k, _text(v)) for k, v in value.items())]
            else:
                for key, item in value.items():
                    args += [option, "%s=%s" % (key, _text(item))]
        elif isinstance(value, (list, tuple)):
            args += [option, ",".join(_text(v) for v in value)]
        else:
            args += [option, _text(value)]
    return args


def _component(source, type_, settings, file):
    if (source is None) == (file is None):
        raise TypeError("give the sequence's text or its file=, one of them")
    if type_ is not None:
        settings["type"] = type_
    return Component(("file", file) if file is not None else ("text", source), settings)


def protein(sequence=None, file=None, **settings):
    """A protein: its sequence (FASTA, one- or three-letter codes, table numbers) or file=."""
    return _component(sequence, None, settings, file)


def dna(sequence=None, file=None, **settings):
    """DNA: a one-letter sequence or FASTA, or file=."""
    return _component(sequence, "dna", settings, file)


def rna(sequence=None, file=None, **settings):
    """RNA: a one-letter sequence or FASTA, or file=."""
    return _component(sequence, "rna", settings, file)


def formula(chemical_formula, **settings):
    """A molecule by formula (C12H22O11), with labile=, and volume=, density= or psv=."""
    return Component(chemical_formula, settings, is_formula=True)


def model(path, chains=None, **settings):
    """An atomic model (PDB, mmCIF, gzipped or not); chains=["A", "B"] as one component."""
    if chains is not None:
        settings["chains"] = list(chains)
    return Component(("file", os.fspath(path)), settings)


def _column(values):
    try:
        import numpy
    except ImportError:  # the figures as Python numbers
        numpy = None
    try:
        numbers = [float(v) if v != "" else float("nan") for v in values]
    except ValueError:
        return list(values)
    return numpy.array(numbers) if numpy is not None else numbers


def _table(text):
    """A CSV as a dict of columns: numbers as arrays, text as lists."""
    rows = list(csv.reader(io.StringIO(text)))
    if not rows:
        return {}
    header, body = rows[0], rows[1:]
    return {name: _column([row[k] for row in body]) for k, name in enumerate(header)}


class Result:
    """What a plan gives: series (the CSV's columns), curves, pr and stuhrmann when
    computed (their files' columns), simulated with ``simulate`` ({(label, d2o,
    configuration): {"q", "I", "dI", "dq"}}), match_points ({label: (value, low, high)}, None
    where there is none), report (the text report), notes and warnings."""

    def __init__(self, report, series_csv, files, warnings):
        self.report = report
        self.series_csv = series_csv
        self.series = _table(series_csv)
        self.curves = _table(files["curves"]) if "curves" in files else None
        self.pr = _table(files["pr"]) if "pr" in files else None
        self.stuhrmann = _table(files["stuhrmann"]) if "stuhrmann" in files else None
        self.warnings = warnings
        self.notes = [line.strip()[len("note: "):] for line in report.splitlines()
                      if line.strip().startswith("note: ")]
        self.match_points = {}
        rows = list(csv.DictReader(io.StringIO(series_csv)))
        for row in rows:
            label = row.get("component", "")
            if label in self.match_points or "match_point_percent" not in row:
                continue
            point = row["match_point_percent"]
            low, high = row.get("match_point_low_percent", ""), row.get("match_point_high_percent", "")
            self.match_points[label] = None if point == "" else (
                float(point), float(low) if low else float("nan"), float(high) if high else float("nan"))

    def to_pandas(self, table="series"):
        """The series (or curves, pr, stuhrmann) as a pandas DataFrame."""
        import pandas
        return pandas.DataFrame(getattr(self, table))


def plan(components, d2o=None, solvent=None, curves=None, beamtime=None, simulate=None,
         **settings):
    """Plans `components` over the D2O series.

    d2o: a list of D2O percentages, or None for from_=, to= and step= (0 to 100 by 10);
    solvent: a dict of the solvent's settings (temperature, d2o_purity, buffer, solvent,
    volumes, sld_unit, exchange, uncertainty); curves: True, or a dict of the curves'
    settings (q_max, q_points, q_log, units, shell_density, no_shell, threads);
    beamtime: True, or a dict of its settings (flux, aperture, wavelength, cells...);
    simulate: True, or a dict of the simulation's settings (instrument, configs, noise,
    seed, target_high, compare), for the measured curves in ``result.simulated``;
    any other keyword a setting of the run (conc=, xray=True, ligands=True...).
    """
    if isinstance(components, Component):
        components = [components]
    run = dict(settings)
    if d2o is not None:
        run["d2o"] = list(d2o)
    run.update(solvent or {})
    if beamtime:
        run["beamtime"] = True
        if isinstance(beamtime, dict):
            run.update(beamtime)
    if curves and isinstance(curves, dict):
        run.update(curves)
    if simulate and isinstance(simulate, dict):
        run.update(simulate)
    folder = tempfile.mkdtemp(prefix="quorvane-")
    try:
        return _plan(components, run, bool(curves), folder, bool(simulate))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def _simulated(folder):
    """The --simulate folder's curves: {(label, d2o, configuration): {"q", "I", "dI",
    "dq"} as numpy arrays, and "time", the sample's counting time in seconds}, from the
    files' headers and columns."""
    import numpy
    curves = {}
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".dat"):
            continue
        path = os.path.join(folder, name)
        with open(path, encoding="utf-8") as f:
            first, second, third = f.readline(), f.readline(), f.readline()
        label, d2o = re.match(r"# .*?measurement: (.*) at ([0-9.]+) % D2O, ", first).groups()
        config = re.match(r"# configuration ([^:]+):", second).group(1)
        seconds = float(re.match(r"# counted .*? \(([0-9.e+]+) s;", third).group(1))
        table = numpy.loadtxt(path, comments="#", ndmin=2)
        curve = dict(zip(("q", "I", "dI", "dq"), table.T))
        curve["time"] = seconds
        curves[(label, float(d2o), config)] = curve
    return curves


def _plan(components, run, curves, folder, simulate=False):
    outputs = {"report": "report.txt", "series": "series.csv"}
    if any(c.source[0] == "file" and _is_model(c) for c in components):
        outputs["stuhrmann"] = "stuhrmann.csv"
    if curves:
        outputs.update(curves="curves.csv", pr="pr.csv")
    args = ["-o", os.path.join(folder, outputs["report"]),
            "--csv-file", os.path.join(folder, outputs["series"])]
    for name in ("stuhrmann", "curves", "pr"):
        if name in outputs:
            args += ["--" + name, os.path.join(folder, outputs[name])]
    simulated = os.path.join(folder, "simulated")
    if simulate:
        os.mkdir(simulated)
        args += ["--simulate", simulated]
    args += _arguments(run)
    names = []
    for k, c in enumerate(components):
        args += _arguments(c.settings)
        if c.is_formula:
            args += ["--formula", c.source]
            names.append(c.source)
        elif c.source[0] == "file":
            args.append(c.source[1])
            names.append(c.source[1])
        else:
            path = os.path.join(folder, "component_%d.txt" % (k + 1))
            with open(path, "w") as f:
                f.write(c.source[1])
            args.append(path)
            names.append(c.settings.get("label") or "component_%d" % (k + 1))
    done = _quorvane.run(args)
    warnings = [line[len("quorvane-series: warning: "):] for line in
                done["err"].decode("utf-8", "replace").splitlines()
                if line.startswith("quorvane-series: warning: ")]
    if done["status"] != 0:
        message = done["message"] or done["err"].decode("utf-8", "replace").strip()
        message = message.replace(folder + os.sep, "")
        component = names[done["input"]] if 0 <= done["input"] < len(names) else None
        raise PlanError(message, component, _keyword(done["setting"]), done["value"],
                        done["expected"], done["usage"])
    files = {}
    for name, file in outputs.items():
        with open(os.path.join(folder, file), encoding="utf-8") as f:
            files[name] = f.read()
    result = Result(files["report"].replace(folder + os.sep, ""), files["series"], files,
                    warnings)
    result.simulated = _simulated(simulated) if simulate else None
    return result


def _is_model(component):
    path = component.source[1].lower()
    if path.endswith(".gz"):
        path = path[:-3]
    return path.endswith((".pdb", ".ent", ".cif", ".mmcif")) or \
        component.settings.get("code") == "structure"
