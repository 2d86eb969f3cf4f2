#pragma once

#include <string>

/// Time scales: calendar and Julian dates, Delta T, sidereal time, the Sun, altitudes, h:mm:ss
/// text.
namespace zimbalo::astro {

/// A calendar date (astronomical year numbering; Julian calendar up to 1582-10-04, Gregorian after)
/// with the time of day.
struct CalendarDate {
    int year = 0;
    int month = 1;
    int day = 1;
    double hour = 0.0;    ///< whole number 0..23
    double minute = 0.0;  ///< whole number 0..59
    double second = 0.0;  ///< millisecond resolution
};

/// Julian date of a calendar date and time of day (same time scale in and out). Hour, minute and
/// second may carry fractions or lie outside their usual ranges.
double CalendarToJD(int year, int month, int day, double hour, double minute, double second);

/// Calendar date and time of day of a Julian date. A time of day that rounds to 24:00:00.000 gives
/// hour 0 of the same calendar day (the day is not advanced). Julian dates beyond +-1e9 days
/// (some 2.7 million years) give the date of that limit, and one that is not a number that of JD 0.
CalendarDate JDToCalendar(double jd);

/// TT - UT in seconds for a whole year and month (1..12), rounded to tenths of a second.
double DeltaT(double year, double month);

/// Greenwich mean sidereal time of a Julian date (UT), radians in [0, 2 pi).
double SiderealTime(double jdUT);

/// Apparent declination of the Sun (mean obliquity of date), radians.
double SunDeclination(double jd);

/// Apparent right ascension of the Sun (mean obliquity of date), radians in [0, 2 pi).
double SunRightAscension(double jd);

/// Geometric altitude (no refraction) of a body at right ascension `ra` and declination `dec`
/// seen from east longitude `lonEast` and latitude `lat` at the Julian date (UT); all radians.
double Altitude(double jdUT, double ra, double dec, double lonEast, double lat);

/// Text of a signed time span in hours: two lead characters (a blank, then "-" or a blank), then
/// hh:mm:ss with `precision` (0..4) decimals of seconds, e.g. "  01:30:00" or " -00:15:00.0".
/// Precision values outside 0..4 are clamped. Spans that round to 1000 hours or more, and values
/// that are not numbers, keep the layout with "*" in place of every digit (" -**:**:**.*").
std::string HoursToHMS(int precision, double hours);

/// The TT and UT Julian dates of an instant `t` hours after an event's reference hour.
struct EventInstant {
    double jdTT = 0.0;
    double jdUT = 0.0;  ///< rounded to whole seconds, as displayed
};

/// Julian dates of the instant t hours (TT) after T0 = year-month-day T0Hour:00 TT, with the
/// given Delta T in seconds (0 while the time scale TT is shown).
EventInstant InstantOfEvent(int year, int month, int day, int t0Hour, double t, double deltaT);

}  // namespace zimbalo::astro
