#include "series/progress_line.h"

#include <algorithm>

namespace {

constexpr double QUIET_SECONDS = 1.0;  // a run is silent this long whatever it will take
constexpr double LONG_RUN = 2.0;       // and after it, silent if it looks shorter than this

}  // namespace

std::string progress_text(ProgressLine* line, const char* stage, double fraction, double elapsed) {
  if (line->percent < 0 &&
      (elapsed < QUIET_SECONDS || !(fraction > 0.0) || elapsed / fraction < LONG_RUN)) {
    return "";
  }
  const int percent = static_cast<int>(fraction * 100.0);
  const bool new_stage = line->stage != stage;
  const bool same = line->terminal ? percent == line->percent : percent / 10 == line->percent / 10;
  if (!new_stage && same) {
    return "";
  }
  std::string text;
  if (new_stage && line->terminal && line->percent >= 0 && line->percent < 100) {
    text += "\n";  // the stage before ended short of its end; its line stays
  }
  line->stage = stage;
  line->percent = percent;
  const std::string figure = std::to_string(percent);
  if (!line->terminal) {
    return text + "quorvane-series: " + line->stage + " " + figure + " %\n";
  }
  text += "\rquorvane-series: " + line->stage + " " +
          std::string(3 - std::min<size_t>(3, figure.size()), ' ') + figure + " %";
  return percent >= 100 ? text + "\n" : text;
}
