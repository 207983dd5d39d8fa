// What a measured file's name or title says of its sample, for a page that fills in its
// boxes before the user confirms them: the D2O percentage ("0.dat", "40.dat",
// "D2O_10_percent", "80%D2O", "in D2O") and the concentration ("10mgml", "5 mg/mL").
// A guess, never a reading: the caller marks it as such.
#ifndef QUORVANE_MEASURED_MEASURED_GUESS_H_
#define QUORVANE_MEASURED_MEASURED_GUESS_H_

#include <string>

struct MeasuredGuess {
  bool has_d2o = false, has_conc = false;
  double d2o = 0.0;                 // %
  double conc = 0.0;                // mg/mL
  std::string d2o_from, conc_from;  // "the file's name" or "the file's title"
};

// From the file's name (its folders left off) first, then from its title.
MeasuredGuess guess_measured(const std::string& name, const std::string& title);

#endif  // QUORVANE_MEASURED_MEASURED_GUESS_H_
