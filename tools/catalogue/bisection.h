#pragma once

#include <cmath>
#include <functional>

namespace zimbalo::catalogue {

/// The Julian date within `halfWindowSeconds` of `guess` where `gap` changes sign, found by
/// bisection to a millisecond; NaN when the gap has the same sign at both ends of the window.
/// The accuracy report and the contact tests find their reference contacts with it.
inline double signChangeNear(const std::function<double(double)>& gap, double guess,
                             double halfWindowSeconds) {
    double a = guess - halfWindowSeconds / 86400.0;
    double b = guess + halfWindowSeconds / 86400.0;
    double ga = gap(a);
    if ((ga > 0.0) == (gap(b) > 0.0)) {
        return std::nan("");
    }
    while (b - a > 0.001 / 86400.0) {
        const double mid = 0.5 * (a + b);
        const double gm = gap(mid);
        if ((gm > 0.0) == (ga > 0.0)) {
            a = mid;
            ga = gm;
        } else {
            b = mid;
        }
    }
    return 0.5 * (a + b);
}

}  // namespace zimbalo::catalogue
