// Fuzzes the SVG plot with arbitrary labels (the input, split at line ends, as the
// labels of up to four series) and parses every plot with expat: whatever bytes a
// file name or FASTA header holds, the plot must be well-formed XML.
#include <expat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/plots.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<SeriesLine> lines;
  size_t start = 0;
  while (lines.size() < 4 && start <= input.size()) {
    size_t end = input.find('\n', start);
    end = end == std::string::npos ? input.size() : end;
    const auto index = static_cast<double>(lines.size());
    SeriesLine line;
    line.label = input.substr(start, end - start);
    line.component = static_cast<int>(lines.size());
    line.has_match = true;
    line.match_percent = 20.0 * index;
    for (double x : {0.0, 0.5, 1.0}) {
      SeriesPoint p{};
      p.d2o_fraction = x;
      p.contrast_density = 0.3 - x * (0.4 + 0.1 * index);
      line.points.push_back(p);
    }
    lines.push_back(line);
    start = end + 1;
  }
  SeriesOptions options;
  options.outputs.plot = static_cast<PlotKind>(size % 3);
  options.outputs.narrow_plot = size % 2 == 1;  // both layouts, the narrow one splitting the title
  const std::string svg = plot_svg(lines, options);
  XML_Parser parser = XML_ParserCreate(nullptr);
  const XML_Status status = XML_Parse(parser, svg.data(), static_cast<int>(svg.size()), 1);
  if (status != XML_STATUS_OK) {
    std::fprintf(stderr, "not XML (%s at line %lu):\n%s\n",
                 XML_ErrorString(XML_GetErrorCode(parser)),
                 static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)), svg.c_str());
    std::abort();
  }
  XML_ParserFree(parser);
  return 0;
}
