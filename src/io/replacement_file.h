// Writing a file so that it replaces its earlier version only once complete: a failed
// or interrupted write never leaves a cut file nor destroys the earlier one.
#ifndef QUORVANE_IO_REPLACEMENT_FILE_H_
#define QUORVANE_IO_REPLACEMENT_FILE_H_

#include <cstdio>
#include <string>

// The temporary file beside `path` that the new contents go to first.
std::string replacement_name(const std::string& path);

// Opens replacement_name(path) for writing in `mode` ("w" or "wb"). Returns null when
// it cannot be opened, and also when `path` is a directory, which no file can
// replace: that is a file that cannot be opened, not a write that fails later.
std::FILE* open_replacement(const std::string& path, const char* mode);

// Closes `file`, opened by open_replacement(path), and renames it over `path` when
// `written` is true and the close succeeded (the rename replaces an existing file on
// Linux and on Windows). Otherwise, or when the rename fails, removes the temporary
// file and returns false; `path` is untouched.
bool finish_replacement(std::FILE* file, bool written, const std::string& path);

#endif  // QUORVANE_IO_REPLACEMENT_FILE_H_
