#include "lists/calendar_export.h"

#include <array>
#include <cmath>
#include <libical/ical.h>
#include <memory>

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include "astro/local_circumstances.h"
#include "lists/cp1252.h"
#include "lists/list_text.h"
#include "lists/number_text.h"
#include "lists/zone_clock.h"

namespace zimbalo::lists {

namespace {

struct CalendarWords {
    const char* summary;  // followed by the planet's name
    std::array<const char*, 6> instants;
    const char* ut;
    const char* altitude;  // followed by the planet's name
    const char* sun;
    const char* occultation;
    const char* magnitude;
    const char* event;
    const char* place;
};

constexpr std::array<CalendarWords, 3> kWords = {{
    {"Mond bedeckt ",
     {"", "1. Kontakt", "2. Kontakt", "Maximum", "3. Kontakt", "4. Kontakt"},
     "UT",
     "Höhe ",
     "Sonne",
     "Bedeckung",
     "Größe",
     "Ereignis Nr.",
     "Ort"},
    {"Moon occults ",
     {"", "1st contact", "2nd contact", "Maximum", "3rd contact", "4th contact"},
     "UT",
     "altitude of ",
     "Sun",
     "Occultation",
     "magnitude",
     "Event no.",
     "Place"},
    {"La Lune occulte ",
     {"", "1er contact", "2e contact", "Maximum", "3e contact", "4e contact"},
     "TU",
     "hauteur de ",
     "Soleil",
     "Occultation",
     "magnitude",
     "Événement n°",
     "Lieu"},
}};

// Owns a libical component and frees it with its children.
struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype UtcTime(double jdUT) {
    return icaltime_from_timet_with_zone(static_cast<time_t>(UnixSecondsOf(jdUT)), 0,
                                         icaltimezone_get_utc_timezone());
}

std::string Degrees(double value) {
    return FormatFixed(std::round(value), 0) + "°";
}

std::string PlaceText(const HomePlace& place, Language language) {
    return Cp1252ToUtf8(LatitudeText(place.latitudeDeg) + " "
                        + LongitudeText(place.longitudeDeg, language));
}

std::string Description(const ComingRow& row, const HomePlace& place, const ZoneClock& clock,
                        Language language) {
    const CalendarWords& w = kWords[LanguageIndex(language)];
    const std::string planet = PlanetFullName(row.planet, language);
    std::string text = std::string(w.occultation) + ": " + KindText(row.kind, language) + ", "
                       + w.magnitude + " " + FormatFixed(row.magnitude, 3) + "\n";
    text += std::string(w.place) + ": " + (place.name.empty() ? "" : place.name + ", ")
            + PlaceText(place, language) + "\n";
    for (std::size_t i = 1; i <= 5; ++i) {
        if (!row.shown[i]) {
            continue;
        }
        const LocalTime local = clock.At(row.jdUT[i]);
        const LocalTime ut = UniversalTimeAt(row.jdUT[i]);
        text += std::string(w.instants[i]) + ": " + DateText(local) + " " + ClockText(local) + " "
                + local.abbreviation + " (" + ClockText(ut) + " " + w.ut + "), P "
                + Degrees(row.pDeg[i]) + ", V " + Degrees(row.vDeg[i]) + ", " + w.altitude + planet
                + " " + Degrees(row.planetAltDeg[i]) + ", " + w.sun + " "
                + Degrees(row.sunAltDeg[i]) + "\n";
    }
    text += std::string(w.event) + " " + FormatInt(row.number);
    return text;
}

Component EventOf(const ComingRow& row, const HomePlace& place, const ZoneClock& clock,
                  Language language, icaltimetype stamp) {
    const auto [first, last] = ShownSpan(row);
    const std::string summary = CalendarSummary(row.planet, language);
    Component event(icalcomponent_new_vevent());
    icalcomponent* e = event.get();
    icalcomponent_add_property(e, icalproperty_new_uid(CalendarUid(row.number, place).c_str()));
    icalcomponent_add_property(e, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(e, icalproperty_new_dtstart(UtcTime(row.jdUT[first])));
    // An end must lie after the start; with one instant shown the event has no length.
    if (UnixSecondsOf(row.jdUT[last]) > UnixSecondsOf(row.jdUT[first])) {
        icalcomponent_add_property(e, icalproperty_new_dtend(UtcTime(row.jdUT[last])));
    }
    icalcomponent_add_property(e, icalproperty_new_summary(summary.c_str()));
    const std::string location = place.name.empty() ? PlaceText(place, language) : place.name;
    icalcomponent_add_property(e, icalproperty_new_location(location.c_str()));
    // GEO from our own text: libical writes its numbers with the C library's locale, which
    // may put a decimal comma there.
    const std::string geo =
        "GEO:" + FormatFixed(place.latitudeDeg, 6) + ";" + FormatFixed(place.longitudeDeg, 6);
    if (icalproperty* p = icalproperty_new_from_string(geo.c_str())) {
        icalcomponent_add_property(e, p);
    }
    const std::string description = Description(row, place, clock, language);
    icalcomponent_add_property(e, icalproperty_new_description(description.c_str()));

    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(
        alarm, icalproperty_new_trigger(icaltriggertype_from_int(-60 * kReminderMinutes)));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
    icalcomponent_add_component(e, alarm);
    return event;
}

}  // namespace

std::int64_t UnixSecondsOf(double jdUT) {
    const LocalTime ut = UniversalTimeAt(jdUT);
    // Days from the civil date (proleptic Gregorian), so that the seconds are exactly those of
    // the clock text.
    const int y = ut.year - (ut.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = ut.month > 2 ? ut.month - 3 : ut.month + 9;
    const std::int64_t doy = (153 * mp + 2) / 5 + ut.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + ut.hour * 3600 + ut.minute * 60 + ut.second;
}

std::string CalendarUid(int eventNumber, const HomePlace& place) {
    return FormatInt(eventNumber) + "-" + FormatFixed(std::fabs(place.latitudeDeg), 4)
           + (place.latitudeDeg < 0.0 ? "S" : "N") + "-"
           + FormatFixed(std::fabs(place.longitudeDeg), 4) + (place.longitudeDeg < 0.0 ? "W" : "E")
           + "@zimbalo";
}

std::string CalendarSummary(int planet, Language language) {
    return kWords[LanguageIndex(language)].summary + PlanetFullName(planet, language);
}

std::string CalendarText(const std::vector<ComingRow>& rows, const HomePlace& place,
                         Language language, std::int64_t stampUnixSeconds) {
    const ZoneClock clock(place.zone);
    const icaltimetype stamp = icaltime_from_timet_with_zone(static_cast<time_t>(stampUnixSeconds),
                                                             0, icaltimezone_get_utc_timezone());
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Zimbalo//Zimbalo//EN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    for (const ComingRow& row : rows) {
        icalcomponent_add_component(calendar.get(),
                                    EventOf(row, place, clock, language, stamp).release());
    }
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text != nullptr ? text : "";
    icalmemory_free_buffer(text);
    return result;
}

void SaveCalendar(const std::string& text, const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        throw CalendarFileError("Calendar file \"" + path + "\" cannot be created: "
                                + file.errorString().toStdString() + ".");
    }
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        throw CalendarFileError("Calendar file \"" + path + "\" cannot be written: "
                                + file.errorString().toStdString() + ".");
    }
}

}  // namespace zimbalo::lists
