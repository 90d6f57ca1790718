// Area-averaging resize: each target pixel is the coverage-weighted mean of the source pixels under it.
#include "common/picture_ops.h"

#include <algorithm>
#include <vector>

Picture resizeArea(const Picture& source, int width, int height) {
    Picture target(width, height, source.channels);
    const double sx = static_cast<double>(source.width) / width, sy = static_cast<double>(source.height) / height;
    std::vector<double> sum(static_cast<size_t>(source.channels));
    for (int y = 0; y < height; ++y) {
        const double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < width; ++x) {
            const double x0 = x * sx, x1 = (x + 1) * sx;
            std::fill(sum.begin(), sum.end(), 0.0);
            double weightSum = 0.0;
            for (int py = static_cast<int>(y0); py < std::min(source.height, static_cast<int>(y1 + 0.999999)); ++py) {
                const double wy = std::min<double>(py + 1, y1) - std::max<double>(py, y0);
                if (wy <= 0) continue;
                for (int px = static_cast<int>(x0); px < std::min(source.width, static_cast<int>(x1 + 0.999999)); ++px) {
                    const double wx = std::min<double>(px + 1, x1) - std::max<double>(px, x0);
                    if (wx <= 0) continue;
                    const uint8_t* p = source.at(px, py);
                    for (int c = 0; c < source.channels; ++c) sum[c] += p[c] * wx * wy;
                    weightSum += wx * wy;
                }
            }
            uint8_t* out = target.at(x, y);
            for (int c = 0; c < source.channels; ++c)
                out[c] = static_cast<uint8_t>(std::clamp(sum[c] / weightSum + 0.5, 0.0, 255.0));
        }
    }
    return target;
}
