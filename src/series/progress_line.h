// How far a long run has come, as standard error shows it: nothing for a run that will
// be over in a moment, then on a terminal one line rewritten in place, elsewhere a line
// at every tenth. The text alone: `main` times the run and writes it.
#ifndef QUORVANE_SERIES_PROGRESS_LINE_H_
#define QUORVANE_SERIES_PROGRESS_LINE_H_

#include <string>

struct ProgressLine {
  bool terminal = false;
  std::string stage;  // the stage last shown
  int percent = -1;   // its percentage last shown; -1 before anything is
};

// What to write when `stage` has come to `fraction` after `elapsed` seconds of the run:
// nothing until a second has passed and the run looks to take more than two.
std::string progress_text(ProgressLine* line, const char* stage, double fraction, double elapsed);

#endif  // QUORVANE_SERIES_PROGRESS_LINE_H_
