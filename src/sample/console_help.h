// The console program's command-line texts: its --help and its manual page, made from
// one description, one list of options and one list of exit statuses so that they
// cannot drift apart.
#ifndef QUORVANE_SAMPLE_CONSOLE_HELP_H_
#define QUORVANE_SAMPLE_CONSOLE_HELP_H_

#include <string>

// What --help prints.
std::string console_usage();

// The manual page quorvane(1), in roff's man macros, made from the texts --help shows.
std::string quorvane_manual(const char* version);

#endif  // QUORVANE_SAMPLE_CONSOLE_HELP_H_
