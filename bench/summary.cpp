#include "bench/summary.h"

#include <algorithm>

namespace veloris::bench {

Summary Summarize(std::vector<double> samples) {
    if (samples.empty()) {
        return {};
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    const double median =
        samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
    return {samples.front(), median, samples.back()};
}

Summary Scaled(const Summary& summary, double factor) {
    return {summary.min * factor, summary.median * factor, summary.max * factor};
}

} // namespace veloris::bench
