/* The floor for the curves' pair sums, for the benchmark: the plain double loop over
 * every pair of N points read as x y z a c lines, one weighted histogram of the
 * distances in bins of W angstrom (a single weight a_i a_j, no sharing between bins),
 * in double precision. What the planner does beyond it (three weights, the sharing,
 * the shell's kinds) is its cost. Usage: pairs_floor W FILE; prints the pairs and the
 * seconds. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const double width = atof(argv[1]);
  FILE* in = fopen(argv[2], "r");
  if (!in) return 1;
  size_t n = 0, capacity = 1024;
  double* p = malloc(capacity * 5 * sizeof(double));
  while (fscanf(in, "%lf %lf %lf %lf %lf", &p[5 * n], &p[5 * n + 1], &p[5 * n + 2], &p[5 * n + 3],
                &p[5 * n + 4]) == 5) {
    if (++n == capacity) p = realloc(p, (capacity *= 2) * 5 * sizeof(double));
  }
  fclose(in);
  const size_t bins = 200000;
  double* h = calloc(bins, sizeof(double));
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      const double dx = p[5 * j] - p[5 * i], dy = p[5 * j + 1] - p[5 * i + 1],
                   dz = p[5 * j + 2] - p[5 * i + 2];
      const size_t k = (size_t)(sqrt(dx * dx + dy * dy + dz * dz) / width);
      if (k < bins) h[k] += p[5 * i + 3] * p[5 * j + 3];
    }
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  double check = 0;
  for (size_t k = 0; k < bins; ++k) check += h[k];
  printf("%zu %.6f %g\n", n * (n - 1) / 2,
         (double)(end.tv_sec - start.tv_sec) + 1e-9 * (double)(end.tv_nsec - start.tv_nsec), check);
  return 0;
}
