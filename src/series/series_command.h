// quorvane-series as a whole: options in, reports and plots out.
#ifndef QUORVANE_SERIES_SERIES_COMMAND_H_
#define QUORVANE_SERIES_SERIES_COMMAND_H_

#include <cstdio>

#include "plan/plan_error.h"

// The streams a run talks through: `main` gives the standard ones, tests and the web
// page their own.
struct Streams {
  std::FILE* in;   // read for a FILE of "-"
  std::FILE* out;  // the report, and any output named "-"
  std::FILE* err;  // warnings and the reason a run failed
  // Hears how far a long run has come, and in what stage; may be null.
  void (*progress)(const char* stage, double fraction);
  bool err_is_terminal = false;  // a run then shows progress unless told --quiet
};

// The whole program: returns the exit status (0 done, 1 a file could not be read or
// written, or a record could not be planned; 2 bad usage). When `error` is not null
// it receives the error that ended the run, for a caller that places it (the page).
int run_series(int argc, const char* const* argv, const Streams& streams,
               PlanError* error = nullptr);

#endif  // QUORVANE_SERIES_SERIES_COMMAND_H_
