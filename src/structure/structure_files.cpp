// What names a structure file, in every build, with or without a structure reader.
#include <cctype>
#include <string>

#include "structure/structure_reader.h"

bool is_structure_path(const std::string& path) {
  std::string name;
  for (char c : path) {
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  const auto ends_with = [&](const std::string& tail) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (ends_with(".gz")) {
    name.erase(name.size() - 3);
  }
  return ends_with(".pdb") || ends_with(".ent") || ends_with(".cif") || ends_with(".mmcif");
}
