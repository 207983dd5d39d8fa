// The Python module's one way into the planner: a command line of the planner's own
// option names, run as the command runs it; its report, its warnings and, when it
// fails, its error value come back to Python, which raises the error (quorvane.PlanError).
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "series/series_command.h"

namespace py = pybind11;

namespace {

std::string read_back(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[1 << 14];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
  }
  std::fclose(file);
  return text;
}

// Runs the planner on `args` (without the program's name). Returns the exit status,
// standard output and error, and the error value of a failed run.
py::dict run(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"quorvane-series"};
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
  }
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) {
    throw std::runtime_error("quorvane: no temporary file for the planner's output");
  }
  PlanError error;
  int status = 0;
  {
    py::gil_scoped_release unlocked;
    status = run_series(static_cast<int>(argv.size()), argv.data(),
                        Streams{nullptr, out, err, nullptr}, &error);
  }
  py::dict result;
  result["status"] = status;
  result["out"] = py::bytes(read_back(out));
  result["err"] = py::bytes(read_back(err));
  result["input"] = error.input;
  result["setting"] = error.setting;
  result["value"] = error.value;
  result["expected"] = error.expected;
  result["message"] = error.message;
  result["usage"] = error.usage;
  return result;
}

}  // namespace

PYBIND11_MODULE(_quorvane, m) {
  m.doc() = "The planner of quorvane-series, run in process.";
  m.def("run", &run, py::arg("args"),
        "Runs the planner on a command line of its options; returns status, out, err and "
        "the error value of a failed run.");
  m.attr("__version__") = QUORVANE_VERSION;
}
