#pragma once
// Smallest, middle and largest of a set of measurements.

#include <vector>

namespace veloris::bench {

struct Summary {
    double min = 0;
    double median = 0;
    double max = 0;
};

// The median of an even count is the mean of the two middle values. An empty set gives
// all zeros.
Summary Summarize(std::vector<double> samples);

// Every figure of `summary` multiplied by `factor`, e.g. milliseconds to a ratio.
Summary Scaled(const Summary& summary, double factor);

} // namespace veloris::bench
