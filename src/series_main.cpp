// quorvane-series: the contrast-variation planner's command line.
#include <cstdio>

#include "series/series.h"

int main(int argc, char** argv) {
  return run_series(argc, argv, stdout, stderr);
}
