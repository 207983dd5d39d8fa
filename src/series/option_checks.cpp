#include "series/option_checks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "series/option_table.h"

namespace {

// Whether `name` is a kind of unit of the component's chain type: a residue name (any
// case) or a nucleotide letter.
bool is_unit_name(ChainKind kind, const std::string& name) {
  for (int i = 0; i < unit_count(kind); ++i) {
    const char* unit = unit_name(kind, i);
    if (name.size() == std::strlen(unit) && i != UNKNOWN_RESIDUE &&
        std::equal(name.begin(), name.end(), unit, [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == b;
        })) {
      return true;
    }
  }
  return false;
}

// The first item of `items` that an earlier one names again ("" when none); residue
// kinds in any case, chain names (which the models tell apart by case) exactly.
std::string repeated(const std::vector<std::string>& items, bool any_case = true) {
  for (size_t i = 0; i < items.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (any_case ? same_name(items[i], items[j]) : items[i] == items[j]) {
        return items[i];
      }
    }
  }
  return "";
}

// What a component is called in a message before it has a label.
std::string component_name(const ComponentSpec& c) {
  return !c.formula.empty() ? "--formula " + c.formula
         : c.mass_kda > 0.0 ? "--mass " + shortest_text(c.mass_kda)
                            : c.path;
}

bool any_structure(const SeriesOptions& options) {
  return std::any_of(options.components.begin(), options.components.end(), is_structure);
}

bool given(const SeriesOptions& options, const char* name) {
  return std::find(options.given.begin(), options.given.end(), name) != options.given.end();
}

// The checks that need every option, one concern each; "" when they pass.
Problem check_inputs(const SeriesOptions& options) {
  if (options.components.empty() && options.measured.empty()) {
    return {"file", "no component given; name at least one sequence file (see --help)"};
  }
  const auto stdin_inputs = std::count_if(options.components.begin(), options.components.end(),
                                          [](const ComponentSpec& c) { return c.path == "-"; });
  if (stdin_inputs > 1) {
    return {"file", "standard input (-) can be read only once"};
  }
  return {};
}

Problem check_records(const SeriesOptions& options) {
  if (!options.records) {
    return {};
  }
  if (!options.outputs.svg_path.empty() || !options.outputs.stuhrmann_path.empty()) {
    return {"--records",
            "--records makes one line per record, no series to plot or fit; leave out --svg "
            "and --stuhrmann"};
  }
  if (options.beamtime) {
    return {"--records",
            "--records makes one line per record, no series to time; leave out --beamtime and "
            "its settings"};
  }
  if (wants_curves(options)) {
    return {"--records",
            "--records makes one line per record, no curves; leave out --curves and --pr"};
  }
  return {};
}

Problem check_plots(const SeriesOptions& options) {
  if (given(options, "--plot-layout") && options.outputs.svg_path.empty()) {
    return {"--plot-layout", "--plot-layout lays out what --svg draws: give --svg FILE too"};
  }
  if (options.outputs.plot_given && options.outputs.svg_path.empty()) {
    return {"--plot", "--plot chooses what --svg draws: give --svg FILE too"};
  }
  if (options.outputs.plot == PlotKind::kForwardScattering && options.conc <= 0.0) {
    return {"--conc", "--plot i0 needs the sample's concentration: give --conc"};
  }
  if ((options.outputs.plot == PlotKind::kStuhrmann || !options.outputs.stuhrmann_path.empty()) &&
      !any_structure(options)) {
    return {options.outputs.plot == PlotKind::kStuhrmann ? "--plot" : "--stuhrmann",
            std::string(options.outputs.plot == PlotKind::kStuhrmann ? "--plot stuhrmann"
                                                                     : "--stuhrmann") +
                " needs a component read from a structure (.pdb, .cif...; or --code structure)"};
  }
  if (wants_curves(options) && !any_structure(options)) {
    return {"--curves",
            "predicted curves (--curves, --pr, --plot curves or pr) need a component read from "
            "a structure (.pdb, .cif...; or --code structure)"};
  }
  return {};
}

Problem check_solvent(const SeriesOptions& options) {
  double buffer_volume = 0.0;
  for (const BufferSolute& solute : options.buffer) {
    buffer_volume += solute.molar * AVOGADRO * 1e-27 * solute.volume;
  }
  if (buffer_volume > 0.9) {
    return {"--buffer",
            "the buffer's solutes would take " +
                std::to_string(static_cast<int>(buffer_volume * 100)) +
                " % of the volume; give concentrations that leave water to dissolve them"};
  }
  if (options.solvent == SolventModel::kConsole &&
      (options.temperature != 20.0 || options.d2o_purity != 100.0 || !options.buffer.empty())) {
    return {"--solvent",
            "--solvent console is the console calculator's fixed solvent: it takes no "
            "--temperature, --d2o-purity or --buffer"};
  }
  return {};
}

Problem check_beamtime(const SeriesOptions& options) {
  if (options.beamtime && options.conc <= 0.0) {
    return {"--conc",
            "counting times (--beamtime, --flux, --plot time...) need the sample's "
            "concentration: give --conc MG_PER_ML"};
  }
  return {};
}

Problem check_series(const SeriesOptions& options) {
  if (!options.d2o.empty() &&
      (given(options, "--from") || given(options, "--to") || given(options, "--step"))) {
    return {"--d2o", "--d2o lists the series' points; leave out --from, --to and --step"};
  }
  if (options.from > options.to) {
    return {"--from", "the D2O range runs backwards: --from must not exceed --to"};
  }
  if (d2o_point_count(options.from, options.to, options.step) > MAX_POINTS) {
    return {"--step", "the D2O range has more than " + std::to_string(MAX_POINTS) +
                          " points; use a larger --step"};
  }
  const std::vector<double> points = series_percentages(options);
  for (double shown : options.outputs.show_d2o) {
    if (std::none_of(points.begin(), points.end(),
                     [&](double point) { return std::fabs(point - shown) < 1e-6; })) {
      return {"--show-d2o", "--show-d2o " + shortest_text(shown) +
                                " is no point of the series; choose among --from, --to and --step"};
    }
  }
  return {};
}

// Settings that would change nothing in this run: the user meant something else.
Problem check_useless(const SeriesOptions& options) {
  const bool curves = wants_curves(options) || (options.beamtime && any_structure(options));
  if (given(options, "--shell-density") && !options.shell) {
    return {"--shell-density",
            "--shell-density sets the hydration shell that --no-shell leaves out; give one of "
            "them"};
  }
  for (const char* name : {"--q-log", "--q-points", "--q-max", "--units", "--no-shell",
                           "--shell-density", "--threads"}) {
    if (given(options, name) && !curves) {
      return {name,
              std::string(name) +
                  " sets the predicted curves, which this run does not compute; add --curves, "
                  "--pr or --plot curves, or leave it out"};
    }
  }
  const bool chooses = options.outputs.plot == PlotKind::kCurves ||
                       options.outputs.plot == PlotKind::kPr ||
                       options.outputs.plot == PlotKind::kSimulated;
  for (const char* name : {"--show-component", "--show-d2o"}) {
    if (given(options, name) && !chooses) {
      return {name, std::string(name) +
                        " chooses what a curves, pr or simulated plot draws; this run draws none "
                        "(give --plot curves, pr or simulated with --svg), so leave it out"};
    }
  }
  if (!options.ligand_formulas.empty() && !options.ligands) {
    return {"--ligand",
            "--ligand gives a ligand's formula for --ligands, which adds the ligands; add "
            "--ligands or leave --ligand out"};
  }
  if (options.records) {
    for (const char* name : {"--conc", "--d2o", "--from", "--to", "--step", "--xray"}) {
      if (given(options, name)) {
        return {name, "--records makes one line per record at 0 and 100 % D2O; leave out " +
                          std::string(name)};
      }
    }
  }
  return {};
}

// The simulation's settings, each of which needs what it refines.
Problem check_simulation(const SeriesOptions& options) {
  if (options.noise && !options.compute_simulation) {
    return {"--noise",
            "--noise draws the counts of simulated data, which this run does not write or plot; "
            "add --simulate DIR or --plot simulated, or leave it out"};
  }
  if (given(options, "--seed") && !options.noise) {
    return {"--seed", "--seed seeds the counts of --noise; add --noise or leave --seed out"};
  }
  if (given(options, "--target-high") && options.config_names.empty() &&
      !wants_simulation(options)) {
    return {"--target-high",
            "--target-high times the configurations above the low-q one; name them with "
            "--configs, or leave it out"};
  }
  if (!options.compare_path.empty() && !any_structure(options)) {
    return {"--compare",
            "--compare replaces the structure components by a second model; this run has none "
            "(name a .pdb or .cif file, or give --code structure)"};
  }
  return {};
}

// Measured curves: one a D2O point, and each concentration for one of them.
Problem check_measured(const SeriesOptions& options) {
  for (size_t i = 0; i < options.measured.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (options.measured[i].d2o == options.measured[j].d2o) {
        return {"--measured", "--measured gives two curves at " +
                                  shortest_text(options.measured[i].d2o) + " % D2O (" +
                                  options.measured[j].path + " and " + options.measured[i].path +
                                  "); give one a point, or average them first"};
      }
    }
  }
  for (const std::pair<double, double>& given : options.measured_conc) {
    const double d2o = given.first;
    const bool named = std::any_of(options.measured.begin(), options.measured.end(),
                                   [d2o](const MeasuredInput& m) { return m.d2o == d2o; });
    if (!named) {
      return {"--measured-conc", "--measured-conc gives a concentration at " + shortest_text(d2o) +
                                     " % D2O, where no --measured curve is"};
    }
  }
  if (options.outputs.plot == PlotKind::kFit && !options.fit_measured) {
    return {"--plot", "--plot fit draws the fit of --fit: give --fit too"};
  }
  const PlotKind kind = options.outputs.plot;
  if ((kind == PlotKind::kGuinier || kind == PlotKind::kMatch ||
       kind == PlotKind::kMeasuredStuhrmann) &&
      options.measured.empty()) {
    return {"--plot", "this plot draws measured curves: give them with --measured"};
  }
  if (kind == PlotKind::kMeasuredStuhrmann && options.components.empty()) {
    return {"--plot",
            "--plot measured-stuhrmann sets the measured radii against the predicted contrast: "
            "give the sample's components"};
  }
  if (options.fit_measured && (options.measured.empty() || !any_structure(options))) {
    return {"--fit",
            "--fit fits a model with coordinates (a .pdb or .cif file) to --measured "
            "curves; give both, or leave --fit out"};
  }
  if (!options.outputs.basis_path.empty() &&
      (options.measured.size() < 3 || options.components.size() != 2)) {
    return {"--basis",
            "--basis decomposes at least three --measured curves of a complex of two "
            "components; give them, or leave --basis out"};
  }
  if (options.records && !options.measured.empty()) {
    return {"--measured", "--records makes one line per record; leave out --measured"};
  }
  return {};
}

Problem check_buffer_once(const SeriesOptions& options) {
  for (size_t i = 0; i < options.buffer.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (same_name(options.buffer[i].name, options.buffer[j].name)) {
        return {"--buffer", "--buffer gives " + options.buffer[i].name + " twice (" +
                                options.buffer[j].concentration + " and " +
                                options.buffer[i].concentration +
                                "); give each solute once, at its whole concentration"};
      }
    }
  }
  return {};
}

// In this order, so that the first of several mistakes is the one named.
Problem (*const WHOLE_CHECKS[])(const SeriesOptions&) = {
    check_inputs, check_records,    check_plots,       check_solvent, check_beamtime,
    check_series, check_simulation, check_buffer_once, check_useless, check_measured};

}  // namespace

std::string shortest_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// Checks a component's options against what it is; "" when they fit.
Problem check_component(const ComponentSpec& c) {
  const std::string name = component_name(c);
  const bool formula = !c.formula.empty();
  if (!formula && (c.labile > 0.0 || c.volume > 0.0 || c.density > 0.0)) {
    return {c.labile > 0.0   ? "--labile"
            : c.volume > 0.0 ? "--volume"
                             : "--density",
            "--labile, --volume and --density describe a --formula component, not " + name};
  }
  if (c.volume > 0.0 && c.density > 0.0) {
    return {"--volume", name + ": --volume and --density both give its volume; give one"};
  }
  if (c.psv > 0.0 && (c.volume > 0.0 || c.density > 0.0)) {
    return {"--psv", name + ": --psv and --" + (c.volume > 0.0 ? "volume" : "density") +
                         " both give its volume; give one"};
  }
  if (formula && c.volume <= 0.0 && c.density <= 0.0 && c.psv <= 0.0) {
    return {"--volume", name + " needs its volume: give --volume, --density or --psv"};
  }
  if (!c.chains.empty() && !is_structure(c)) {
    return {
        "--chains",
        "--chains applies to structure files (.pdb, .cif...; or --code structure), not " + name};
  }
  if (c.assembly > 0 && !is_structure(c)) {
    return {"--assembly",
            "--assembly builds a structure file's assembly (.pdb, .cif...), not " + name};
  }
  if (c.mass_kda > 0.0 && c.kind != ChainKind::kProtein) {
    return {"--mass",
            "--mass gives a protein of average composition; DNA and RNA need their "
            "sequence"};
  }
  if (c.disulfides > 0 && (c.kind != ChainKind::kProtein || formula)) {
    return {"--disulfides", "--disulfides applies to protein components only, not " + name};
  }
  if (!repeated(c.chains, false).empty()) {
    return {"--chains", "--chains names chain " + repeated(c.chains, false) + " twice for " + name +
                            "; name each chain once"};
  }
  for (size_t i = 0; i < c.selective.size(); ++i) {
    for (size_t j = 0; j <= i; ++j) {
      std::vector<std::string> both = c.selective[j].kinds;
      if (j < i) {
        both.insert(both.end(), c.selective[i].kinds.begin(), c.selective[i].kinds.end());
      }
      const std::string kind = repeated(both);
      if (!kind.empty()) {
        return {"--deuterate", "--deuterate gives " + kind + " of " + name + " twice (" +
                                   shortest_text(c.selective[j].percent) + " and " +
                                   shortest_text(c.selective[i].percent) +
                                   " %); give each kind once"};
      }
    }
  }
  for (const SelectiveDeuteration& s : c.selective) {
    for (const std::string& kind : s.kinds) {
      if (formula || !is_unit_name(c.kind, kind)) {
        return {"--deuterate",
                "--deuterate: '" + kind + "' is no " +
                    (c.kind == ChainKind::kProtein ? "residue name (LEU, GLY...)"
                                                   : "nucleotide letter (A, C, G, T or U)") +
                    " of " + name};
      }
    }
  }
  if (c.path == "-" && c.input == InputKind::kStructure) {
    return {"file", "a structure cannot be read from standard input; name its file"};
  }
  return {};
}

// A formula's --volume implies a density; one outside what molecules have was given in
// another unit (nm^3, cm^3/mol) or belongs to another molecule.
Problem check_implied_density(const ComponentSpec& c) {
  const double density = unit_weighed_mass(c.formula_unit) / AVOGADRO / (c.volume * 1e-24);
  if (density >= MIN_DENSITY && density <= MAX_DENSITY) {
    return {};
  }
  return {"--volume",
          component_name(c) + ": --volume " + shortest_text(c.volume) + " A^3 makes its density " +
              shortest_text(density) +
              " g/cm^3, outside 0.5-3; give the volume of one molecule in cubic angstrom"};
}

Problem check_whole(const SeriesOptions& options) {
  for (const auto check : WHOLE_CHECKS) {
    Problem problem = check(options);
    if (!problem.message.empty()) {
      return problem;
    }
  }
  return {};
}
