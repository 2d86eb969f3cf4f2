#include "astro/numeric.h"

#include <cmath>

namespace zimbalo::astro {

double ArcTan2(double y, double x) {
    if (x == 0.0 && y == 0.0) {
        return 0.0;
    }
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    double a = ax > ay ? std::atan(ay / ax) : kPi / 2.0 - std::atan(ax / ay);
    if (x < 0.0) {
        a = kPi - a;
    }
    if (y < 0.0) {
        a = -a;
    }
    return a;
}

double ArcSinClamped(double s) {
    if (s > 1.0) {
        s = 1.0;
    } else if (s < -1.0) {
        s = -1.0;
    }
    if (std::fabs(s) == 1.0) {
        return s * kPi / 2.0;
    }
    return std::atan(s / std::sqrt(1.0 - s * s));
}

double FMod(double x, double m) {
    const double q = x / m;
    const double r = (q - std::trunc(q)) * m;
    return r < 0.0 ? r + m : r;
}

double AngularDistance(double lon1, double lat1, double lon2, double lat2) {
    const double p1[3] = {std::cos(lat1) * std::cos(lon1), std::cos(lat1) * std::sin(lon1),
                          std::sin(lat1)};
    const double p2[3] = {std::cos(lat2) * std::cos(lon2), std::cos(lat2) * std::sin(lon2),
                          std::sin(lat2)};
    double diff = 0.0;
    double sum = 0.0;
    for (int i = 0; i < 3; ++i) {
        diff += (p2[i] - p1[i]) * (p2[i] - p1[i]);
        sum += (p2[i] + p1[i]) * (p2[i] + p1[i]);
    }
    // Half-angle form: accurate for tiny and for nearly antipodal separations alike.
    const double c = std::sqrt(diff) / 2.0;
    const double s = std::sqrt(sum) / 2.0;
    return 4.0 * std::atan(c / (s + 1.0));
}

int Sign(double x) {
    if (x > 0.0) {
        return 1;
    }
    return x < 0.0 ? -1 : 0;
}

}  // namespace zimbalo::astro
