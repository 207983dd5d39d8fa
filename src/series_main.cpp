// quorvane-series: the contrast-variation planner's command line.
#include <chrono>
#include <csignal>
#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#define QUORVANE_ISATTY _isatty
#define QUORVANE_FILENO _fileno
#else
#include <unistd.h>
#define QUORVANE_ISATTY isatty
#define QUORVANE_FILENO fileno
#endif

#include "series/progress_line.h"
#include "series/series_command.h"

namespace {

const auto started = std::chrono::steady_clock::now();
ProgressLine progress;

void show_progress(const char* stage, double fraction) {
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string text = progress_text(&progress, stage, fraction, elapsed);
  if (!text.empty()) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
  }
}

}  // namespace

int main(int argc, char** argv) {
#if defined(SIGPIPE)
  // A closed pipe is a failed write, reported and ending in status 1, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  progress.terminal = QUORVANE_ISATTY(QUORVANE_FILENO(stderr)) != 0;
  return run_series(argc, argv, Streams{stdin, stdout, stderr, show_progress, progress.terminal});
}
