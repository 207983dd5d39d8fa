// The model against the data: the predicted curve of the plan's last line at each
// measured D2O point, smeared with the file's resolution, fitted with a scale and a flat
// background per contrast, and the hydration shell's density as one free parameter over
// the whole series.
#ifndef QUORVANE_PLAN_MODEL_FIT_H_
#define QUORVANE_PLAN_MODEL_FIT_H_

#include <string>
#include <vector>

#include "measured/measured_reader.h"
#include "plan/components.h"

// One measured curve and the D2O point it was measured at, for the fit.
struct FitData {
  double d2o;  // %
  const MeasuredCurve* curve;
  // mg/mL when the file's intensities are in 1/cm and the sample's concentration is
  // given: the model's scale is then fixed by it, not fitted. 0: the scale is free.
  double absolute_conc = 0.0;
};

struct ContrastFit {
  double d2o;                 // %
  double scale;               // data over model
  bool scale_fixed;           // by the concentration on an absolute scale
  double free_scale;          // the best scale, whether or not it was fixed
  double background;          // in the data's unit
  double chi2;                // reduced, over the curve's points
  std::vector<double> model;  // scale x smeared model + background at the data's q
};

struct ModelFit {
  bool fitted = false;
  std::string why;                     // when not fitted: what the run lacks
  std::string line;                    // the label of the line fitted
  double shell_density = 0.0;          // % denser than the bulk, the series' best
  double chi2 = 0.0;                   // reduced, of the series
  std::vector<ContrastFit> contrasts;  // in the order of `data`
};

// The densities the shell's are searched over, % denser than the bulk.
constexpr double MIN_SHELL_DENSITY = 0.0, MAX_SHELL_DENSITY = 30.0;

// Fits the last line of `components`' series (the complex, or the one component), which
// must have coordinates, to `data`. The curves are computed at three shell densities and
// taken as quadratic in it (they are: the shell's scattering length is linear in its
// density), so that no curve is computed inside the search.
ModelFit fit_model(const std::vector<Component>& components, const SeriesOptions& options,
                   const Solvent& solvent, const std::vector<FitData>& data);

#endif  // QUORVANE_PLAN_MODEL_FIT_H_
