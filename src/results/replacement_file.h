// Writing a file so that it replaces its earlier version only once complete: a failed
// or interrupted write never leaves a cut file nor destroys the earlier one.
#ifndef QUORVANE_RESULTS_REPLACEMENT_FILE_H_
#define QUORVANE_RESULTS_REPLACEMENT_FILE_H_

#include <cstdio>
#include <string>

// The temporary file beside `path` that the new contents go to first.
std::string replacement_name(const std::string& path);

// Closes `file`, a stream on replacement_name(path) that the caller opened and wrote,
// and renames it over `path` when `written` is true and the close succeeded (the
// rename replaces an existing file on Linux and on Windows). Otherwise, or when the
// rename fails, removes the temporary file and returns false; `path` is untouched.
bool finish_replacement(std::FILE* file, bool written, const std::string& path);

#endif  // QUORVANE_RESULTS_REPLACEMENT_FILE_H_
