// Timing a subject against a yardstick in the same run: thread CPU time of each, taken by turns
// in every iteration, reported as their ratio with the min and median over repetitions.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

/// CPU time of the calling thread, in seconds: other processes on a shared machine do not count.
inline double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

/// Wall-clock seconds that `work` takes, for work done in other processes or by the kernel.
template <class Work>
double wallSeconds(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The median of `values` (the upper middle one of an even count); `values` is not empty.
inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

/// Thread CPU seconds that `work` takes.
template <class Work>
double timed(Work&& work) {
  const double start = threadSeconds();
  work();
  return threadSeconds() - start;
}

/// Five repetitions reported only as aggregates, with the minimum and maximum among them, in
/// milliseconds. The README quotes the median of each counter, and the best of the five: the
/// minimum of a time or ratio, the maximum of a rate.
inline benchmark::internal::Benchmark* asRatioRuns(benchmark::internal::Benchmark* run) {
  return run->Repetitions(5)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("min",
                          [](const std::vector<double>& values) {
                            return *std::min_element(values.begin(), values.end());
                          })
      ->ComputeStatistics("max",
                          [](const std::vector<double>& values) {
                            return *std::max_element(values.begin(), values.end());
                          })
      ->Unit(benchmark::kMillisecond);
}

}  // namespace bench
