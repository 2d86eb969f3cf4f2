#include "astro/time_scales.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "astro/constants.h"
#include "astro/numeric.h"

namespace zimbalo::astro {

namespace {

// 1000 Julian years are exactly 365250 days: shifting a date by them keeps the integer parts of the
// calendar formulas positive without changing the result.
constexpr int kShiftYears = 1000;
constexpr double kShiftDays = 365250.0;

// Largest Julian date (in days either side of 0) that `JDToCalendar` converts as it is: about
// 2.7 million years.
constexpr double kCalendarJDLimit = 1.0e9;

// Hours from which `HoursToHMS` shows stars.
constexpr double kHoursToHMSLimit = 1000.0;

// Delta T in seconds for the years 1961..2020, from observation (TT - UT1 as derived from the
// Earth's measured rotation), one value per year.
constexpr std::array<double, 60> kDeltaTTable = {
    33.59,   34.00,   34.47,   35.03,   35.73,   36.54,   37.43,   38.29,   39.20,   40.18,
    41.17,   42.23,   43.8763, 44.9302, 45.9133, 46.9247, 46.9678, 49.0319, 50.0347, 50.9187,
    51.7573, 52.5180, 53.3747, 54.0536, 54.5977, 55.0912, 55.5524, 56.07,   56.5352, 57.1738,
    57.9058, 58.6917, 59.5242, 60.3530, 61.1870, 61.9497, 62.6136, 63.2599, 63.6444, 63.9691,
    64.2094, 64.4151, 64.5597, 64.6549, 64.8001, 64.9794, 65.3279, 65.64,   66.2,    66.8,
    67.0,    66.7708, 67.1266, 67.4858, 67.8606, 68.3964, 68.8,    69.1,    69.5,    70.0};

// The expressions before 1961 and after 2020 are the polynomial expressions for Delta T of
// F. Espenak and J. Meeus, "Five Millennium Canon of Solar Eclipses: -1999 to +3000",
// NASA/TP-2006-214141 (2006), with their decimal year y = year + (month - 0.5) / 12; those before
// 1961 and those outside -500..2150 add their correction c for a lunar secular acceleration of
// -25.858"/cy^2 (the expressions assume -26").
// The years 1961..2020 take the observed table instead; the 2005..2050 expression, used from 2021,
// has its constant 62.92 s lowered to 60.7 s, which meets the table's 70 s of 2020.
double DeltaTUnrounded(double yr, double mo) {
    const double y = yr + (mo - 0.5) / 12.0;
    const double c = -0.000012932 * (y - 1955.0) * (y - 1955.0);
    if (yr < -500.0 || yr >= 2150.0) {
        const double u = (y - 1820.0) / 100.0;
        return -20.0 + 32.0 * u * u + c;
    }
    if (yr < 500.0) {
        const double u = y / 100.0;
        return 10583.6 - 1014.41 * u + 33.78311 * u * u - 5.952053 * u * u * u
               - 0.1798452 * std::pow(u, 4) + 0.022174192 * std::pow(u, 5)
               + 0.0090316521 * std::pow(u, 6) + c;
    }
    if (yr < 1600.0) {
        const double u = (y - 1000.0) / 100.0;
        return 1574.2 - 556.01 * u + 71.23472 * u * u + 0.319781 * u * u * u
               - 0.8503463 * std::pow(u, 4) - 0.005050998 * std::pow(u, 5)
               + 0.0083572073 * std::pow(u, 6) + c;
    }
    if (yr < 1700.0) {
        const double t = y - 1600.0;
        return 120.0 - 0.9808 * t - 0.01532 * t * t + t * t * t / 7129.0 + c;
    }
    if (yr < 1800.0) {
        const double t = y - 1700.0;
        return 8.83 + 0.1603 * t - 0.0059285 * t * t + 0.00013336 * t * t * t
               - std::pow(t, 4) / 1174000.0 + c;
    }
    if (yr < 1860.0) {
        const double t = y - 1800.0;
        return 13.72 - 0.332447 * t + 0.0068612 * t * t + 0.0041116 * t * t * t
               - 0.00037436 * std::pow(t, 4) + 0.0000121272 * std::pow(t, 5)
               - 0.0000001699 * std::pow(t, 6) + 0.000000000875 * std::pow(t, 7) + c;
    }
    if (yr < 1900.0) {
        const double t = y - 1860.0;
        return 7.62 + 0.5737 * t - 0.251754 * t * t + 0.01680668 * t * t * t
               - 0.0004473624 * std::pow(t, 4) + std::pow(t, 5) / 233174.0 + c;
    }
    if (yr < 1920.0) {
        const double t = y - 1900.0;
        return -2.79 + 1.494119 * t - 0.0598939 * t * t + 0.0061966 * t * t * t
               - 0.000198 * std::pow(t, 4) + c;
    }
    if (yr < 1941.0) {
        const double t = y - 1920.0;
        return 21.20 + 0.84493 * t - 0.0761 * t * t + 0.0020936 * t * t * t + c;
    }
    if (yr < 1961.0) {
        const double t = y - 1950.0;
        return 29.07 + 0.407 * t - t * t / 233.0 + t * t * t / 2547.0 + c;
    }
    if (yr <= 2020.0) {
        return kDeltaTTable[static_cast<std::size_t>(yr - 1961.0)];
    }
    if (yr <= 2050.0) {
        const double t = y - 2000.0;
        return 60.7 + 0.32217 * t + 0.005589 * t * t;
    }
    const double u = (y - 1820.0) / 100.0;
    return -20.0 + 32.0 * u * u - 0.5628 * (2150.0 - y);
}

// The Sun's position of low accuracy (about 0.01 degree) of J. Meeus, "Astronomical Algorithms",
// 2nd ed. (1998), ch. 25: geometric mean longitude L0 (eq. 25.2), mean anomaly M (eq. 25.3), the
// equation of the centre C and the apparent longitude corrected for nutation and aberration
// through Omega; the mean obliquity is eq. 22.2 to its term in T.
struct SunPosition {
    double lambda;   // apparent ecliptic longitude, radians
    double epsilon;  // mean obliquity, radians
};

SunPosition SunLongitude(double jd) {
    const double t = (jd - 2451545.0) / 36525.0;
    const double m = (357.52911 + 35999.05029 * t - 0.0001537 * t * t) * kDegToRad;
    const double l0 = 280.46646 + 36000.76983 * t + 0.0003032 * t * t;
    const double c = (1.914602 - 0.004817 * t - 0.000014 * t * t) * std::sin(m)
                     + (0.019993 - 0.000101 * t) * std::sin(2.0 * m) + 0.000289 * std::sin(3.0 * m);
    const double omega = (125.04 - 1934.136 * t) * kDegToRad;
    const double lambda = (l0 + c - 0.00569 - 0.00478 * std::sin(omega)) * kDegToRad;
    const double epsilon = (23.43929111 - 0.013004167 * t) * kDegToRad;
    return {lambda, epsilon};
}

}  // namespace

// Julian day from a calendar date and back: J. Meeus, "Astronomical Algorithms", 2nd ed. (1998),
// ch. 7, both with the Julian calendar up to 1582 October 4 and the Gregorian after.
double CalendarToJD(int year, int month, int day, double hour, double minute, double second) {
    // The number of 1000-year shifts that lifts the year to 333 or above, computed at once so that
    // a year far in the past costs no more than any other.
    long long y = year;
    const long long n = y < 333 ? (333 - y + kShiftYears - 1) / kShiftYears : 0;
    y += n * kShiftYears;
    long long m = month;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    // Dates after 1582-10-10 are Gregorian (the comparison uses the month-shifted year and month).
    long long b = 0;
    if (static_cast<double>(y) * 365.25 + 30.0 * static_cast<double>(m) + day > 578135.5) {
        const long long a = y / 100;
        b = 2 - a + a / 4;
    }
    double jd = std::trunc(365.25 * static_cast<double>(y + 4716))
                + std::trunc(30.60001 * static_cast<double>(m + 1)) + day + static_cast<double>(b)
                - 1524.5;
    jd -= static_cast<double>(n) * kShiftDays;
    return jd + hour / 24.0 + minute / 1440.0 + second / 86400.0;
}

CalendarDate JDToCalendar(double jd) {
    // Beyond the limit the date is that of the limit; this keeps every integer of the calendar
    // formulas far inside its range, whatever the argument.
    if (std::isnan(jd)) {
        jd = 0.0;
    }
    jd = std::clamp(jd, -kCalendarJDLimit, kCalendarJDLimit);
    // As many 1000-year shifts as lift the date to JD 1800000 or above, computed at once.
    const double shifts = jd < 1800000.0 ? std::ceil((1800000.0 - jd) / kShiftDays) : 0.0;
    const int n = static_cast<int>(shifts);
    jd += shifts * kShiftDays;
    const auto z = static_cast<long long>(std::trunc(jd + 0.5));
    long long a = z;
    if (z >= 2299161) {
        const auto alpha =
            static_cast<long long>(std::trunc((static_cast<double>(z) - 1867216.25) / 36524.25));
        a = z + 1 + alpha - alpha / 4;
    }
    const long long b = a + 1524;
    const auto c = static_cast<long long>(std::trunc((static_cast<double>(b) - 122.1) / 365.25));
    const auto dd = static_cast<long long>(std::trunc(static_cast<double>(c) * 365.25));
    const auto e = static_cast<long long>(std::trunc(static_cast<double>(b - dd) / 30.60001));

    CalendarDate out;
    out.day = static_cast<int>(
        b - dd - static_cast<long long>(std::trunc(static_cast<double>(e) * 30.60001)));
    out.month = static_cast<int>(e > 13 ? e - 13 : e - 1);
    out.year = static_cast<int>(out.month > 2 ? c - 4716 : c - 4715) - kShiftYears * n;

    // The time of day comes from the fraction of the (shifted) Julian date alone.
    double f = (jd - std::trunc(jd)) + 0.5;
    if (f == 1.0) {
        f = 0.0;
    }
    auto ms = static_cast<std::int64_t>(std::trunc(f * 86400000.0 + 0.5));
    std::int64_t hour = ms / 3600000;
    ms -= hour * 3600000;
    const std::int64_t minute = ms / 60000;
    ms -= minute * 60000;
    if (hour > 23) {
        hour -= 24;
    }
    out.hour = static_cast<double>(hour);
    out.minute = static_cast<double>(minute);
    out.second = static_cast<double>(ms) / 1000.0;
    return out;
}

double DeltaT(double year, double month) {
    // Ties go to the even neighbour (the default floating-point rounding mode).
    return std::nearbyint(DeltaTUnrounded(year, month) * 10.0) / 10.0;
}

double SiderealTime(double jdUT) {
    // Mean sidereal time at Greenwich for any instant: J. Meeus, "Astronomical Algorithms", 2nd ed.
    // (1998), ch. 12, eq. 12.4.
    const double d = jdUT - 2451545.0;
    const double t = d / 36525.0;
    const double theta =
        280.46061837 + 360.98564736629 * d + 0.000387933 * t * t - t * t * t / 38710000.0;
    return FMod(theta * kDegToRad, kTwoPi);
}

double SunDeclination(double jd) {
    const SunPosition sun = SunLongitude(jd);
    return ArcSinClamped(std::sin(sun.epsilon) * std::sin(sun.lambda));
}

double SunRightAscension(double jd) {
    const SunPosition sun = SunLongitude(jd);
    double alpha = ArcTan2(std::cos(sun.epsilon) * std::sin(sun.lambda), std::cos(sun.lambda));
    if (alpha < 0.0) {
        alpha += kTwoPi;
    }
    return alpha;
}

double Altitude(double jdUT, double ra, double dec, double lonEast, double lat) {
    const double h = SiderealTime(jdUT) + lonEast - ra;
    return ArcSinClamped(std::sin(lat) * std::sin(dec)
                         + std::cos(lat) * std::cos(dec) * std::cos(h));
}

std::string HoursToHMS(int precision, double hours) {
    static constexpr std::array<std::int64_t, 5> kFactor = {1, 10, 100, 1000, 10000};
    static constexpr std::array<int, 5> kWidth = {2, 4, 5, 6, 7};
    const auto p = static_cast<std::size_t>(precision < 0 ? 0 : (precision > 4 ? 4 : precision));
    const std::int64_t factor = kFactor[p];

    const char sign = hours < 0.0 ? '-' : ' ';
    // From 1000 hours on the hours no longer fit the layout (their leading digits or the sign
    // would be cut off), and the count below could overflow: such spans, and values that are not
    // numbers, show stars in the places of the digits.
    const double scaled = std::trunc(std::fabs(hours) * 3600.0 * static_cast<double>(factor) + 0.5);
    if (!(scaled < kHoursToHMSLimit * 3600.0 * static_cast<double>(factor))) {
        std::string stars = " ";
        stars += sign;
        stars += "**:**:**";
        if (p > 0) {
            stars += '.';
            stars.append(p, '*');
        }
        return stars;
    }
    const auto count = static_cast<std::int64_t>(scaled);
    const std::int64_t s = count % (60 * factor);
    const double seconds = static_cast<double>(s) / static_cast<double>(factor);
    const std::int64_t minutesTotal = (count - s) / (60 * factor);
    const std::int64_t mm = minutesTotal % 60;
    const std::int64_t hh = (minutesTotal - mm) / 60;

    std::string head = "    ";
    head += sign;
    if (hh < 10) {
        head += '0';
    }
    head += std::to_string(hh);
    head += ':';
    std::string text = head.substr(head.size() - 5);

    const std::string mmText = std::to_string(mm);
    text += std::string(2 - mmText.size(), ' ') + mmText + ':';

    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed,
                                   static_cast<int>(p));
    const std::string secText(buf, res.ptr);
    const auto width = static_cast<std::size_t>(kWidth[p]);
    if (secText.size() < width) {
        text += std::string(width - secText.size(), ' ');
    }
    text += secText;

    for (std::size_t i = 2; i < text.size(); ++i) {
        if (text[i] == ' ') {
            text[i] = '0';
        }
    }
    return text;
}

EventInstant InstantOfEvent(int year, int month, int day, int t0Hour, double t, double deltaT) {
    EventInstant out;
    out.jdTT = CalendarToJD(year, month, day, t0Hour, 0.0, t * 3600.0);
    const double ut = CalendarToJD(year, month, day, t0Hour, 0.0, t * 3600.0 - deltaT);
    out.jdUT = std::nearbyint(ut * 86400.0) / 86400.0;
    return out;
}

}  // namespace zimbalo::astro
