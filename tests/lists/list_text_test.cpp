#include "lists/list_text.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "astro/numeric.h"
#include "lists/cp1252.h"

namespace zimbalo::lists {
namespace {

using astro::StadtType;

constexpr double kDeg = astro::kDegToRad;

// An event record with simple dates; only the fields the lines read matter. EventJD lies at a
// mean full moon (2024-03-25), so M16 is 8.
astro::BesselRecord LineRecord(int t0Hour) {
    astro::BesselRecord r;
    r.Year = 2024;
    r.Month = 3;
    r.Day = 14;
    r.T0Hour = static_cast<std::int16_t>(t0Hour);
    r.Planet = 2;
    r.NS = 0;
    r.EventJD = 2460395.0;
    return r;
}

// Offset from T0 of a UT time of day on the record's day, for Delta T = 72 s (0.02 h).
double At(int t0Hour, int h, int m, int s) {
    return h + m / 60.0 + s / 3600.0 - t0Hour + 0.02;
}

void SetInstant(StadtType& p, std::size_t i, double t, double pDeg, double vDeg, double hDeg,
                double sDeg) {
    p.Zeit[i] = t;
    p.P[i] = pDeg * kDeg;
    p.V[i] = vDeg * kDeg;
    p.H[i] = hDeg * kDeg;
    p.S[i] = sDeg * kDeg;
}

// Basel, a total occultation seen at all five instants, the Sun below the horizon at most.
StadtType TotalAtBasel() {
    StadtType p;
    p.Land = "Schweiz";
    p.Stadt = "Basel";
    p.Breite = 47.5583;
    p.Laenge = 7.5733;
    p.Hoehe = 260;
    p.Einwohner = 164488;
    p.Typ = 't';
    p.Magn = 123.456;
    SetInstant(p, 1, At(12, 11, 0, 0), 250.4, 315.0, 60.0, -12.346);
    SetInstant(p, 2, At(12, 11, 0, 20), 70.6, 135.4, 60.1, -12.3);
    SetInstant(p, 3, At(12, 11, 30, 0), 340.0, 340.6, 62.0, -5.0);
    SetInstant(p, 4, At(12, 12, 1, 10), 250.2, 186.0, 63.9, -0.4);
    SetInstant(p, 5, At(12, 12, 1, 30), 70.8, 6.0, 64.0, 0.6);
    return p;
}

// A partial occultation near midnight UT: the first contact (on the day before) and the fourth
// contact have the planet below the horizon, only the maximum is seen.
StadtType PartialAtCapeTown() {
    StadtType p;
    p.Land = "My country";
    p.Stadt = "Cape Town";
    p.Breite = -33.5;
    p.Laenge = 18.4167;
    p.Hoehe = 25;
    p.Einwohner = 0;
    p.Typ = 'p';
    p.Magn = 0.5;
    SetInstant(p, 1, At(0, -1, 50, 0), 1.0, 2.0, -2.0, -30.0);
    SetInstant(p, 3, At(0, 0, 10, 0), 12.0, 350.0, 10.0, -20.0);
    SetInstant(p, 5, At(0, 0, 30, 0), 3.0, 4.0, -3.0, -15.0);
    p.H[2] = astro::kNotComputed;
    p.H[4] = astro::kNotComputed;
    return p;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

int CountOf(const std::string& s, char c) {
    return static_cast<int>(std::count(s.begin(), s.end(), c));
}

TEST(ListLines, TotalInBothFormats) {
    const auto record = LineRecord(12);
    const StadtType p = TotalAtBasel();
    const std::string tab = TabLine(ListKind::CityList, record, p, 72.0, Language::German);
    EXPECT_EQ(tab,
              "2024\t3\t14\t72.0\tt\tVenus  \t8\t0\tSchweiz\tBasel\t47\xB0"
              "33'N\t007\xB0"
              "34'O\t260\t164488\t"
              "11:00:00\t250.40\t315.00\t60.00\t-12.35\t"
              "11:00:20\t70.60\t135.40\t60.10\t-12.30\t"
              "11:30:00\t340.00\t340.60\t62.00\t-5.00\t123.5\t01:00:50\t"
              "12:01:10\t250.20\t186.00\t63.90\t-0.40\t"
              "12:01:30\t70.80\t6.00\t64.00\t0.60");
    EXPECT_EQ(CountOf(tab, '\t'), 40);  // 41 fields

    EXPECT_EQ(FixedLine(ListKind::CityList, record, p, 72.0, Language::German),
              " 2024  3 14 t Venus     8 Schweiz    Basel      47\xB0"
              "33'N 007\xB0"
              "34'O   164488 "
              "11:00:00 250 315 60 -12 "
              "11:00:20  71 135 60 -12 "
              "11:30:00 340 341 62  -5 123.5 1:00:50 "
              "12:01:10 250 186 64   0 "
              "12:01:30  71   6 64   1 ");

    // The place history shows three decimals of the magnitude, and in its own columns.
    const std::string histTab = TabLine(ListKind::CityHist, record, p, 72.0, Language::German);
    EXPECT_NE(histTab.find("\t123.456\t01:00:50\t"), std::string::npos);
    EXPECT_EQ(FixedLine(ListKind::CityHist, record, p, 72.0, Language::German),
              " 2024  3 14     72 t Basel Venus     8  0 "
              "11:00:00 250 315 60 -12 "
              "11:00:20  71 135 60 -12 "
              "11:30:00 340 341 62  -5 123.456 1:00:50 "
              "12:01:10 250 186 64   0 "
              "12:01:30  71   6 64   1 ");
}

TEST(ListLines, PartialWithAbsentBlocks) {
    const auto record = LineRecord(0);
    const StadtType p = PartialAtCapeTown();
    // Date of the maximum (the first instant above the horizon), not of the first contact; the
    // line ends with the tab after the third contact's empty block.
    EXPECT_EQ(TabLine(ListKind::CityHist, record, p, 72.0, Language::English),
              "2024\t3\t14\t72.0\tp\tVenus  \t8\t0\tMy country\tCape Town\t33\xB0"
              "30'S\t018\xB0"
              "25'E\t25\t0\t"
              "\t\t\t\t\t"
              "\t\t\t\t\t"
              "00:10:00\t12.00\t350.00\t10.00\t-20.00\t0.500\t\t"
              "\t\t\t\t\t");
    EXPECT_EQ(FixedLine(ListKind::CityHist, record, p, 72.0, Language::English),
              " 2024  3 14     72 p Cape  Venus     8  0 " + std::string(48, ' ')
                  + "00:10:00  12 350 10 -20 0.500 " + std::string(8, ' ') + std::string(48, ' '));
    EXPECT_EQ(FixedLine(ListKind::CityList, record, p, 72.0, Language::French),
              " 2024  3 14 p V\xE9nus     8 My country Cape Town  33\xB0"
              "30'S 018\xB0"
              "25'E        0 "
                  + std::string(48, ' ') + "00:10:00  12 350 10 -20   0.5 " + std::string(8, ' ')
                  + std::string(48, ' '));
}

TEST(ListLines, TimeThatRoundsToMidnight) {
    const auto record = LineRecord(23);
    StadtType p = PartialAtCapeTown();
    p.H[1] = p.H[5] = -1.0;
    p.Zeit[3] = 0.99999;  // 23:59:59.964 UT with Delta T = 0
    const std::string tab = TabLine(ListKind::CityList, record, p, 0.0, Language::German);
    EXPECT_EQ(tab.substr(0, 15), "2024\t3\t14\t0.0\tp");  // the date is not advanced
    EXPECT_NE(tab.find("\t24:00:00\t"), std::string::npos);
    EXPECT_NE(FixedLine(ListKind::CityList, record, p, 0.0, Language::German).find(" 24:00:00 "),
              std::string::npos);
}

TEST(ListLines, NamesAreCutAndNumbersAreNot) {
    const auto record = LineRecord(12);
    StadtType p = TotalAtBasel();
    p.Land = "Deutschland";
    p.Stadt = "Frankfurt am Main";
    p.Einwohner = 123456789;
    p.Magn = 1234.5678;
    const std::string list = FixedLine(ListKind::CityList, record, p, 72.0, Language::German);
    EXPECT_NE(list.find(" Deutschlan Frankfurt  47"), std::string::npos);
    EXPECT_NE(list.find(" 123456789 11:00:00"), std::string::npos);
    EXPECT_NE(list.find(" 1234.6 1:00:50 "), std::string::npos);
    const std::string hist = FixedLine(ListKind::CityHist, record, p, 72.0, Language::German);
    EXPECT_NE(hist.find(" 1234.568 1:00:50 "), std::string::npos);

    // A typed name with a tab must not shift the columns of a saved line.
    p.Stadt = "a\tb";
    EXPECT_EQ(CountOf(TabLine(ListKind::CityHist, record, p, 72.0, Language::German), '\t'), 40);
}

TEST(ListLines, CoordinateTexts) {
    EXPECT_EQ(LatitudeText(47.5),
              "47\xB0"
              "30'N");
    EXPECT_EQ(LatitudeText(-33.5),
              "33\xB0"
              "30'S");
    EXPECT_EQ(LatitudeText(0.0),
              "00\xB0"
              "00'N");
    EXPECT_EQ(LatitudeText(89.99999),
              "90\xB0"
              "00'N");  // minutes carry into degrees
    EXPECT_EQ(LongitudeText(7.5, Language::German),
              "007\xB0"
              "30'O");
    EXPECT_EQ(LongitudeText(7.5, Language::English),
              "007\xB0"
              "30'E");
    EXPECT_EQ(LongitudeText(7.5, Language::French),
              "007\xB0"
              "30'E");
    EXPECT_EQ(LongitudeText(-70.5, Language::German),
              "070\xB0"
              "30'W");
    EXPECT_EQ(LongitudeText(-70.5, Language::English),
              "070\xB0"
              "30'W");
    EXPECT_EQ(LongitudeText(-70.5, Language::French),
              "070\xB0"
              "30'O");
    EXPECT_EQ(LongitudeText(-179.999, Language::English),
              "180\xB0"
              "00'W");
}

TEST(ListHeadings, HeaderLinesByteForByte) {
    const std::string contacts =
        "\t1.K.(UT)\tP\xB0\tV\xB0\tH\xB0\tS\xB0\t2.K.(UT)\tP\xB0\tV\xB0\tH\xB0\tS\xB0"
        "\tMax.(UT)\tP\xB0\tV\xB0\tH\xB0\tS\xB0\tmagn\th:mm:ss"
        "\t3.K.(UT)\tP\xB0\tV\xB0\tH\xB0\tS\xB0\t4.K.(UT)\tP\xB0\tV\xB0\tH\xB0\tS\xB0";
    EXPECT_EQ(HeaderLine(ListKind::CityList, Language::German),
              "JJJJ\tMM\tTT\tDeltaT\tTyp\tPl\tM16\tNS\tLand\tOrt\tBreite\tL\xE4nge\tH\xF6he\tEinw."
                  + contacts);
    std::string english = contacts;
    for (const char* k : {"1.", "2.", "3.", "4."}) {
        const auto at = english.find(std::string(k) + "K.");
        english.replace(at, 4, std::string(k) + "C.");
    }
    EXPECT_EQ(HeaderLine(ListKind::CityHist, Language::English),
              "YYYY\tMM\tDD\tDeltaT\tTyp\tPlanet\tM16\tNS\tCountry\tPlace\tLati.\tLongit.\tHeight"
              "\tPopul."
                  + english);
    std::string french = english;
    for (std::size_t at = french.find("(UT)"); at != std::string::npos; at = french.find("(UT)")) {
        french.replace(at, 4, "(TU)");
    }
    EXPECT_EQ(HeaderLine(ListKind::CityHist, Language::French),
              "AAAA\tMM\tJJ\tDeltaT\tTyp\tPlan\xE8te\tL16\tNS\tPays\tLieu\tLatit.\tLongit.\tAltit."
              "\tPopul."
                  + french);
    EXPECT_EQ(CountOf(HeaderLine(ListKind::CityList, Language::French), '\t'), 40);
}

TEST(ListHeadings, SeparatorLines) {
    const std::string list = SeparatorLine(ListKind::CityList, Language::German);
    EXPECT_EQ(CountOf(list, '\t'), 40);
    EXPECT_PRED2(StartsWith, list,
                 "----\t--\t--\t-------\t-\t-\t---\t---\t----------\t----------\t--\xB0--'--H\t---"
                 "\xB0--'--H\t----\t-------\t--:");
    EXPECT_EQ(SeparatorLine(ListKind::CityList, Language::English), list);
    EXPECT_NE(list.find("\t-.-\t-:--:--\t"), std::string::npos);

    const std::string histDe = SeparatorLine(ListKind::CityHist, Language::German);
    const std::string histEn = SeparatorLine(ListKind::CityHist, Language::English);
    EXPECT_PRED2(StartsWith, histDe, "----\t--\t--\t-------\t-\t-------\t---\t--\t");
    EXPECT_NE(histDe.find("\t-.---\t-:--:--\t"), std::string::npos);
    EXPECT_NE(histDe.find("'--H\t----\t-------\t"), std::string::npos);
    EXPECT_NE(histEn.find("'--H\t------\t-------\t"), std::string::npos);
    EXPECT_EQ(SeparatorLine(ListKind::CityHist, Language::French), histEn);
}

TEST(ListHeadings, LegendsPerLanguageAndWindow) {
    for (const auto kind : {ListKind::CityList, ListKind::CityHist}) {
        for (const auto language : {Language::German, Language::English, Language::French}) {
            const auto lines = LegendLines(kind, language);
            ASSERT_EQ(lines.size(), 27u);
            EXPECT_EQ(lines[1], "--------");
            EXPECT_EQ(CountOf(lines[0], '\t'), 0);
            for (std::size_t i = 2; i < lines.size(); ++i) {
                EXPECT_EQ(CountOf(lines[i], '\t'), 1) << "line " << i + 1;
            }
        }
    }
    const auto de = LegendLines(ListKind::CityList, Language::German);
    EXPECT_EQ(de[0], "Legende");
    EXPECT_EQ(de[6], "Typ\tBedeckung-Typ (p=partiell, t=total)");
    EXPECT_EQ(de[8],
              "M16\tungef\xE4hre Mondphase (0=Neumond, 4=1.Viertel, 8=Vollmond, 12=letztes "
              "Viertel)");
    EXPECT_EQ(de[17],
              "P\xB0\tKontaktpunkt des Mondes vom Nordpunkt des Planeten im Gegenuhrzeigersinn "
              "gemessen");
    EXPECT_EQ(de[26], "4.K.(UT)\tZeit des 4. Kontakts (Ende der partiellen Phase)");
    const auto deHist = LegendLines(ListKind::CityHist, Language::German);
    EXPECT_EQ(deHist[6], "Typ\tBedeckungs-Typ (p=partiell, t=total)");
    EXPECT_EQ(deHist[9], "NS\treserviert");
    EXPECT_EQ(deHist[8], de[8]);

    const auto en = LegendLines(ListKind::CityList, Language::English);
    const auto enHist = LegendLines(ListKind::CityHist, Language::English);
    EXPECT_EQ(en[13], "Longit.\tGeographc longitude");
    EXPECT_EQ(en[20], "S\xB0\tHeight of the Sun above the local (mathematical) horizon");
    EXPECT_EQ(enHist[20], "S.H\xB0\tHeight of the Sun above the local (mathematical) horizon");
    EXPECT_EQ(en[23], "magn\tEclipse magnitude");
    EXPECT_EQ(enHist[23], "magn\tOccultation magnitude");

    const auto fr = LegendLines(ListKind::CityList, Language::French);
    const auto frHist = LegendLines(ListKind::CityHist, Language::French);
    EXPECT_EQ(fr[0], "La l\xE9gende");
    EXPECT_EQ(fr[7], "Pl\tplan\xE8te");
    EXPECT_EQ(frHist[7], "Pl\tPlan\xE8te");
    EXPECT_EQ(frHist[18],
              "V\xB0\tPoint de contact de la lune du haut de la plan\xE8"
              "ete mesur\xE9"
              "e dans le sens antihoraire");
    EXPECT_EQ(frHist[24],
              "h:mm:ss\tDur\xE9"
              "e de la phase annulaire ou totale");
    EXPECT_EQ(fr[16],
              "1.c.(TU)\tTemps universel du 1er contact (Commencement de la phase "
              "partielle)");
}

TEST(ListHeadings, PreambleHasThirtyLines) {
    const std::string pre = ListPreamble(ListKind::CityList, Language::English);
    int lines = 0;
    for (std::size_t at = pre.find("\r\n"); at != std::string::npos;
         at = pre.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 30);
    EXPECT_EQ(CountOf(pre, '\n'), 30);  // no bare line feeds
    EXPECT_NE(pre.find("\r\n\r\nYYYY\tMM"), std::string::npos);
}

TEST(ListHeadings, ScreenHeaders) {
    EXPECT_PRED2(StartsWith, ScreenHeader(ListKind::CityList, Language::German),
                 " JJJJ MM TT t Planet  M16 Land");
    EXPECT_PRED2(StartsWith, ScreenHeader(ListKind::CityHist, Language::French),
                 " AAAA MM JJ DeltaT t Lieu  Plan\xE8te L16 NS");
    // One byte per character, so the header lines up with the screen lines.
    EXPECT_EQ(ScreenHeader(ListKind::CityList, Language::French).size(), 207u);
}

TEST(ListChoices, PopulationThresholds) {
    EXPECT_EQ(PopulationThreshold(0), 1000000);
    EXPECT_EQ(PopulationThreshold(7), 5000);
    EXPECT_EQ(PopulationThreshold(8), 2500);  // as its entry reads
    EXPECT_EQ(PopulationThreshold(9), -1);
    EXPECT_EQ(PopulationThreshold(-3), 1000000);
    EXPECT_EQ(PopulationThreshold(12), -1);
    EXPECT_EQ(PopulationEntries(Language::French)[9], "                0 Personne");
    EXPECT_EQ(PopulationEntries(Language::German)[8], "        2'500 Personen");
}

TEST(ListChoices, StatusAndMessages) {
    EXPECT_EQ(CityListStatus(1200, 87, Language::German), "1200 Orte getestet. 87 Orte gefunden");
    EXPECT_EQ(CityListStatus(3, 1, Language::French), "3 Lieux cherch\xE9s. 1 Lieux trouv\xE9s");
    EXPECT_EQ(CityHistStatus(512, 3, Language::English),
              "512 occultations scanned. 3 occultatins found");
    EXPECT_EQ(InvalidNumberMessage(PlaceField::Latitude, Language::German),
              " Geogr.Breite ist kein g\xFCltiger Wert");
    EXPECT_EQ(InvalidNumberMessage(PlaceField::Height, Language::French),
              " Altitude valeur non valide");
}

}  // namespace
}  // namespace zimbalo::lists
