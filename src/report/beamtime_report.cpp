#include "report/beamtime_report.h"

#include "plan/beamtime.h"
#include "scattering/beamtime.h"
#include "text/text_format.h"

namespace {

std::string source_text(const SeriesLine& line) {
  const LineBeamtime& b = line.beamtime;
  switch (b.source) {
    case SignalSource::kCurves:
      return "its predicted curves (shape Rg " + fixed(b.rg, 1) + " A)";
    case SignalSource::kEstimate:
      return "a Guinier curve, Rg " + fixed(b.rg, 1) + " A as for a compact protein of " +
             std::to_string(line.residues) + " residues";
    case SignalSource::kSphere:
      break;
  }
  return "a Guinier curve, Rg " + fixed(b.rg, 1) + " A of a sphere of its volume";
}

// The flux, aperture and wavelength the times are counted with.
std::string instrument_text(const SeriesOptions& options) {
  if (counts_on_configurations(options)) {
    return "Flux, aperture and wavelength those of each sample's low-q configuration (below)";
  }
  return "Flux " + shortest(flux_of(options)) + " n/cm^2/s" +
         (options.flux > 0.0 ? "" : " (typical, not your instrument's)") + " on a " +
         shortest(options.aperture) + " mm aperture, " + shortest(options.wavelength) + " A";
}

}  // namespace

std::string duration_text(double seconds, bool brief) {
  if (seconds > MAX_FEASIBLE_SECONDS) {
    return brief ? "not feasible" : "not feasible (more than 30 days)";
  }
  if (seconds < 10.0) {
    return fixed(seconds, 1) + " s";
  }
  if (seconds < 60.0) {
    return fixed(seconds, 0) + " s";
  }
  if (seconds < 3600.0) {
    return fixed(seconds / 60.0, 1) + " min";
  }
  if (seconds < 48.0 * 3600.0) {
    return fixed(seconds / 3600.0, 1) + " h";
  }
  return fixed(seconds / 86400.0, 1) + " d";
}

void write_beamtime(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                    const Solvent& solvent, std::FILE* out) {
  std::string cells;
  for (double mm : options.cells) {
    cells += (cells.empty() ? "" : ", ") + shortest(mm);
  }
  const SolutionFigures h2o = buffer_figures(
      solvent,
      hydrogen_figures(solvent, options.wavelength, options.background_h2o, options.background_d2o),
      0.0);
  const SolutionFigures d2o = buffer_figures(
      solvent,
      hydrogen_figures(solvent, options.wavelength, options.background_h2o, options.background_d2o),
      1.0);
  std::fprintf(out,
               "\nCounting times to %s %% on I(0), fitted as ln I(0) - q^2 Rg^2/3 over q = %s "
               "to q Rg = %s; the buffer counted as long again and subtracted; cells of "
               "%s mm, the fastest chosen. %s, detector efficiency %s. Buffer at 0 and "
               "100 %% D2O: background %s and %s "
               "1/cm, attenuation %s and %s 1/cm. Planning estimates: see the manual's "
               "chapter on counting times.\n",
               shortest(options.target).c_str(),
               !counts_on_configurations(options)
                   ? (shortest(options.q_min) + " 1/A").c_str()
                   : "the first ring of the low-q configuration, smeared by its resolution,",
               shortest(GUINIER_END).c_str(), cells.c_str(), instrument_text(options).c_str(),
               shortest(options.efficiency).c_str(), fixed(h2o.background, 3).c_str(),
               fixed(d2o.background, 3).c_str(), fixed(h2o.attenuation, 2).c_str(),
               fixed(d2o.attenuation, 2).c_str());
  for (const SeriesLine& line : lines) {
    const LineBeamtime& b = line.beamtime;
    int silent = 0;
    for (const BeamtimePoint& p : b.points) {
      silent += p.signal ? 0 : 1;
    }
    std::string text = "  " + line.label + ": signal from " + source_text(line);
    const bool rings = counts_on_configurations(options);
    if (!b.range && rings) {
      text += "; fewer than two rings of its low-q configuration lie below q Rg = 1.3 (q " +
              fixed(b.q_max, 4) + " 1/A): add a configuration reaching lower q";
    } else if (!b.range) {
      text += "; no Guinier range above q = " + shortest(options.q_min) +
              " 1/A: lower --q-min for a molecule this large";
    } else {
      // On a camera, what its rings reach; the Guinier range may run on past them.
      text += rings ? ", its low-q configuration's rings from q " + fixed(b.rings_low, 4) + " to " +
                          fixed(b.rings_high, 3) + " 1/A" +
                          (b.rings_high < b.q_max - 0.0005
                               ? " (q Rg = 1.3 at " + fixed(b.q_max, 3) + ")"
                               : "") +
                          "; "
                    : ", q up to " + fixed(b.q_max, 3) + " 1/A; ";
      text += silent == static_cast<int>(b.points.size())
                  ? "no sample can be measured: no D2O point gives a signal"
              : rings
                  ? "total over every configuration, sample and buffer: " + duration_text(b.total)
                  : "total " + duration_text(b.total) + " (sample and buffer)";
      if (silent > 0 && silent < static_cast<int>(b.points.size())) {
        text += "; " + std::to_string(silent) + (silent == 1 ? " point" : " points") +
                " with no measurable signal left out";
      }
    }
    std::fprintf(out, "%s\n", text.c_str());
  }
}
