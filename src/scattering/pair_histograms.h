// The pair-distance histograms behind the predicted curves. Every scattering unit's
// excess scattering length is linear in the solvent's D2O fraction x, b(x) = a + c x,
// so the Debye sum over pairs splits into three weighted histograms,
//   sum_ij b_i b_j f(r_ij) = H_aa + x H_ac + x^2 H_cc,
// which give every contrast of a series for the price of one pass over the pairs.
#ifndef QUORVANE_SCATTERING_PAIR_HISTOGRAMS_H_
#define QUORVANE_SCATTERING_PAIR_HISTOGRAMS_H_

#include <cstddef>
#include <vector>

// A scattering unit: where it sits (angstrom), its excess scattering length in H2O (a)
// and its gain per unit D2O fraction (c), in fm.
struct ScatteringUnit {
  double x, y, z;
  double a, c;
};

// The three weighted histograms of all pairs i < j over bins of `width` angstrom, bin k
// centred at (k + 1/2) width, up to the last bin that holds a pair, and the i = j terms.
// Each pair is shared between the two centres around its distance in proportion to
// its nearness to each.
struct PairHistogram {
  double width = 0.0;
  std::vector<double> aa, ac, cc;                      // sum a_i a_j, a_i c_j + c_i a_j, c_i c_j
  double self_aa = 0.0, self_ac = 0.0, self_cc = 0.0;  // sum a^2, 2 a c, c^2
};

// Where a long computation says how far it has come: report(stage, start + span x
// done), done running from 0 to 1 over the call's work. A null report is silent.
struct Progress {
  void (*report)(const char* stage, double fraction);
  double start, span;
  const char* stage = "";
};

// Units that differ only in size, as the pieces of a hydration shell do: the last
// scale.size() units of a set, each with (a, c) = scale x (a, c). A pair of them needs
// one weight where two units of any kind need three, and a pair of one of them with
// another unit two: the histograms of a model in its shell cost half the memory traffic.
struct AlikeUnits {
  double a = 0.0, c = 0.0;
  std::vector<double> scale;
};

// Units that are `count` copies of one set, each placed by a rigid motion of a group (as
// an assembly's operators are): the general units of copy 0, 1, ..., then the alike
// units of copy 0, 1, ..., each copy in copy 0's order, `general` of the first kind a
// copy. Copy a's pairs with copy b are copy 0's with the copy that g_a^-1 g_b places,
// so all pairs are count times copy 0's among themselves and half its with every other
// copy: a sum over count n^2 pairs in place of (count n)^2 / 2.
struct Copies {
  size_t count = 1;
  size_t general = 0;
};

// The histograms of `units`, the last of which may be `alike`, and which may be
// `copies` of one set. The pairs are cut into a fixed number of pieces, summed by up to
// `threads` threads and added up in a fixed order, so that the result is the same to
// the last bit whatever the number of threads. `progress` hears from the calling
// thread of the pieces added up so far, and of the end.
PairHistogram pair_histogram(const std::vector<ScatteringUnit>& units, double width, int threads,
                             const Progress& progress = {nullptr, 0.0, 1.0},
                             const AlikeUnits& alike = {}, const Copies& copies = {});

// The same pairs by kind: the units' before the alike ones among themselves (a model),
// theirs with the alike ones (its shell), the alike ones' among themselves; the self
// terms go with the model and with the shell. The three add up to pair_histogram's (to
// rounding), and since the alike units' lengths all scale with one factor (the shell's
// density), the whole at any factor t is model + t cross + t^2 shell: one pass over the
// pairs for a fit of that factor.
struct PairHistogramParts {
  PairHistogram model, cross, shell;
};
PairHistogramParts pair_histogram_parts(const std::vector<ScatteringUnit>& units, double width,
                                        int threads, const Progress& progress,
                                        const AlikeUnits& alike, const Copies& copies = {});

#endif  // QUORVANE_SCATTERING_PAIR_HISTOGRAMS_H_
