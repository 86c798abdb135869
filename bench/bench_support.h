// Timing for the benchmarks: measurements run interleaved in one process, so
// that the changing load of a shared machine falls on all of them alike.
#pragma once
#include "testing/test_support.h"

#include <functional>
#include <string>
#include <vector>

double Seconds();
double Median(std::vector<double> values);

// Runs each measurement `runs` times, round by round, every other round in
// reverse order; returns the median of each.
std::vector<double> MedianTimes(int runs, const std::vector<std::function<double()>>& measurements);

// Start-to-exit time of `exe` started with its quoted path and `arguments`
// (which begin with a blank) in `folder`; a run that fails or ends with
// another exit code than 0 fails the test.
double TimeRun(const std::string& exe, const std::string& arguments, const std::string& folder);
