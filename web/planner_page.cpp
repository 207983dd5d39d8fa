// The planner behind the web page. The page's worker writes its sequences and models
// into the module's file system and calls run_page with the command line it built, one
// argument a line; the reports come back as files, so that the page shows exactly what
// quorvane-series prints for the same command. A run that fails leaves its error as
// data (page_error) for the page to place beside the field it concerns.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "series/series_command.h"

namespace {

PlanError last_error;
std::string last_error_json;

// Tells the page how far the curves have come, from the worker the module runs in.
// (Its body is JavaScript, which clang-format would break apart.)
// clang-format off
EM_JS(void, post_progress, (double fraction), {
  if (typeof WorkerGlobalScope !== "undefined" && self instanceof WorkerGlobalScope) {
    postMessage({progress: fraction});
  }
});
// clang-format on

void report_progress(double fraction) {
  post_progress(fraction);
}

std::string json_string(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int run_page(const char* arguments) {
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
  argv.reserve(words.size());
  for (const std::string& w : words) {
    argv.push_back(w.c_str());
  }
  std::FILE* out = std::fopen("/report.out", "w");
  std::FILE* err = std::fopen("/report.err", "w");
  last_error = PlanError();
  const int status = run_series(static_cast<int>(argv.size()), argv.data(),
                                Streams{nullptr, out, err, report_progress}, &last_error);
  std::fclose(out);
  std::fclose(err);
  return status;
}

// The error that ended the last run, as JSON: input (the component, 0-based; -1 the
// run), setting (the option's long name, or "file"), value, expected, message.
EMSCRIPTEN_KEEPALIVE const char* page_error() {
  last_error_json = "{\"input\":" + std::to_string(last_error.input) +
                    ",\"setting\":" + json_string(last_error.setting) +
                    ",\"value\":" + json_string(last_error.value) +
                    ",\"expected\":" + json_string(last_error.expected) +
                    ",\"message\":" + json_string(last_error.message) + "}";
  return last_error_json.c_str();
}
}
