// The streams of one conversation with the user. `main` fills it from the standard
// streams; tests fill it from temporary files, so a whole run can be driven in-process.
#ifndef QUORVANE_DIALOGUE_CONSOLE_H_
#define QUORVANE_DIALOGUE_CONSOLE_H_

#include <cstdio>

struct Console {
  std::FILE* in;   // the keyboard
  std::FILE* out;  // questions, per-residue lines and the summary
  std::FILE* err;  // why a run ended before its result was complete
};

#endif  // QUORVANE_DIALOGUE_CONSOLE_H_
