// quorvane: the interactive console calculator.
#include <csignal>
#include <cstdio>

#include "dialogue/console.h"
#include "dialogue/dialogue.h"

int main(int argc, char** argv) {
#if defined(SIGPIPE)
  // A closed pipe is a failed write, reported and ending in status 1, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  // Fully buffered: a long sequence prints a line per residue, and the dialogue
  // flushes before every question anyway.
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  Console console{stdin, stdout, stderr};
  return run_quorvane(argc, argv, &console);
}
