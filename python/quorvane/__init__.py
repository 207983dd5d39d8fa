"""Quorvane's contrast-variation planner, in Python.

The same C++ planner as the ``quorvane-series`` command, called in process through its
typed entry: no command line, no temporary files. Components are built by ``protein``,
``dna``, ``rna``, ``formula`` and ``model``; ``plan`` runs them over the D2O series.
Every keyword is a setting of the planner's option table, named as its long option
without the dashes (``deuteration=70`` is ``--deuteration 70``, ``q_max=0.3`` is
``--q-max 0.3``): a flag takes True or False, a number any real number (NumPy's too),
a list a sequence, a path a str or an os.PathLike, and the settings that repeat a dict
(``deuterate={"LEU,ILE": 100}``, ``buffer={"NaCl": "150mM"}``). A value of the wrong
type raises TypeError naming the keyword; a value the planner refuses raises
``PlanError``, a ``ValueError`` that names the component, the setting, the value and
what it must be.

    import quorvane
    lysozyme = quorvane.protein(file="lysozyme_3.DAT", label="lysozyme")
    result = quorvane.plan([lysozyme], d2o=[0, 42, 100], conc=5)
    result.series["contrast_fm"]          # numpy array, one value per row
    result.match_points["lysozyme"]       # (46.1..., 44.49..., 47.11...)
"""
import os

from . import _quorvane

__version__ = _quorvane.__version__

__all__ = ["PlanError", "Component", "Result", "protein", "dna", "rna", "formula", "model",
           "plan", "read_measured"]


class PlanError(ValueError):
    """The planner's error value: what it refused and why.

    component: the label (or file, or formula) of the component it concerns, or None for
    the whole run; setting: the keyword it concerns (``deuteration``), or "file" for a
    file's contents; value: the value given; expected: what it must be; usage: True for
    a mistake in what was asked, False for a file that could not be read.
    """

    def __init__(self, message, component=None, setting="", value="", expected="", usage=True):
        super().__init__(message)
        self.message = message
        self.component = component
        self.setting = setting
        self.value = value
        self.expected = expected
        self.usage = usage


def _raise(error):
    raise PlanError(error["message"], error["component"], error["setting"], error["value"],
                    error["expected"], error["usage"])


class Component:
    """One component of a plan: a sequence's text, a file or a formula (``kind``), its
    ``source``, and its own ``settings``."""

    def __init__(self, kind, source, settings):
        self.kind = kind
        self.source = source
        self.settings = settings
        error = _quorvane.check_component(dict(settings, mass=source) if kind == "mass"
                                          else settings)
        if error is not None:
            error["component"] = self.name
            _raise(error)

    @property
    def name(self):
        """How messages name it: its label, else its file or formula."""
        label = self.settings.get("label")
        if isinstance(label, str):
            return label
        if self.kind == "mass":
            return "mass=%r" % (self.source,)
        return None if self.kind == "text" else os.fspath(self.source)

    def __repr__(self):
        return "quorvane.Component(%r, %r, %r)" % (self.kind, self.source, self.settings)


def _component(sequence, type_, settings, file):
    mass = settings.pop("mass", None)
    if mass is not None and sequence is None and file is None and type_ is None:
        return Component("mass", mass, settings)
    if (sequence is None) == (file is None):
        raise TypeError("give the sequence's text, its file= or, for a protein, its mass= "
                        "(kDa), one of them")
    if sequence is not None and not isinstance(sequence, str):
        raise TypeError("sequence takes a text (FASTA, one- or three-letter codes), not %s; "
                        "give a file as file=" % type(sequence).__name__)
    if file is not None and not isinstance(file, (str, os.PathLike)):
        raise TypeError("file takes a path (a str or an os.PathLike), not %s"
                        % type(file).__name__)
    if type_ is not None:
        settings["type"] = type_
    return Component("file", file, settings) if file is not None else \
        Component("text", sequence, settings)


def protein(sequence=None, file=None, **settings):
    """A protein: its sequence (FASTA, one- or three-letter codes, table numbers), file=,
    or mass= in kDa (Swiss-Prot's average composition, for a protein whose sequence is
    not at hand)."""
    return _component(sequence, None, settings, file)


def dna(sequence=None, file=None, **settings):
    """DNA: a one-letter sequence or FASTA, or file=."""
    return _component(sequence, "dna", settings, file)


def rna(sequence=None, file=None, **settings):
    """RNA: a one-letter sequence or FASTA, or file=."""
    return _component(sequence, "rna", settings, file)


def formula(chemical_formula, **settings):
    """A molecule by formula (C12H22O11), with labile=, and volume=, density= or psv=."""
    if not isinstance(chemical_formula, str):
        raise TypeError("formula takes a text such as \"C12H22O11\", not %s"
                        % type(chemical_formula).__name__)
    return Component("formula", chemical_formula, settings)


def model(path, chains=None, **settings):
    """An atomic model (PDB, mmCIF, gzipped or not); chains=["A", "B"] as one component."""
    if not isinstance(path, (str, os.PathLike)):
        raise TypeError("path takes a path (a str or an os.PathLike), not %s"
                        % type(path).__name__)
    if chains is not None:
        settings["chains"] = chains
    return Component("file", path, settings)


class Result:
    """What a plan gives, every number as computed (never rounded to printed digits):

    series: the series' columns by their CSV names, numbers as numpy arrays (NaN where
    there is none) and the labels as a list; reasons: for a column with NaN, why, row by
    row ("no signal", "no Guinier range", "below zero"...; "" where there is a number);
    curves, pr, stuhrmann: their columns when computed (None otherwise); simulated, with
    ``simulate``: {(label, d2o, configuration): {"q", "I", "dI", "dq", "time"}}, d2o the
    percentage as given; match_points: {label: (value, low, high)}, None where there is
    none; records, with ``records=True``: the screen's columns (and series None); report
    and series_csv: the text and CSV the command writes; notes and warnings: lines;
    guinier, with ``measured``: {D2O: {"rg", "rg_error", "i0", "i0_error", "q_min",
    "q_max", "points", "chi2"}} (None where a curve has no Guinier range);
    measured_match_point: (value, error) in % D2O, or None; basis, with two components
    and three or more measured curves: {"q", "I11", "I12", "I22", "dI11", "dI12",
    "dI22"}, or None; fit, with ``fit=True``: {"line", "shell_density", "chi2",
    "contrasts": {D2O: {"scale", "background", "chi2", "model"}}}, or None.
    """

    def __init__(self, figures):
        self.report = figures["report"]
        self.series_csv = figures["series_csv"]
        self.series = figures["series"]
        self.reasons = figures["reasons"]
        self.curves = figures["curves"]
        self.pr = figures["pr"]
        self.stuhrmann = figures["stuhrmann"]
        self.simulated = figures["simulated"]
        self.records = figures["records"]
        self.match_points = figures["match_points"]
        self.notes = figures["notes"]
        self.warnings = figures["warnings"]
        self.guinier = figures["guinier"]
        self.measured_match_point = figures["measured_match_point"]
        self.basis = figures["basis"]
        self.fit = figures["fit"]

    def to_pandas(self, table="series"):
        """The series (or curves, pr, stuhrmann, records) as a pandas DataFrame."""
        import pandas
        return pandas.DataFrame(getattr(self, table))


def _group(name, value):
    """A group of settings (solvent=, curves=, beamtime=, simulate=): True or a dict."""
    if value is None or value is False:
        return {}
    if value is True:
        return {}
    if not isinstance(value, dict):
        raise TypeError("%s takes True or a dict of its settings, not %s"
                        % (name, type(value).__name__))
    return dict(value)


def _measured(measured):
    """measured= as the run's --measured and --measured-conc: {D2O: path or (path, conc)}."""
    if not isinstance(measured, dict):
        raise TypeError("measured takes a dict {D2O percentage: path or (path, concentration)}, "
                        "not %s" % type(measured).__name__)
    files, concentrations = {}, {}
    for d2o, given in measured.items():
        path, conc = given if isinstance(given, tuple) else (given, None)
        files[d2o] = path if isinstance(path, str) else os.fspath(path)
        if conc is not None:
            concentrations[d2o] = conc
    return files, concentrations


def plan(components, d2o=None, solvent=None, curves=None, beamtime=None, simulate=None,
         measured=None, **settings):
    """Plans `components` over the D2O series.

    d2o: a list of D2O percentages, or None for from_=, to= and step= (0 to 100 by 10);
    solvent: a dict of the solvent's settings (temperature, d2o_purity, buffer, solvent,
    volumes, sld_unit, exchange, uncertainty); curves: True, or a dict of the curves'
    settings (q_max, q_points, q_log, units, shell_density, no_shell, threads);
    beamtime: True, or a dict of its settings (flux, aperture, wavelength, cells...);
    simulate: True, or a dict of the simulation's settings (instrument, configs, noise,
    seed, target_high, compare), for the measured curves in ``result.simulated``;
    measured: {D2O percentage: path, or (path, concentration in mg/mL)} of reduced
    curves measured at those points, fitted for Rg and I(0) (``result.guinier``) and
    together for the measured match point;
    any other keyword a setting of the run (conc=, xray=True, ligands=True, records=True...).
    """
    if isinstance(components, Component):
        components = [components]
    if components is None and measured is not None:
        components = []
    if isinstance(components, (str, bytes)) or not hasattr(components, "__iter__"):
        raise TypeError("components takes a list of quorvane.protein(), dna(), rna(), "
                        "formula() or model(), not %s" % type(components).__name__)
    components = list(components)
    for c in components:
        if not isinstance(c, Component):
            raise TypeError("components takes quorvane.protein(), dna(), rna(), formula() or "
                            "model(), not %s (%r)" % (type(c).__name__, c))
    run = {}
    for name, group in (("solvent", solvent), ("curves", curves), ("beamtime", beamtime),
                        ("simulate", simulate)):
        run.update(_group(name, group))
    run.update(settings)
    if d2o is not None:
        run["d2o"] = d2o
    if measured is not None:
        run["measured"], conc = _measured(measured)
        if conc:
            run["measured_conc"] = conc
    if beamtime is not None and beamtime is not False:
        run["beamtime"] = True
    computed = {"curves": bool(curves), "simulate": bool(simulate)}
    figures = _quorvane.plan(components, run, computed)
    if "error" in figures:
        _raise(figures["error"])
    return Result(figures)


def read_measured(path):
    """A reduced 1D file as the planner reads it (canSAS XML, NIST ABS, text of q I dI
    [dq]): a dict of numpy arrays q (1/A), I, dI, dq, and its title, format, unit (of I:
    "1/cm", or "" where the file does not say), thickness_mm (0 where not given) and
    transmissions; a file of several curves gives the first, the rest in "others"."""
    if not isinstance(path, (str, os.PathLike)):
        raise TypeError("path takes a path (a str or an os.PathLike), not %s"
                        % type(path).__name__)
    curves = _quorvane.read_measured(path)
    if isinstance(curves, dict):
        _raise(curves)
    first = curves[0]
    first["others"] = curves[1:]
    return first
