#include "tools/catalogue/builder.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "astro/time_scales.h"

namespace zimbalo::catalogue {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadToDeg = 180.0 / kPi;
constexpr double kDegToRad = kPi / 180.0;

// The coarse scan steps half a day: the Moon gains at least 9 degrees a day on every planet, so
// a close conjunction shows as a local minimum of the sampled separation, and one within this
// many degrees of the sampled minimum is refined.
constexpr double kScanStepDays = 0.5;
constexpr double kCandidateSeparation = 8.0 * kDegToRad;

// Refinement of greatest occultation: difference step and convergence, days.
constexpr double kDiffStepDays = 1.0 / 1440.0;
constexpr double kConvergedDays = 1e-6;  // the ephemeris is smooth to about this
constexpr int kMaxRefineSteps = 30;

// Stored values are rounded so that a last-bit difference of the mathematical library on
// another machine does not change the file: Julian dates to 1e-6 day (0.09 s), polynomial
// coefficients to 40 significant bits (a relative 1e-12, far below the fit's accuracy).
constexpr double kJdQuantum = 1e6;
constexpr int kCoefficientBits = 40;

double AngularSeparation(const ApparentPlace& a, const ApparentPlace& b) {
    // Half-angle form: accurate for the small separations that matter here.
    const double sd = std::sin((a.dec - b.dec) / 2.0);
    const double sr = std::sin((a.ra - b.ra) / 2.0);
    const double h = sd * sd + std::cos(a.dec) * std::cos(b.dec) * sr * sr;
    return 2.0 * std::asin(std::sqrt(std::min(1.0, h)));
}

// Greatest occultation near jdStart: the instant of least scaled axis distance, found by
// repeating the closest approach of the locally straight axis track.
double RefineGreatest(const Ephemeris& eph, int planet, double jdStart) {
    double jd = jdStart;
    for (int i = 0; i < kMaxRefineSteps; ++i) {
        const InstantElements m = ComputeElements(eph, planet, jd - kDiffStepDays);
        const InstantElements c = ComputeElements(eph, planet, jd);
        const InstantElements p = ComputeElements(eph, planet, jd + kDiffStepDays);
        const double vx = (p.x - m.x) / (2.0 * kDiffStepDays);
        const double vy = (p.ScaledY() - m.ScaledY()) / (2.0 * kDiffStepDays);
        const double v2 = vx * vx + vy * vy;
        double tau = -(c.x * vx + c.ScaledY() * vy) / v2;
        // Keep within the bracket of the scan; the track is straight enough for that.
        tau = std::clamp(tau, -kScanStepDays, kScanStepDays);
        jd += tau;
        if (std::fabs(tau) < kConvergedDays) {
            return jd;
        }
    }
    throw std::runtime_error("greatest occultation of " + std::string(PlanetName(planet))
                             + " near JD " + std::to_string(jdStart) + " does not converge");
}

double QuantizeJD(double jd) {
    return std::round(jd * kJdQuantum) / kJdQuantum;
}

double QuantizeCoefficient(double c) {
    if (c == 0.0 || !std::isfinite(c)) {
        return c;
    }
    int exponent = 0;
    const double mantissa = std::frexp(c, &exponent);
    return std::ldexp(std::round(std::ldexp(mantissa, kCoefficientBits)),
                      exponent - kCoefficientBits);
}

// Least-squares cubic through (s_i, v_i) with s in [-1, 1], by modified Gram-Schmidt QR of the
// Vandermonde matrix (stable where normal equations would square the condition number).
std::array<double, 4> FitCubic(const std::vector<double>& s, const std::vector<double>& v) {
    const std::size_t n = s.size();
    std::array<std::vector<double>, 4> q;
    for (std::size_t k = 0; k < 4; ++k) {
        q[k].resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            q[k][i] = std::pow(s[i], static_cast<double>(k));
        }
    }
    std::array<std::array<double, 4>, 4> r{};
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t j = 0; j < k; ++j) {
            double dot = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                dot += q[j][i] * q[k][i];
            }
            r[j][k] = dot;
            for (std::size_t i = 0; i < n; ++i) {
                q[k][i] -= dot * q[j][i];
            }
        }
        double norm = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            norm += q[k][i] * q[k][i];
        }
        norm = std::sqrt(norm);
        r[k][k] = norm;
        for (std::size_t i = 0; i < n; ++i) {
            q[k][i] /= norm;
        }
    }
    std::array<double, 4> qtv{};
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t i = 0; i < n; ++i) {
            qtv[k] += q[k][i] * v[i];
        }
    }
    std::array<double, 4> c{};
    for (std::size_t k = 4; k-- > 0;) {
        double sum = qtv[k];
        for (std::size_t j = k + 1; j < 4; ++j) {
            sum -= r[k][j] * c[j];
        }
        c[k] = sum / r[k][k];
    }
    return c;
}

// Values of the elements in the record's units; M from the wrapped mu, unwrapped later.
std::array<double, astro::kElementCount> RecordUnits(const InstantElements& e) {
    return {e.x, e.y, e.d * kRadToDeg, e.mu * kRadToDeg, e.L1, e.L2, e.tanf1, e.tanf2};
}

double Unwrap(double degrees, double reference) {
    return degrees + 360.0 * std::round((reference - degrees) / 360.0);
}

// The reference instant: the whole TT hour nearest greatest occultation.
struct ReferenceHour {
    int year = 0, month = 0, day = 0, hour = 0;
    double jd = 0.0;
};

ReferenceHour NearestHour(double jd) {
    const auto hours = static_cast<long long>(std::llround((jd + 0.5) * 24.0));
    const long long dayNumber = hours / 24;  // Julian day number of the civil date (noon)
    ReferenceHour r;
    r.hour = static_cast<int>(hours % 24);
    const astro::CalendarDate date = astro::JDToCalendar(static_cast<double>(dayNumber));
    r.year = date.year;
    r.month = date.month;
    r.day = date.day;
    r.jd = astro::CalendarToJD(r.year, r.month, r.day, r.hour, 0.0, 0.0);
    const double expected = static_cast<double>(dayNumber) - 0.5 + r.hour / 24.0;
    if (std::fabs(r.jd - expected) > 1e-7) {
        throw std::logic_error("calendar conversion of JD " + std::to_string(jd) + " inconsistent");
    }
    return r;
}

}  // namespace

int ClassifyOccultation(const InstantElements& g) {
    // Near opposition the axis from the Moon to the planet also passes the Earth, but with the
    // Moon behind the Earth: no occultation.
    if (g.z <= 0.0) {
        return 0;
    }
    const double m = g.ScaledDistance();
    if (m <= 1.0) {
        // The axis meets the Earth. L2' = L2 - zeta tan f2 is monotonic in zeta, so its extremes
        // on the central line are at the path's ends (zeta = 0) and at greatest occultation.
        const double zeta = std::sqrt(1.0 - m * m);
        const double atEnds = g.L2;
        const double atGreatest = g.L2 - zeta * g.tanf2;
        if (atEnds < 0.0 && atGreatest < 0.0) {
            return 2;  // total
        }
        if (atEnds >= 0.0 && atGreatest >= 0.0) {
            return 3;  // annular
        }
        return 4;  // annular-total
    }
    if (m < 1.0 + std::fabs(g.L2)) {
        return g.L2 < 0.0 ? 5 : 6;  // non-central total / annular
    }
    if (m < 1.0 + g.L1) {
        return 1;  // partial
    }
    return 0;
}

std::vector<FoundEvent> FindEvents(const Ephemeris& eph, double jdFrom, double jdTo) {
    std::vector<FoundEvent> events;
    // Separations of the last three scan instants per planet.
    std::array<std::array<double, 3>, kPlanetCount + 1> sep{};
    const auto steps = static_cast<long long>(std::ceil((jdTo - jdFrom) / kScanStepDays)) + 2;
    for (long long i = 0; i <= steps; ++i) {
        // The scan starts one step early so that a minimum at jdFrom is bracketed.
        const double jd = jdFrom + static_cast<double>(i - 1) * kScanStepDays;
        const ApparentPlace moon = eph.Moon(jd);
        for (int p = 1; p <= kPlanetCount; ++p) {
            auto& s = sep[static_cast<std::size_t>(p)];
            s[0] = s[1];
            s[1] = s[2];
            s[2] = AngularSeparation(moon, eph.Planet(p, jd));
            if (i < 2 || !(s[1] < s[0] && s[1] <= s[2]) || s[1] > kCandidateSeparation) {
                continue;
            }
            FoundEvent e;
            e.planet = p;
            e.jdGreatest = QuantizeJD(RefineGreatest(eph, p, jd - kScanStepDays));
            if (e.jdGreatest < jdFrom || e.jdGreatest >= jdTo) {
                continue;
            }
            e.atGreatest = ComputeElements(eph, p, e.jdGreatest);
            e.occType = ClassifyOccultation(e.atGreatest);
            if (e.occType == 0) {
                continue;
            }
            const double m = e.atGreatest.ScaledDistance();
            e.gamma = e.atGreatest.y < 0.0 ? -m : m;
            events.push_back(e);
        }
    }
    std::sort(events.begin(), events.end(), [](const FoundEvent& a, const FoundEvent& b) {
        return a.jdGreatest < b.jdGreatest || (a.jdGreatest == b.jdGreatest && a.planet < b.planet);
    });
    return events;
}

std::array<double, astro::kElementCount> DirectElementValues(const Ephemeris& eph,
                                                             const astro::BesselRecord& record,
                                                             double t, double referenceM) {
    const double jd0 =
        astro::CalendarToJD(record.Year, record.Month, record.Day, record.T0Hour, 0.0, 0.0);
    auto v = RecordUnits(ComputeElements(eph, record.Planet, jd0 + t / 24.0));
    v[astro::kM] = Unwrap(v[astro::kM], referenceM);
    return v;
}

double PolynomialValue(const astro::BesselRecord& record, std::size_t element, double t) {
    const auto& c = record.coef[element];
    return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
}

BuiltRecord BuildRecord(const Ephemeris& eph, const FoundEvent& event) {
    const ReferenceHour ref = NearestHour(event.jdGreatest);
    BuiltRecord out;
    astro::BesselRecord& r = out.record;
    r.Year = static_cast<std::int16_t>(ref.year);
    r.Month = static_cast<std::int16_t>(ref.month);
    r.Day = static_cast<std::int16_t>(ref.day);
    r.T0Hour = static_cast<std::int16_t>(ref.hour);
    r.OccType = static_cast<std::int16_t>(event.occType);
    r.Planet = static_cast<std::int16_t>(event.planet);
    r.Gamma = static_cast<float>(event.gamma);
    r.EventJD = event.jdGreatest;

    // Samples over +-4 h; M is unwrapped along the samples from its value at T0 in [0, 360).
    const double muAtT0 = ComputeElements(eph, event.planet, ref.jd).mu * kRadToDeg;
    constexpr int kSamplesPerSide = static_cast<int>(kFitHalfWidth * 60.0) / kFitStepMinutes;
    std::vector<double> s;
    std::array<std::vector<double>, astro::kElementCount> values;
    for (int i = -kSamplesPerSide; i <= kSamplesPerSide; ++i) {
        const double t = i * kFitStepMinutes / 60.0;
        // The sidereal rate keeps the reference within a few degrees of the true M.
        const auto v = DirectElementValues(eph, r, t, muAtT0 + 15.04 * t);
        s.push_back(t / kFitHalfWidth);
        for (std::size_t k = 0; k < astro::kElementCount; ++k) {
            values[k].push_back(v[k]);
        }
    }
    for (std::size_t k = 0; k < astro::kElementCount; ++k) {
        const auto c = FitCubic(s, values[k]);
        double scale = 1.0;
        for (std::size_t j = 0; j < 4; ++j) {
            r.coef[k][j] = QuantizeCoefficient(c[j] / scale);
            scale *= kFitHalfWidth;
        }
    }

    // Verification against the direct computation on a finer grid than the fit's.
    constexpr int kChecksPerSide = static_cast<int>(kCheckHalfWidth * 60.0) / kCheckStepMinutes;
    for (int i = -kChecksPerSide; i <= kChecksPerSide; ++i) {
        const double t = i * kCheckStepMinutes / 60.0;
        const double polyM = PolynomialValue(r, astro::kM, t);
        const auto v = DirectElementValues(eph, r, t, polyM);
        for (std::size_t k = 0; k < astro::kElementCount; ++k) {
            out.residuals[k] =
                std::max(out.residuals[k], std::fabs(PolynomialValue(r, k, t) - v[k]));
        }
    }
    return out;
}

bool WithinLimits(const Residuals& res) {
    return res[astro::kX] <= kMaxErrorXY && res[astro::kY] <= kMaxErrorXY
           && res[astro::kD] <= kMaxErrorAngleDeg && res[astro::kM] <= kMaxErrorAngleDeg;
}

std::vector<std::uint8_t> EncodeCatalogue(const std::vector<astro::BesselRecord>& records) {
    if (records.size() > static_cast<std::size_t>(astro::kEventCount)) {
        throw std::invalid_argument("more than 1780 records");
    }
    std::vector<std::uint8_t> bytes(astro::kRecordSize * astro::kEventCount, 0);
    for (std::size_t i = 0; i < records.size(); ++i) {
        astro::EncodeRecord(records[i], bytes.data() + i * astro::kRecordSize);
    }
    return bytes;
}

}  // namespace zimbalo::catalogue
