// The Python module's areas: keywords into a run (components.cpp), a plan's figures
// into numpy arrays (results.cpp), and the module that joins them (module.cpp). Each
// converts and checks what crosses the border and leaves the science to the library.
#ifndef QUORVANE_PYTHON_BINDING_H_
#define QUORVANE_PYTHON_BINDING_H_

#include <pybind11/pybind11.h>

#include "plan/plan_series.h"
#include "series/series_options.h"

namespace py = pybind11;

// Applies the keywords of `settings` to the run (`of_component` false) or to b->next,
// each checked for its type first (a flag takes a bool, a number any real number, a
// list a sequence, a path a str or os.PathLike) and then by the option table. Raises
// TypeError for a keyword that is no setting or a value of the wrong type; returns false
// with b->error for a value the table refuses.
bool apply_keywords(RunBuilder* b, const py::dict& settings, bool of_component);

// Ends b->next with the source of a quorvane.Component: a file, a text (named by its
// label, else component_N) or a formula.
bool end_python_component(RunBuilder* b, const py::handle& component, size_t place);

// The plan's figures for Python: the report and the series CSV as the command writes
// them, the series' columns as numpy arrays (with the reasons where a figure is missing),
// curves, P(r), Stuhrmann fits, simulated measurements, match points, records, notes
// and warnings, every number unrounded.
py::dict result_dict(const PlanResult& planned, const SeriesOptions& options);

#endif  // QUORVANE_PYTHON_BINDING_H_
