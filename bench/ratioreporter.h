// A console reporter that keeps each benchmark's real time per iteration, so a benchmark
// program can print ratios against a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
  std::map<std::string, double> seconds;

  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& run : runs) {
      seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "ratio slow / base = r" when both ran.
  void PrintRatio(const std::string& slow, const std::string& base) const
  {
    auto s = seconds.find(slow);
    auto b = seconds.find(base);
    if (s != seconds.end() && b != seconds.end() && b->second > 0) {
      std::printf("ratio %s / %s = %.2f\n", slow.c_str(), base.c_str(), s->second / b->second);
    }
  }
};
