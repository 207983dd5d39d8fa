// Every file either program writes goes through here, and this is where it is decided
// how: a plain file is replaced only once the new one is complete; what is not ours to
// replace (a link, a pipe, a device) is written through and left as it is.
#ifndef QUORVANE_IO_OUTPUT_FILE_H_
#define QUORVANE_IO_OUTPUT_FILE_H_

#include <cstdio>
#include <functional>
#include <string>

enum class OutputKind {
  kStandardOutput,  // "-": the caller's standard output stream
  kReplace,         // a plain file or a new name: written beside it, then renamed over it
  kWriteThrough,    // a FIFO, a device, anything under /dev or /proc: opened and written
};

struct OutputPath {
  std::string path;    // as the user gave it
  std::string target;  // where the bytes go: `path`, or the final target of a link
  OutputKind kind;
};

enum class OutputCheck {
  kOk,
  kDirectory,  // a directory, which no file can replace
  kLinkLoop,   // a chain of symbolic links that never ends
};

// Decides how `path` is written. A symbolic link stays a link: a plain file (or no
// file) at the end of its chain is replaced there, anything else is written through.
// Touches nothing.
OutputCheck resolve_output(const std::string& path, OutputPath* out);

// True when `a` and `b` name the same file however spelt: the same device and inode
// when both exist (links followed), else the same resolved path. "-" is only "-".
bool same_file(const std::string& a, const std::string& b);

// An output being written.
struct Output {
  std::FILE* file;
  OutputPath where;
  std::string temporary;  // kReplace: the file written first
};

// Opens `where` for writing in `mode` ("w" text, "wb" bytes); `standard_output` is the
// stream "-" stands for. Returns false when it cannot be opened; nothing is left.
bool open_output(const OutputPath& where, const char* mode, std::FILE* standard_output,
                 Output* out);

// Ends the output: flushes (standard output is only flushed, never closed), and for a
// replaced file renames the complete file over the target, keeping its permissions.
// Returns false when `written` is false or any write, flush, close or rename failed;
// then a temporary file is removed and the earlier target is untouched.
bool close_output(Output* out, bool written);

// The two halves of close_output, for a run with several outputs that must all be
// complete before any replaces its target. finish_output flushes and closes; a replaced
// file's temporary stays, for commit_output to rename over the target or for
// discard_output to remove. finish_output returns false as close_output does (having
// removed the temporary); commit_output returns false when the rename failed (the
// temporary is then removed and the target untouched).
bool finish_output(Output* out, bool written);
bool commit_output(Output* out);
void discard_output(Output* out);

// Whether the folder that will hold `where` exists and can take a new file; "" when it
// can, else why not (for a message after the path). Standard output and written-through
// files need no folder of their own.
std::string output_folder_problem(const OutputPath& where);

// What `write` writes to a stream, as text, for a caller that wants in memory what a
// writer of files says (the page, Python); empty where no temporary stream can be had.
std::string written_text(const std::function<void(std::FILE*)>& write);

#endif  // QUORVANE_IO_OUTPUT_FILE_H_
