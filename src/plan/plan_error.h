// A mistake in what the planner was asked, or in a file it read, as a value: the
// command line prints its one line; the web page places it beside the field it
// concerns and words it in the page's own terms.
#ifndef QUORVANE_PLAN_PLAN_ERROR_H_
#define QUORVANE_PLAN_PLAN_ERROR_H_

#include <string>

struct PlanError {
  int input = -1;        // the component it concerns, in the order given (0-based); -1: the run
  std::string setting;   // the option's long name (--deuteration), or "file" for a file's contents
  std::string value;     // the offending value as given; may be empty
  std::string expected;  // what the value must be (a percentage from 0 to 100); may be empty
  std::string message;   // the one line the command line prints
  bool usage = false;    // a mistake in what was asked (exit status 2), not in a file (1)
};

// An error of the whole run, or of component `input`, that only has its message.
inline PlanError plan_error(int input, const std::string& setting, const std::string& message) {
  PlanError error;
  error.input = input;
  error.setting = setting;
  error.message = message;
  return error;
}

#endif  // QUORVANE_PLAN_PLAN_ERROR_H_
