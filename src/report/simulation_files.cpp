#include "report/simulation_files.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <set>

#include "plan/simulation.h"
#include "report/beamtime_report.h"
#include "text/text_format.h"
#include "text/xml_text.h"

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6e", value);
  return text;
}

std::string file_label(const std::string& label) {
  std::string name;
  for (char c : label) {
    const bool plain =
        std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
    name += plain ? c : '_';
  }
  return name;
}

std::string d2o_text(const SeriesLine& line, size_t i) {
  return fixed(line.points[i].d2o_fraction * 100.0, 1);
}

// What every file says of how its numbers were made.
std::string method_text(const SeriesOptions& options) {
  return options.noise
             ? "Poisson counts, seed " + std::to_string(options.seed) + "; errors from the counts"
             : "expected values (no noise); errors one standard deviation";
}

// The camera, and the flux its times scale with: a flux no file or option gave is the
// planner's typical one, which the report must not pass off as the instrument's.
std::string configuration_text(const Configuration& c, const SeriesOptions& options) {
  const bool assumed = !(c.flux > 0.0) && !(options.flux > 0.0);
  return c.name + ": wavelength " + shortest(c.wavelength) + " A, spread " + shortest(c.spread) +
         " FWHM, apertures " + shortest(c.source_aperture) + " and " + shortest(c.sample_aperture) +
         " mm, collimation " + shortest(c.collimation) + " m, detector " + shortest(c.distance) +
         " m away, " + shortest(c.detector) + " mm of " + shortest(c.pixel) + " mm pixels; flux " +
         format_number(configuration_instrument(c, options).flux,
                       NumberFormat{NumberFormat::kGeneral, 3}) +
         " n/cm^2/s" + (assumed ? " (typical, not this instrument's: set its flux)" : "");
}

std::string columns_file(const SeriesLine& line, size_t i, const SimulatedSegment& s,
                         const SeriesOptions& options) {
  const BeamtimePoint& p = line.beamtime.points[i];
  std::string text = "# quorvane-series simulated measurement: " + printable_text(line.label) +
                     " at " + d2o_text(line, i) + " % D2O, " + shortest(line.share) + " mg/mL\n";
  text += "# configuration " + configuration_text(options.configurations[s.config], options) + "\n";
  text += "# counted " + duration_text(s.time) + " (" + shortest(s.time) +
          " s; the buffer as long) in a " + shortest(p.path) + " mm cell of transmission " +
          fixed(p.transmissions[p.cell], 3) + "\n";
  if (s.time > MAX_FEASIBLE_SECONDS) {
    text +=
        "# not feasible: no instrument gives a sample a month; the data show what that "
        "time would give\n";
  }
  text += "# " + method_text(options) + "; buffer and flat background subtracted\n";
  if (line.simulation.guinier_only) {
    text += "# a Guinier curve (no atomic model): only q Rg <= 1.3 is simulated\n";
  }
  text += "# Q (1/A)  I (1/cm)  dI (1/cm)  dQ (1/A, one standard deviation)\n";
  for (const SimulatedPoint& d : s.data) {
    text += number(d.q) + " " + number(d.intensity) + " " + number(d.error) + " " +
            number(d.resolution) + "\n";
  }
  return text;
}

std::string element(const std::string& name, const std::string& unit, const std::string& value) {
  return "<" + name + (unit.empty() ? "" : " unit=\"" + unit + "\"") + ">" + value + "</" + name +
         ">";
}

// One SASentry per configuration, as a reduction writes one per measurement: its own
// title, data, instrument and counting time, so that a reader never takes one
// configuration's data for another's. Every element canSAS 1D 1.1's schema requires is
// there, SASprocessnote and SASnote among them.
std::string cansas_entry(const SeriesLine& line, size_t i, const SimulatedSegment& s,
                         const std::string& name, const SeriesOptions& options) {
  const BeamtimePoint& p = line.beamtime.points[i];
  const Configuration& c = options.configurations[s.config];
  const std::string sample = xml_text(line.label) + " at " + d2o_text(line, i) + " % D2O";
  std::string x = "  <SASentry name=\"" + xml_text(name) + "\">\n";
  x += "    " + element("Title", "", sample + ", " + xml_text(c.name) + " (simulated)") + "\n";
  x += "    <Run name=\"" + xml_text(c.name) + "\">1</Run>\n";
  x += "    <SASdata name=\"" + xml_text(c.name) + "\">\n";
  for (const SimulatedPoint& d : s.data) {
    x += "      <Idata>" + element("Q", "1/A", number(d.q)) +
         element("I", "1/cm", number(d.intensity)) + element("Idev", "1/cm", number(d.error)) +
         element("Qdev", "1/A", number(d.resolution)) + "</Idata>\n";
  }
  x += "    </SASdata>\n";
  x += "    <SASsample>" + element("ID", "", sample) +
       element("thickness", "mm", shortest(p.path)) +
       element("transmission", "", fixed(p.transmissions[p.cell], 4)) + "</SASsample>\n";
  const auto aperture = [](const char* which, double mm) {
    return "<aperture name=\"" + std::string(which) + "\" type=\"pinhole\"><size>" +
           element("x", "mm", shortest(mm)) + "</size></aperture>";
  };
  x += "    <SASinstrument>" + element("name", "", "simulated pinhole camera " + xml_text(c.name)) +
       "<SASsource>" + element("radiation", "", "neutron") +
       element("wavelength", "A", shortest(c.wavelength)) +
       element("wavelength_spread", "percent", shortest(c.spread * 100.0)) + "</SASsource>" +
       "<SAScollimation>" + element("length", "m", shortest(c.collimation)) +
       aperture("source", c.source_aperture) + aperture("sample", c.sample_aperture) +
       "</SAScollimation><SASdetector>" + element("name", "", "area detector") +
       element("SDD", "m", shortest(c.distance)) + "<pixel_size>" +
       element("x", "mm", shortest(c.pixel)) + element("y", "mm", shortest(c.pixel)) +
       "</pixel_size></SASdetector></SASinstrument>\n";
  x += "    <SASprocess>" + element("name", "", "quorvane-series --simulate") +
       element("description", "", xml_text(method_text(options))) +
       "<term name=\"counting time\" unit=\"s\">" + shortest(s.time) + "</term>" +
       element("SASprocessnote", "",
               "the buffer counted as long and subtracted with the flat background") +
       "</SASprocess>\n";
  x += "    " +
       element("SASnote", "",
               "simulated, not measured: " + sample + ", " + shortest(line.share) +
                   " mg/mL, counted " + duration_text(s.time) + " in configuration " +
                   xml_text(c.name)) +
       "\n  </SASentry>\n";
  return x;
}

// What a line without a model has measured: the rings of its configuration within its
// Guinier range, from their centres.
std::string guinier_range_text(const SeriesLine& line, const SeriesOptions& options) {
  const LineSimulation& s = line.simulation;
  const ConfigurationBins& rings = options.rings[s.configs.front()];
  double last = 0.0;
  for (double q : rings.q) {
    last = q <= s.q_high ? q : last;
  }
  return "its Guinier range only (no model), q " + fixed(rings.q.front(), 4) + " to " +
         fixed(last, 3) + " 1/A" +
         (s.covered
              ? ""
              : ", not all of it (q Rg = 1.3 at " + fixed(s.q_high, 3) + "): add a configuration");
}

}  // namespace

std::vector<std::pair<std::string, std::string>> simulation_files(
    const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  std::vector<std::pair<std::string, std::string>> files;
  std::set<std::string> taken{SIMULATED_XML};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<SASroot version=\"1.1\" xmlns=\"urn:cansas1d:1.1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"urn:cansas1d:1.1 "
      "http://www.cansas.org/formats/1.1/cansas1d.xsd\">\n";
  for (const SeriesLine& line : lines) {
    for (size_t i = 0; i < line.simulation.points.size(); ++i) {
      const SimulatedContrast& contrast = line.simulation.points[i];
      if (contrast.segments.empty()) {
        continue;
      }
      for (const SimulatedSegment& s : contrast.segments) {
        const std::string stem = file_label(line.label) + "_" + d2o_text(line, i) + "_" +
                                 options.configurations[s.config].name;
        std::string name = stem;
        for (int n = 2; !taken.insert(name + ".dat").second; ++n) {
          name = stem + "-" + std::to_string(n);
        }
        xml += cansas_entry(line, i, s, name, options);
        files.emplace_back(name + ".dat", columns_file(line, i, s, options));
      }
    }
  }
  files.emplace_back(SIMULATED_XML, xml + "</SASroot>\n");
  return files;
}

void write_simulation(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                      std::FILE* out) {
  const std::string simulated =
      options.outputs.simulate_dir.empty() && options.outputs.plot != PlotKind::kSimulated
          ? ""
          : "; simulated data: " + method_text(options);
  if (counts_on_configurations(options)) {
    std::fprintf(out,
                 "\nConfigurations: each sample's low-q one counted for %s %% on I(0), each "
                 "other for %s %% on I where it has fallen 100-fold from I(0) (or at its last "
                 "ring)%s.\n",
                 shortest(options.target).c_str(), shortest(options.target_high).c_str(),
                 simulated.c_str());
  } else {
    std::fprintf(out,
                 "\nConfiguration: a typical camera (no --configs named), each point counted for "
                 "its time above%s.\n",
                 simulated.c_str());
  }
  for (size_t k = 0; k < options.configurations.size(); ++k) {
    const ConfigurationBins& bins = options.rings[k];
    std::fprintf(out, "  %s; q %s to %s 1/A\n",
                 configuration_text(options.configurations[k], options).c_str(),
                 fixed(bins.q.empty() ? 0.0 : bins.q.front(), 4).c_str(),
                 fixed(bins.q.empty() ? 0.0 : bins.q.back(), 3).c_str());
  }
  for (const SeriesLine& line : lines) {
    const LineSimulation& s = line.simulation;
    if (s.configs.empty()) {
      std::fprintf(out, "  %s: nothing to count (no Guinier range)\n",
                   printable_text(line.label).c_str());
      continue;
    }
    std::string names;
    for (size_t c : s.configs) {
      names += (names.empty() ? "" : ", ") + options.configurations[c].name;
    }
    const std::string range =
        s.guinier_only ? guinier_range_text(line, options)
                       : "q " + fixed(s.q_low, 4) + " (1/(3 Rg)) to " + fixed(s.q_high, 3) +
                             " 1/A" + (s.covered ? "" : ", not all of it: add a configuration");
    std::fprintf(out, "  %s: %s for %s; total %s (sample and buffer)\n",
                 printable_text(line.label).c_str(), names.c_str(), range.c_str(),
                 duration_text(s.total).c_str());
    for (size_t i = 0; i < s.points.size(); ++i) {
      const SimulatedContrast& p = s.points[i];
      std::string text;
      for (const SimulatedSegment& segment : p.segments) {
        text += (text.empty() ? " " : ", ") + options.configurations[segment.config].name + " " +
                duration_text(segment.time, true);
      }
      if (p.compared) {
        text +=
            "; chi2 " + fixed(p.chi2, 2) +
            (p.time_to_two > MAX_FEASIBLE_SECONDS ? std::string(", not 2 within 30 days")
                                                  : ", 2 after " + duration_text(p.time_to_two));
      } else if (!options.compare_path.empty() && !p.segments.empty()) {
        text += s.guinier_only ? "; not compared: no atomic model"
                               : "; not compared: the second model gives no curve for it";
      }
      std::fprintf(out, "    %s %% D2O:%s\n", pad_left(d2o_text(line, i), 6).c_str(),
                   text.empty() ? " no signal" : text.c_str());
    }
  }
}
