// The program's whole conversation with the user, from the deuteration question to
// the closing prompt.
#ifndef QUORVANE_DIALOGUE_DIALOGUE_H_
#define QUORVANE_DIALOGUE_DIALOGUE_H_

#include <string>

#include "dialogue/console.h"
#include "sample/sample_settings.h"

// The program itself: with no argument, the dialogue (run_dialogue); with --help or
// --version, that text on console->out and status 0; anything else is a usage error
// on console->err, status 2.
int run_quorvane(int argc, const char* const* argv, Console* console);

// Runs one calculation and returns the process exit status: 0 after the closing
// prompt (also when the keyboard input ends there, as everything is written by then);
// 1 when a file cannot be opened or written, the residue file is refused, the keyboard
// input ends earlier, or the console output cannot be written. Reads the answers from
// console->in and writes the conversation to console->out; warnings and the reason of
// a run that ends early go to console->err.
int run_dialogue(Console* console);

// Leads the user to the residue file and fills directory, base_name and input_path.
// A typed directory is used as typed, so it must end in its own separator. Answers
// too long for their field are refused with a message and asked again. Returns false
// when the keyboard input ends first.
bool ask_input_file(Console* console, FileNames* names);

// Reports the opening of `name` in `mode` ("r" or "w"). Returns false after the
// open-failed message when the file did not open: the caller ends the run with
// status 1.
bool report_open(Console* console, const char* mode, const char* name, bool opened);

// Shows the closing prompt until y or Y is typed. Returns false when the keyboard
// input ends first.
bool confirm_end(Console* console);

#endif  // QUORVANE_DIALOGUE_DIALOGUE_H_
