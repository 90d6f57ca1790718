// Automation curve lookup: binary search for the segment, then a straight line across it.
#include "audio/envelopes.h"

#include <algorithm>

double Automation::at(double time) const {
    if (points_.empty()) return 1.0;
    if (time <= points_.front().first) return points_.front().second;
    if (time >= points_.back().first) return points_.back().second;
    const auto after = std::upper_bound(points_.begin(), points_.end(), time,
                                        [](double t, const std::pair<double, double>& p) { return t < p.first; });
    const auto before = after - 1;
    const double span = after->first - before->first;
    if (span <= 0.0) return after->second;
    const double f = (time - before->first) / span;
    return before->second + f * (after->second - before->second);
}
