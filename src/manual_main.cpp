// quorvane-manual: writes a manual page, quorvane(1) or quorvane-series(1), from the
// texts and the option table that the program's --help shows; run at build time, so
// that the pages cannot drift from the programs.
#include <cstdio>
#include <cstring>
#include <string>

#include "sample/console_help.h"
#include "series/series_options.h"

int main(int argc, char** argv) {
  if (argc != 3 ||
      (std::strcmp(argv[1], "quorvane") != 0 && std::strcmp(argv[1], "quorvane-series") != 0)) {
    std::fputs("usage: quorvane-manual quorvane|quorvane-series FILE\n", stderr);
    return 2;
  }
  const std::string page = std::strcmp(argv[1], "quorvane") == 0 ? quorvane_manual(QUORVANE_VERSION)
                                                                 : series_manual(QUORVANE_VERSION);
  std::FILE* file = std::fopen(argv[2], "wb");
  const bool written = file != nullptr &&
                       std::fwrite(page.data(), 1, page.size(), file) == page.size() &&
                       std::fclose(file) == 0;
  if (!written) {
    std::fprintf(stderr, "quorvane-manual: %s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
