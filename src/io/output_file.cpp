#include "io/output_file.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int MAX_LINKS = 40;  // as the kernel allows in one path

// Names the system gives to its own files: /dev/stdout, /proc/self/fd/1, or Windows'
// NUL and CON. They may point at a terminal, a pipe or the file the shell opened for
// standard output, which a rename would take away from under it.
bool is_system_path(const fs::path& path) {
#if defined(_WIN32)
  std::string stem;
  for (char c : path.stem().string()) {
    stem += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return stem == "NUL" || stem == "CON";
#else
  const fs::path absolute = path.is_absolute() ? path : fs::current_path() / path;
  const std::string text = absolute.lexically_normal().string();
  return text.rfind("/dev/", 0) == 0 || text.rfind("/proc/", 0) == 0;
#endif
}

// Follows a chain of symbolic links to the path at its end; false for a loop.
bool follow_links(const fs::path& path, fs::path* end) {
  fs::path current = path;
  for (int hop = 0; hop < MAX_LINKS; ++hop) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error))) {
      *end = current;
      return true;
    }
    const fs::path next = fs::read_symlink(current, error);
    if (error) {
      return false;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return false;
}

// A name beside `target` that nothing holds yet, for the new contents.
std::string free_temporary_name(const std::string& target) {
  std::string name = target + ".part";
  for (int n = 1; n < 1000; ++n) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(name, error))) {
      return name;
    }
    name = target + ".part" + std::to_string(n);
  }
  return name;
}

}  // namespace

OutputCheck resolve_output(const std::string& path, OutputPath* out) {
  out->path = path;
  out->target = path;
  if (path == "-") {
    out->kind = OutputKind::kStandardOutput;
    return OutputCheck::kOk;
  }
  fs::path end;
  if (!follow_links(path, &end)) {
    return OutputCheck::kLinkLoop;
  }
  std::error_code error;
  const fs::file_status status = fs::status(end, error);
  if (fs::is_directory(status)) {
    return OutputCheck::kDirectory;
  }
  if (is_system_path(path) || is_system_path(end) ||
      (fs::exists(status) && !fs::is_regular_file(status))) {
    out->kind = OutputKind::kWriteThrough;
    return OutputCheck::kOk;
  }
  out->kind = OutputKind::kReplace;
  out->target = end.string();
  return OutputCheck::kOk;
}

bool same_file(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") {
    return a == b;
  }
  std::error_code error;
  const bool same = fs::equivalent(a, b, error);
  if (!error) {
    return same;
  }
  fs::path end_a, end_b;
  if (!follow_links(a, &end_a) || !follow_links(b, &end_b)) {
    return false;
  }
  const fs::path full_a = fs::weakly_canonical(fs::absolute(end_a, error), error);
  const fs::path full_b = fs::weakly_canonical(fs::absolute(end_b, error), error);
  return full_a.lexically_normal() == full_b.lexically_normal();
}

bool open_output(const OutputPath& where, const char* mode, std::FILE* standard_output,
                 Output* out) {
  out->where = where;
  out->temporary.clear();
  switch (where.kind) {
    case OutputKind::kStandardOutput:
      out->file = standard_output;
      break;
    case OutputKind::kWriteThrough:
      out->file = std::fopen(where.path.c_str(), mode);
      break;
    case OutputKind::kReplace:
      out->temporary = free_temporary_name(where.target);
      out->file = std::fopen(out->temporary.c_str(), mode);
      break;
  }
  return out->file != nullptr;
}

bool finish_output(Output* out, bool written) {
  std::FILE* file = out->file;
  out->file = nullptr;
  if (out->where.kind == OutputKind::kStandardOutput) {
    return std::fflush(file) == 0 && !std::ferror(file) && written;
  }
  // fclose flushes the last buffer, so its failure is a failed write too.
  const bool stream_ok = !std::ferror(file);
  written = std::fclose(file) == 0 && stream_ok && written;
  if (!written) {
    discard_output(out);
  }
  return written;
}

bool commit_output(Output* out) {
  if (out->where.kind != OutputKind::kReplace || out->temporary.empty()) {
    return true;
  }
  // A replaced file keeps who may read it; a failure here costs nothing else.
  std::error_code ignored;
  const fs::file_status earlier = fs::status(out->where.target, ignored);
  if (fs::exists(earlier)) {
    fs::permissions(out->temporary, earlier.permissions(), ignored);
  }
  std::error_code error;
  fs::rename(out->temporary, out->where.target, error);
  if (error) {
    discard_output(out);
    return false;
  }
  out->temporary.clear();
  return true;
}

void discard_output(Output* out) {
  if (out->file != nullptr && out->where.kind != OutputKind::kStandardOutput) {
    std::fclose(out->file);
  }
  out->file = nullptr;
  if (!out->temporary.empty()) {
    std::error_code ignored;
    fs::remove(out->temporary, ignored);
    out->temporary.clear();
  }
}

bool close_output(Output* out, bool written) {
  return finish_output(out, written) && commit_output(out);
}

std::string output_folder_problem(const OutputPath& where) {
  if (where.kind != OutputKind::kReplace) {
    return "";
  }
  fs::path folder = fs::path(where.target).parent_path();
  if (folder.empty()) {
    folder = ".";
  }
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (!fs::exists(status)) {
    return "its folder " + folder.string() + " does not exist; create it or name another";
  }
  if (!fs::is_directory(status)) {
    return folder.string() + " is not a folder; name a file in a folder";
  }
#if !defined(_WIN32)
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    return "its folder " + folder.string() + " cannot be written; name a file in another folder";
  }
#endif
  return "";
}

std::string written_text(const std::function<void(std::FILE*)>& write) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) {
    return "";
  }
  write(file);
  std::string text;
  std::rewind(file);
  char buffer[1 << 14];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
  }
  std::fclose(file);
  return text;
}
