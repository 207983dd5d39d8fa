// quorvane-series: the contrast-variation planner's command line.
#include <csignal>
#include <cstdio>

#include "series/series_command.h"

int main(int argc, char** argv) {
#if defined(SIGPIPE)
  // A closed pipe is a failed write, reported and ending in status 1, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  return run_series(argc, argv, Streams{stdin, stdout, stderr, nullptr});
}
