#include "bench/bench_support.h"

#include <gtest/gtest.h>

#include <algorithm>

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

std::vector<double> MedianTimes(int runs,
                                const std::vector<std::function<double()>>& measurements) {
    const size_t count = measurements.size();
    std::vector<std::vector<double>> times(count);
    for (int run = 0; run < runs; ++run)
        for (size_t k = 0; k < count; ++k) {
            size_t i = run % 2 ? count - 1 - k : k;
            times[i].push_back(measurements[i]());
        }
    std::vector<double> medians;
    for (const std::vector<double>& t : times)
        medians.push_back(Median(t));
    return medians;
}

double TimeRun(const std::string& exe, const std::string& arguments, const std::string& folder) {
    double start = Seconds();
    ProcessResult result = RunProcess(exe, "\"" + exe + "\"" + arguments, folder);
    double elapsed = Seconds() - start;
    EXPECT_TRUE(result.Finished && result.ExitCode == 0)
        << exe << arguments << (result.Finished ? " ended with " : " still ran after 20 s, ")
        << result.ExitCode;
    return elapsed;
}
