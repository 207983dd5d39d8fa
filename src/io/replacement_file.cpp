#include "io/replacement_file.h"

#include <filesystem>
#include <system_error>

std::string replacement_name(const std::string& path) {
  return path + ".part";
}

std::FILE* open_replacement(const std::string& path, const char* mode) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    return nullptr;
  }
  return std::fopen(replacement_name(path).c_str(), mode);
}

bool finish_replacement(std::FILE* file, bool written, const std::string& path) {
  // fclose flushes the last buffer, so its failure is a failed write too.
  written = std::fclose(file) == 0 && written;
  const std::string temporary = replacement_name(path);
  std::error_code error;
  if (written) {
    std::filesystem::rename(temporary, path, error);
  }
  if (!written || error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}
