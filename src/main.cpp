// quorvane: the interactive console calculator. Reads no command line.
#include <cstdio>

#include "dialogue/console.h"
#include "dialogue/dialogue.h"

int main() {
  // Fully buffered: a long sequence prints a line per residue, and the dialogue
  // flushes before every question anyway.
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  Console console{stdin, stdout, stderr};
  const int status = run_dialogue(&console);
  std::fflush(stdout);
  return status;
}
