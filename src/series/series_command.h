// quorvane-series as a whole: options in, reports and plot out.
#ifndef QUORVANE_SERIES_SERIES_COMMAND_H_
#define QUORVANE_SERIES_SERIES_COMMAND_H_

#include <cstdio>

// The whole program: returns the exit status (0 done, 1 a file could not be read or
// written, 2 bad usage). Reports go to `out`, warnings and errors to `err`.
int run_series(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

#endif  // QUORVANE_SERIES_SERIES_COMMAND_H_
