#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "astro/language.h"
#include "lists/coming_occultations.h"

/// Coming occultations as an iCalendar file (RFC 5545) that calendar programs import: one event
/// per occultation from the first to the last instant the place list shows, with a reminder half
/// an hour before.
namespace zimbalo::lists {

/// A calendar file that cannot be written; the message names the file.
class CalendarFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Minutes before the start of an event at which its reminder goes off.
inline constexpr int kReminderMinutes = 30;

/// The unique id of an event at a place: the catalogue number and the place's coordinates, e.g.
/// "1211-47.5584N-7.5733E@zimbalo"; the same in every export.
std::string CalendarUid(int eventNumber, const HomePlace& place);

/// The summary of a row in `language`, UTF-8, e.g. "Moon occults Saturn".
std::string CalendarSummary(int planet, Language language);

/// The iCalendar text (UTF-8, CR LF, folded lines) of `rows` at `place`: per row a VEVENT with
/// DTSTART and DTEND in UTC at the first and last shown instant (rounded to whole seconds as the
/// clock columns), UID, SUMMARY, LOCATION, GEO, a DESCRIPTION with the shown instants in the
/// place's clock time and UT, position angles and altitudes, and a display alarm
/// `kReminderMinutes` before. `stampUnixSeconds` is the creation time written as DTSTAMP.
std::string CalendarText(const std::vector<ComingRow>& rows, const HomePlace& place,
                         Language language, std::int64_t stampUnixSeconds);

/// Writes `text` to `path` (replacing it only once all is written). Throws `CalendarFileError`.
void SaveCalendar(const std::string& text, const std::string& path);

/// Whole seconds since 1970-01-01 UT of the Julian date `jdUT`, rounded as `UniversalTimeAt`.
std::int64_t UnixSecondsOf(double jdUT);

}  // namespace zimbalo::lists
