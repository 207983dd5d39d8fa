// The module _quorvane: a plan from Python's components and keywords through the
// library's typed entry, its figures back as numpy arrays, and a failed plan's error
// value worded in keywords for quorvane.PlanError.
#include <string>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "binding.h"
#include "measured/measured_reader.h"
#include "series/configurations.h"
#include "series/option_table.h"

namespace {

py::array_t<double> as_array(const std::vector<double>& values) {
  return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

std::string keyword_of_setting(const std::string& setting) {
  const OptionRow* row = setting.compare(0, 1, "-") == 0 ? find_row(setting) : nullptr;
  return row != nullptr ? keyword_of(*row) : setting;
}

// What went wrong, for the package to raise: the component is named by its label, its
// file or formula as the user gave it, else by its place.
py::dict error_dict(const PlanError& error, const py::list& components) {
  py::dict e;
  e["message"] = in_keywords(error.message);
  e["setting"] = keyword_of_setting(error.setting);
  e["value"] = error.value;
  e["expected"] = error.expected;
  e["usage"] = error.usage;
  py::object name = py::none();
  if (error.input >= 0 && static_cast<size_t>(error.input) < components.size()) {
    name = components[static_cast<size_t>(error.input)].attr("name");
  }
  e["component"] = name;
  return e;
}

// Plans `components` (quorvane.Component) with the run's `settings`, computing curves
// (and P(r)) and simulated measurements as `computed` asks: a dict of the figures, or
// {"error": ...} for a plan the library refused.
py::dict plan(const py::list& components, const py::dict& settings, const py::dict& computed) {
  SeriesOptions options;
  options.compute_curves = options.compute_pr = computed["curves"].cast<bool>();
  options.compute_simulation = computed["simulate"].cast<bool>();
  PlanError error;
  RunBuilder b{&options, &error, ComponentSpec(), "", {}, {}};
  bool ok = apply_keywords(&b, settings, false);
  for (size_t i = 0; ok && i < components.size(); ++i) {
    ok = end_python_component(&b, components[i], i);
  }
  ok = ok && finish_run(&b) && read_configurations(&options, &error);
  PlanResult planned;
  if (ok) {
    py::gil_scoped_release unlocked;
    ok = plan_series(options, nullptr, &planned, &error);
  }
  if (!ok) {
    py::dict failed;
    failed["error"] = error_dict(error, components);
    failed["warnings"] = py::cast(planned.warnings);
    return failed;
  }
  return result_dict(planned, options);
}

// Checks a component's keywords as plan() will, so that a mistake is raised where it
// was written: None, or the error.
py::object check_component(const py::dict& settings) {
  SeriesOptions options;
  PlanError error;
  RunBuilder b{&options, &error, ComponentSpec(), "", {}, {}};
  if (apply_keywords(&b, settings, true)) {
    return py::none();
  }
  return error_dict(error, py::list());
}

py::dict curve_dict(const MeasuredCurve& c) {
  py::dict d;
  d["q"] = as_array(c.q);
  d["I"] = as_array(c.intensity);
  d["dI"] = as_array(c.error);
  d["dq"] = as_array(c.resolution);
  d["title"] = c.title;
  d["format"] = c.format;
  d["unit"] = c.intensity_unit;
  d["thickness_mm"] = c.thickness_mm;
  py::list spectra;
  for (const TransmissionSpectrum& t : c.transmissions) {
    py::dict spectrum;
    spectrum["name"] = t.name;
    spectrum["wavelength"] = as_array(t.wavelength);
    spectrum["T"] = as_array(t.transmission);
    spectrum["dT"] = as_array(t.error);
    spectra.append(spectrum);
  }
  d["transmissions"] = spectra;
  return d;
}

// The curves of a measured file, each a dict, or {"error": ...}.
py::object read_measured_curves(const py::object& path) {
  const std::string name = py::str(py::module_::import("os").attr("fspath")(path));
  std::vector<MeasuredCurve> curves;
  std::string problem;
  if (!read_measured_file(name, &curves, &problem)) {
    PlanError error = plan_error(-1, "file", problem);
    error.value = name;
    return error_dict(error, py::list());
  }
  py::list found;
  for (const MeasuredCurve& c : curves) {
    found.append(curve_dict(c));
  }
  return std::move(found);
}

}  // namespace

PYBIND11_MODULE(_quorvane, m) {
  m.doc() = "The planner of quorvane-series, in process.";
  m.def("plan", &plan, py::arg("components"), py::arg("settings"), py::arg("computed"),
        "Plans the components with the run's settings; the figures, or the error.");
  m.def("check_component", &check_component, py::arg("settings"),
        "Checks a component's keywords; None, or the error.");
  m.def("read_measured", &read_measured_curves, py::arg("path"),
        "The curves of a reduced 1D file, each a dict; or the error.");
  m.def("in_keywords", &in_keywords, py::arg("message"),
        "A message of the command line in the module's keywords.");
  m.attr("__version__") = QUORVANE_VERSION;
}
