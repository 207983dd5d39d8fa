// A plan's figures as Python values: numpy arrays copied from the library's vectors,
// every number as computed, and the text the command would write beside them.
#include "binding.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "plan/component_figures.h"
#include "plan/curves.h"
#include "report/report_columns.h"
#include "report/series_report.h"

namespace {

constexpr double NONE = std::numeric_limits<double>::quiet_NaN();

py::array_t<double> array(const std::vector<double>& values) {
  return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

// The series' columns by their CSV names: numbers as arrays (NaN where there is none,
// and then the reason in `reasons`), the labels as a list of str.
void series_columns(const PlanResult& p, const SeriesOptions& options, py::dict* columns,
                    py::dict* reasons) {
  const ReportScope scope = report_scope(p.lines, options);
  for (const ShownColumn& shown : report_columns(scope)) {
    std::vector<double> values;
    std::vector<std::string> why;
    bool missing = false;
    for (const SeriesLine& line : p.lines) {
      const Component* component =
          line.is_complex ? nullptr : &p.components[static_cast<size_t>(line.component)];
      for (size_t i = 0; i < line.points.size(); ++i) {
        std::string reason;
        values.push_back(column_value(shown, {&line, component, i, 0}, scope, &reason));
        missing = missing || !reason.empty();
        why.push_back(reason);
      }
    }
    const std::string name = column_name(shown, scope);
    if (column_is_text(shown)) {
      (*columns)[name.c_str()] = py::cast(why);
    } else {
      (*columns)[name.c_str()] = array(values);
      if (missing) {
        (*reasons)[name.c_str()] = py::cast(why);
      }
    }
  }
}

// The curves (or P(r)) of every line and point as long columns: component, d2o_percent,
// the abscissa and the value, as the command's CSV has them.
py::object long_table(const PlanResult& p, const std::vector<double>& d2o, bool pr,
                      const std::vector<double>& q) {
  std::vector<std::string> component;
  std::vector<double> percent, x, y;
  for (const SeriesLine& line : p.lines) {
    const auto& table = pr ? line.curves.pr : line.curves.intensity;
    for (size_t i = 0; i < table.size(); ++i) {
      const size_t n = pr ? table[i].size() : q.size();
      for (size_t k = 0; k < n; ++k) {
        component.push_back(line.label);
        percent.push_back(d2o[i]);
        x.push_back(pr ? (static_cast<double>(k) + 0.5) * PR_STEP : q[k]);
        y.push_back(table[i][k]);
      }
    }
  }
  if (component.empty()) {
    return py::none();
  }
  py::dict columns;
  columns["component"] = py::cast(component);
  columns["d2o_percent"] = array(percent);
  columns[pr ? "r_A" : "q_per_A"] = array(x);
  columns[pr ? "p_r" : "i_per_cm"] = array(y);
  return std::move(columns);
}

py::object stuhrmann(const PlanResult& p) {
  std::vector<std::string> component;
  std::vector<double> rm, alpha, beta, residual, used, points;
  for (const SeriesLine& line : p.lines) {
    if (line.gyration.empty()) {
      continue;
    }
    const StuhrmannFit& f = line.stuhrmann;
    component.push_back(line.label);
    rm.push_back(f.fitted ? std::copysign(std::sqrt(std::fabs(f.rm2)), f.rm2) : NONE);
    alpha.push_back(f.fitted ? f.alpha : NONE);
    beta.push_back(f.fitted ? f.beta : NONE);
    residual.push_back(f.fitted ? f.residual : NONE);
    used.push_back(f.points);
    points.push_back(static_cast<double>(line.points.size()));
  }
  if (component.empty()) {
    return py::none();
  }
  py::dict columns;
  columns["component"] = py::cast(component);
  columns["rm_A"] = array(rm);
  columns["alpha_fm_per_A"] = array(alpha);
  columns["beta_fm2_per_A4"] = array(beta);
  columns["residual_A2"] = array(residual);
  columns["points_used"] = array(used);
  columns["points"] = array(points);
  return std::move(columns);
}

// {(label, d2o percent as given, configuration): {"q", "I", "dI", "dq", "time"}}.
py::object simulated(const PlanResult& p, const SeriesOptions& options,
                     const std::vector<double>& d2o) {
  if (!wants_simulation(options)) {
    return py::none();
  }
  py::dict curves;
  for (const SeriesLine& line : p.lines) {
    for (size_t i = 0; i < line.simulation.points.size(); ++i) {
      for (const SimulatedSegment& s : line.simulation.points[i].segments) {
        std::vector<double> q, intensity, error, resolution;
        for (const SimulatedPoint& d : s.data) {
          q.push_back(d.q);
          intensity.push_back(d.intensity);
          error.push_back(d.error);
          resolution.push_back(d.resolution);
        }
        py::dict curve;
        curve["q"] = array(q);
        curve["I"] = array(intensity);
        curve["dI"] = array(error);
        curve["dq"] = array(resolution);
        curve["time"] = s.time;
        curves[py::make_tuple(line.label, d2o[i], options.configurations[s.config].name)] = curve;
      }
    }
  }
  return std::move(curves);
}

py::object records(const PlanResult& p, const SeriesOptions& options) {
  if (!options.records) {
    return py::none();
  }
  const double scale = options.sld_unit == SldUnit::kPerSquareAngstrom ? 10.0 : 1.0;
  const std::string suffix =
      options.sld_unit == SldUnit::kPerSquareAngstrom ? "_1e-6_per_A2" : "_fm_per_A3";
  std::vector<std::string> label, error;
  std::vector<double> residues, mass, volume, h2o, d2o, match, low, high;
  for (const Component& c : p.components) {
    label.push_back(c.spec.label);
    error.push_back(c.error);
    residues.push_back(static_cast<double>(c.composition.residues));
    const bool planned = c.error.empty();
    const RecordFigures f = planned ? record_figures(c, options, p.solvent) : RecordFigures{};
    mass.push_back(planned ? f.mass : NONE);
    volume.push_back(planned ? f.volume : NONE);
    h2o.push_back(planned ? f.sld_h2o * scale : NONE);
    d2o.push_back(planned ? f.sld_d2o * scale : NONE);
    match.push_back(f.has_match ? f.match : NONE);
    low.push_back(f.has_range ? f.low : NONE);
    high.push_back(f.has_range ? f.high : NONE);
  }
  py::dict columns;
  columns["record"] = py::cast(label);
  columns["residues"] = array(residues);
  columns["mw_g_per_mol"] = array(mass);
  columns["volume_A3"] = array(volume);
  columns[("sld_h2o" + suffix).c_str()] = array(h2o);
  columns[("sld_d2o" + suffix).c_str()] = array(d2o);
  columns["match_point_percent"] = array(match);
  columns["match_point_low_percent"] = array(low);
  columns["match_point_high_percent"] = array(high);
  columns["error"] = py::cast(error);
  return std::move(columns);
}

}  // namespace

py::dict result_dict(const PlanResult& p, const SeriesOptions& options) {
  py::dict r;
  const std::vector<double> d2o = series_percentages(options);
  r["report"] = report_text(p, options);
  if (options.records) {
    r["series_csv"] = py::none();
    r["series"] = py::none();
    r["reasons"] = py::dict();
  } else {
    r["series_csv"] = csv_report(p.components, p.lines, options);
    py::dict columns, reasons;
    series_columns(p, options, &columns, &reasons);
    r["series"] = columns;
    r["reasons"] = reasons;
  }
  const std::vector<double> q = q_grid(options);
  r["curves"] = options.compute_curves ? long_table(p, d2o, false, q) : py::none();
  r["pr"] = options.compute_pr ? long_table(p, d2o, true, q) : py::none();
  r["stuhrmann"] = stuhrmann(p);
  r["simulated"] = simulated(p, options, d2o);
  r["records"] = records(p, options);
  py::dict match_points;
  for (const SeriesLine& line : p.lines) {
    match_points[line.label.c_str()] =
        line.has_match
            ? py::object(py::make_tuple(line.match_percent, line.has_range ? line.match_low : NONE,
                                        line.has_range ? line.match_high : NONE))
            : py::object(py::none());
  }
  r["match_points"] = match_points;
  std::vector<std::string> notes;
  for (const Component& c : p.components) {
    for (const std::string& note : component_notes(c)) {
      notes.push_back(c.spec.label + ": " + note);
    }
  }
  r["notes"] = py::cast(notes);
  py::dict guinier;
  for (const MeasuredPoint& m : p.measured) {
    const MeasuredGuinier& g = m.guinier;
    py::object fit = py::none();
    if (g.fitted) {
      py::dict d;
      d["rg"] = g.rg;
      d["rg_error"] = g.rg_error;
      d["i0"] = g.i0;
      d["i0_error"] = g.i0_error;
      d["q_min"] = g.q_min;
      d["q_max"] = g.q_max;
      d["points"] = g.last - g.first + 1;
      d["chi2"] = g.chi2;
      // The prediction's I(0)/c beside the data's: their ratio means copies only on the
      // absolute scale, which `unit` says.
      d["conc"] = m.conc;
      d["unit"] = m.curve.intensity_unit;
      d["predicted_i0_per_c"] = m.predicted_i0_per_conc;
      fit = d;
    }
    guinier[py::float_(m.input.d2o)] = fit;
  }
  r["guinier"] = guinier;
  if (p.fit.fitted) {
    py::dict fit, contrasts;
    fit["line"] = p.fit.line;
    fit["shell_density"] = p.fit.shell_density;
    fit["chi2"] = p.fit.chi2;
    for (const ContrastFit& c : p.fit.contrasts) {
      py::dict one;
      one["scale"] = c.scale;
      one["scale_fixed"] = c.scale_fixed;
      one["free_scale"] = c.free_scale;
      one["background"] = c.background;
      one["chi2"] = c.chi2;
      one["model"] = array(c.model);
      contrasts[py::float_(c.d2o)] = one;
    }
    fit["contrasts"] = contrasts;
    r["fit"] = fit;
  } else {
    r["fit"] = py::none();
  }
  if (p.basis.solved) {
    py::dict basis;
    basis["q"] = array(p.basis.q);
    basis["I11"] = array(p.basis.i11);
    basis["I12"] = array(p.basis.i12);
    basis["I22"] = array(p.basis.i22);
    basis["dI11"] = array(p.basis.e11);
    basis["dI12"] = array(p.basis.e12);
    basis["dI22"] = array(p.basis.e22);
    r["basis"] = basis;
  } else {
    r["basis"] = py::none();
  }
  r["measured_match_point"] =
      p.measured_match.found
          ? py::object(py::make_tuple(p.measured_match.percent, p.measured_match.error))
          : py::object(py::none());
  r["warnings"] = py::cast(p.warnings);
  return r;
}
