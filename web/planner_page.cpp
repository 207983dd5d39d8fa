// The planner behind the web page. The page writes its sequences into the module's
// file system and calls run_page with the command line it built, one argument a line;
// the reports come back as files, so that the page shows exactly what quorvane-series
// prints for the same command.
#include <cstdio>
#include <string>
#include <vector>

#include "series/series_command.h"

extern "C" int run_page(const char* arguments) {
  std::vector<std::string> words = {"quorvane-series"};
  std::string word;
  for (const char* p = arguments; *p != '\0'; ++p) {
    if (*p == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word += *p;
    }
  }
  if (!word.empty()) {
    words.push_back(word);
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) {
    argv.push_back(w.c_str());
  }
  std::FILE* out = std::fopen("/report.out", "w");
  std::FILE* err = std::fopen("/report.err", "w");
  const int status =
      run_series(static_cast<int>(argv.size()), argv.data(), Streams{nullptr, out, err});
  std::fclose(out);
  std::fclose(err);
  return status;
}
