#include "raster/color.h"

Color Gradient::at(float t) const {
    if (stops_.empty()) return {};
    if (t <= stops_.front().t) return stops_.front().color;
    for (size_t i = 1; i < stops_.size(); ++i) {
        const GradientStop& hi = stops_[i];
        if (t <= hi.t) {
            const GradientStop& lo = stops_[i - 1];
            float span = hi.t - lo.t;
            return span <= 0 ? hi.color : Mix(lo.color, hi.color, (t - lo.t) / span);
        }
    }
    return stops_.back().color;
}
