#include "cli/cli.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/time_scales.h"
#include "cli/fd_output.h"
#include "lists/here_text.h"
#include "lists/list_runs.h"
#include "lists/list_text.h"
#include "lists/nearest_city.h"
#include "lists/number_text.h"
#include "lists/time_zones.h"
#include "synthetic.h"

namespace zimbalo::cli {
namespace {

using lists::testing::OneZoneTableBytes;
using lists::testing::ReadBytes;
using lists::testing::ScratchFolder;
using lists::testing::SyntheticEventInYear;
using lists::testing::WriteBytes;
using lists::testing::WriteCatalogue;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const char* const kCities =
    "Land\tMillion\t1070\t1030\t100\t1000000\r\n"
    "Land\tNobody\t1100\t0\t100\t0\r\n"
    "Far\tAntipode\t1070\t-16970\t0\t2000000\r\n";

// A data folder with a made-up catalogue (events in 2000, 2010, 2024) and a German city file.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        WriteCatalogue(
            m_dir.Path(astro::kCatalogueFileName),
            {SyntheticEventInYear(2000), SyntheticEventInYear(2010), SyntheticEventInYear(2024)});
        WriteBytes(m_dir.Path("2017_data_DE.txt"), kCities);
        m_env.dataFolder = m_dir.Folder().string() + "/";
    }

    int Run(const std::vector<std::string>& args) {
        m_out.str("");
        m_err.str("");
        return RunCli(args, m_out, m_err, m_env);
    }

    // Exit code 2 with a single line that names the problem.
    void ExpectUsageError(const std::vector<std::string>& args, const std::string& words) {
        EXPECT_EQ(Run(args), kExitUsage) << ::testing::PrintToString(args);
        const std::string err = m_err.str();
        EXPECT_THAT(err, HasSubstr(words));
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(m_out.str(), "");
    }

    ScratchFolder m_dir;
    CliEnvironment m_env;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(Cli, WrongArgumentsExitWithTwo) {
    ExpectUsageError({}, "no command");
    ExpectUsageError({"list"}, "unknown command 'list'");
    ExpectUsageError({"events", "--colour", "red"}, "unknown option '--colour'");
    ExpectUsageError({"events", "--from"}, "--from needs a value");
    ExpectUsageError({"events", "--from", "1980.5"}, "--from needs a whole number");
    ExpectUsageError({"events", "--event", "3"}, "does not apply to 'events'");
    ExpectUsageError({"place", "--lon", "7.5"}, "place needs --lat");
    ExpectUsageError({"place", "--lat", "47,5", "--lon", "7.5"}, "decimal number");
    ExpectUsageError({"place", "--lat", "91", "--lon", "7.5"}, "outside -90..90");
    ExpectUsageError({"place", "--lat", "47", "--lon", "-180.5"}, "outside -180..180");
    ExpectUsageError({"place", "--lat", "47", "--lon", "7", "--lang", "it"}, "de, en or fr");
    ExpectUsageError({"cities"}, "cities needs --event");
    ExpectUsageError({"cities", "--event", "0"}, "outside 1..1780");
    ExpectUsageError({"cities", "--event", "4"}, "outside 1..3 of the catalogue");
    ExpectUsageError({"cities", "--event", "1", "--fixed=yes"}, "takes no value");
    ExpectUsageError({"cities", "events"}, "unexpected argument 'events'");
}

TEST_F(Cli, MissingFilesExitWithOne) {
    const std::string none = m_dir.Path("none.bin");
    EXPECT_EQ(Run({"events", "--catalogue", none}), kExitFileError);
    EXPECT_THAT(m_err.str(), HasSubstr(none));
    EXPECT_EQ(Run({"place", "--lat", "1", "--lon", "2", "--catalogue", none}), kExitFileError);
    EXPECT_THAT(m_err.str(), HasSubstr(none));

    // The English city file is missing from the folder; nothing is printed before the message.
    EXPECT_EQ(Run({"cities", "--event", "1", "--lang", "en"}), kExitFileError);
    EXPECT_THAT(m_err.str(), HasSubstr(m_dir.Path("2017_data_EN.txt")));
    EXPECT_EQ(m_out.str(), "");

    WriteBytes(m_dir.Path("bad.txt"), std::string(kCities) + "Land\tBad\t1\t2\t3\n");
    EXPECT_EQ(Run({"cities", "--event", "3", "--cities", m_dir.Path("bad.txt")}), kExitFileError);
    EXPECT_THAT(m_err.str(), HasSubstr("bad.txt\", line 4: the line has 4 tab characters"));
    EXPECT_THAT(m_out.str(), HasSubstr("\tMillion\t"));  // lines before it stay printed
}

TEST_F(Cli, HelpAndVersion) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_THAT(m_out.str(), StartsWith("Usage:\n  zimbalo-cli events"));
    EXPECT_EQ(Run({"place", "--help"}), kExitOk);
    EXPECT_EQ(Run({"--version"}), kExitOk);
    EXPECT_THAT(m_out.str(), StartsWith("zimbalo-cli "));
}

TEST_F(Cli, EventsTable) {
    ASSERT_EQ(Run({"events", "--from", "2005"}), kExitOk);
    const std::string out = m_out.str();
    EXPECT_THAT(out, StartsWith("number\tTT date\tT0 hour\tplanet\tOccType\tGamma\tEventJD\t"
                                "DeltaT\tgreatest occultation (UT)\n"));
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    // Event 2: greatest occultation at 2010-03-14 12h TT, Delta T earlier in UT.
    const double deltaT = astro::DeltaT(2010, 3);
    const auto ut = std::lround(12 * 3600 - deltaT);
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "\n2\t2010-03-14\t12\tJupiter\t2\t0.1000\t2455270.000000\t%.1f\t"
                  "2010-03-14 %02ld:%02ld:%02ld\n",
                  deltaT, ut / 3600, ut / 60 % 60, ut % 60);
    EXPECT_THAT(out, HasSubstr(expected));

    ASSERT_EQ(Run({"events", "--from", "2020", "--to", "2000"}), kExitOk);
    const std::string backwards = m_out.str();
    EXPECT_EQ(std::count(backwards.begin(), backwards.end(), '\n'), 1);  // header only
}

TEST_F(Cli, PlacePrintsExactlyTheSavedList) {
    ASSERT_EQ(Run({"place", "--lat", "10.7", "--lon", "10.3", "--height", "100.4", "--name",
                   "Mitte", "--country", "Österreich", "--from", "2005", "--to", "2030"}),
              kExitOk);

    // The same search through the window's path: temporary file, then "Save as".
    const astro::BesselTable table = astro::LoadCatalogue(m_dir.Path(astro::kCatalogueFileName));
    lists::CityHistInput input;
    input.place.Breite = 10.7;
    input.place.Laenge = 10.3;
    input.place.Hoehe = 100;
    input.place.Stadt = "Mitte";
    input.place.Land = "\xD6sterreich";
    input.firstYear = 2005;
    input.lastYear = 2030;
    const std::string temp = lists::CreateTempListFile(m_dir.Folder().string());
    {
        std::ofstream file(temp, std::ios::binary);
        const auto result = lists::RunCityHist(table, input, {&file, temp}, {});
        EXPECT_EQ(result.found, 2);
    }
    const std::string saved = m_dir.Path("Zimbalo_CityHist.txt");
    lists::SaveList(lists::ListKind::CityHist, Language::German, temp, saved);
    EXPECT_EQ(m_out.str(), ReadBytes(saved));
    EXPECT_THAT(m_out.str(), HasSubstr("\t\xD6sterreich\tMitte\t10\xB0"
                                       "42'N\t"));
}

// Nepal's clock runs 5:45 ahead of UT all year.
TEST_F(Cli, HerePrintsThePanelTextAndLocalTimeMovesTheListColumns) {
    ExpectUsageError({"here", "--lat", "10.7", "--lon", "10.3"}, "here needs --event");
    EXPECT_EQ(Run({"here", "--event", "3", "--lat", "10.7", "--lon", "10.3"}), kExitFileError);
    EXPECT_THAT(m_err.str(), HasSubstr(m_dir.Path("timezones.bin")));
    EXPECT_EQ(Run({"place", "--lat", "10.7", "--lon", "10.3", "--local-time"}), kExitFileError);

    WriteBytes(m_dir.Path("timezones.bin"), OneZoneTableBytes("Asia/Kathmandu"));
    ASSERT_EQ(Run({"here", "--event", "3", "--lat", "10.7", "--lon", "10.35", "--lang", "en",
                   "--cities", m_dir.Path("2017_data_DE.txt")}),
              kExitOk);
    const astro::BesselTable table = astro::LoadCatalogue(m_dir.Path(astro::kCatalogueFileName));
    const lists::ZoneTable zones = lists::ZoneTable::Load(m_dir.Path("timezones.bin"));
    const lists::CityIndex cities = lists::CityIndex::Load(m_dir.Path("2017_data_DE.txt"));
    const lists::HereRequest request{&table[3], 3, 10.7, 10.35, 0.0, Language::English, false};
    EXPECT_EQ(m_out.str(), lists::HereText(request, &zones, &cities));
    EXPECT_THAT(m_out.str(), HasSubstr("\nNearest place\tMillion\tLand\t5 km\n"));
    EXPECT_THAT(m_out.str(), HasSubstr("\nTime zone\tAsia/Kathmandu\t+0545\tUTC+05:45\n"));

    ASSERT_EQ(Run({"place", "--lat", "10.7", "--lon", "10.3", "--from", "2024", "--to", "2024"}),
              kExitOk);
    const std::string ut = m_out.str();
    ASSERT_EQ(Run({"place", "--lat", "10.7", "--lon", "10.3", "--from", "2024", "--to", "2024",
                   "--local-time"}),
              kExitOk);
    const std::string local = m_out.str();
    EXPECT_THAT(local, HasSubstr("\t1.K.(Asia/Kathmandu)\tP\xB0\t"));
    EXPECT_THAT(ut, HasSubstr("\t1.K.(UT)\tP\xB0\t"));
    // The result line: the first contact's time 5:45 later, everything else the same.
    const std::string utLine = ut.substr(ut.rfind("\r\n", ut.size() - 3) + 2);
    const std::string localLine = local.substr(local.rfind("\r\n", local.size() - 3) + 2);
    const auto fields = [](const std::string& line) {
        std::vector<std::string> f(1);
        for (const char c : line) {
            if (c == '\t') {
                f.emplace_back();
            } else {
                f.back().push_back(c);
            }
        }
        return f;
    };
    const auto u = fields(utLine);
    const auto l = fields(localLine);
    ASSERT_EQ(u.size(), l.size());
    const auto seconds = [](const std::string& hms) {
        return std::stoi(hms.substr(0, 2)) * 3600 + std::stoi(hms.substr(3, 2)) * 60
               + std::stoi(hms.substr(6, 2));
    };
    EXPECT_EQ(seconds(l[14]) - seconds(u[14]), 5 * 3600 + 45 * 60);
    EXPECT_EQ(l[15], u[15]);

    // Many places: the zone closes every line, as field 42.
    ASSERT_EQ(Run({"cities", "--event", "3", "--local-time"}), kExitOk);
    const std::string cities3 = m_out.str();
    EXPECT_THAT(cities3, HasSubstr("\t1.K.(Ortszeit)\t"));
    EXPECT_THAT(cities3, HasSubstr("\tS\xB0\tZeitzone\r\n"));
    const std::string last = cities3.substr(cities3.rfind("\r\n", cities3.size() - 3) + 2);
    EXPECT_EQ(fields(last.substr(0, last.size() - 2)).size(), 42u);
    EXPECT_THAT(last, testing::EndsWith("\tAsia/Kathmandu\r\n"));
}

TEST_F(Cli, PlaceAsCalendarAndPlanetFilter) {
    // The zone table of the build's data folder gives the place's clock for the descriptions.
    std::filesystem::copy_file(
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / lists::kZoneTableFileName,
        m_dir.Path(lists::kZoneTableFileName));
    const std::vector<std::string> place = {"place",  "--lat", "10.7",   "--lon", "10.3",
                                            "--name", "Kanó",  "--lang", "en"};
    const auto events = [this] {
        const std::string text = m_out.str();
        std::size_t count = 0;
        for (std::size_t at = text.find("BEGIN:VEVENT"); at != std::string::npos;
             at = text.find("BEGIN:VEVENT", at + 1)) {
            ++count;
        }
        return count;
    };
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = place;
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    };
    ASSERT_EQ(with({"--format", "ics"}), kExitOk);
    EXPECT_EQ(events(), 3u);
    EXPECT_THAT(m_out.str(), HasSubstr("SUMMARY:Moon occults Jupiter\r\nLOCATION:Kanó\r\n"));
    ASSERT_EQ(with({"--format", "ics", "--planets", "Ven,jup"}), kExitOk);
    EXPECT_EQ(events(), 3u);
    ASSERT_EQ(with({"--format", "ics", "--planets", "sat"}), kExitOk);
    EXPECT_EQ(events(), 0u);
    // All three happen near local noon: none is seen from a dark sky.
    ASSERT_EQ(with({"--format", "ics", "--seen-only"}), kExitOk);
    EXPECT_EQ(events(), 0u);
    // The planet filter keeps the saved list's format.
    ASSERT_EQ(with({"--planets", "sat"}), kExitOk);
    EXPECT_EQ(m_out.str(), lists::ListPreamble(lists::ListKind::CityHist, Language::English));
    ASSERT_EQ(with({"--planets", "jup"}), kExitOk);
    const std::string chosen = m_out.str();
    ASSERT_EQ(with({}), kExitOk);
    EXPECT_EQ(chosen, m_out.str());

    ExpectUsageError({"place", "--lat", "1", "--lon", "2", "--planets", "pluto"}, "not 'pluto'");
    ExpectUsageError({"place", "--lat", "1", "--lon", "2", "--seen-only"}, "needs --format ics");
    ExpectUsageError({"place", "--lat", "1", "--lon", "2", "--format", "kml"}, "tsv or ics");
    ExpectUsageError({"place", "--lat", "1", "--lon", "2", "--format", "ics", "--local-time"},
                     "does not apply to --format ics");
}

TEST_F(Cli, CitiesInBothFormats) {
    ASSERT_EQ(Run({"cities", "--event", "3", "--min-population", "1"}), kExitOk);
    const std::string saved = m_out.str();
    EXPECT_THAT(saved,
                StartsWith(lists::ListPreamble(lists::ListKind::CityList, Language::German)));
    EXPECT_THAT(saved, HasSubstr("\tLand\tMillion\t"));
    EXPECT_THAT(saved, Not(HasSubstr("Nobody")));    // below the threshold
    EXPECT_THAT(saved, Not(HasSubstr("Antipode")));  // below the horizon

    ASSERT_EQ(Run({"cities", "--event", "3", "--fixed"}), kExitOk);
    const std::string fixed = m_out.str();
    EXPECT_THAT(fixed, StartsWith(" JJJJ MM TT t Planet  M16 Land       Stadt       Breite    "
                                  "Länge    Einw. 1.K.(UT)  P°"));
    EXPECT_THAT(fixed, HasSubstr("\n 2024  3 14 t Jupiter"));
    EXPECT_THAT(fixed, HasSubstr(" Land       Nobody     11°00'N 000°00'O        0 "));
    EXPECT_EQ(std::count(fixed.begin(), fixed.end(), '\n'), 3);
    EXPECT_EQ(fixed.find('\r'), std::string::npos);

    // A terminal in an 8-bit code page gets the bytes as they are.
    m_env.utf8Terminal = false;
    ASSERT_EQ(Run({"cities", "--event", "3", "--fixed", "--lang=fr", "--cities",
                   m_dir.Path("2017_data_DE.txt")}),
              kExitOk);
    EXPECT_THAT(m_out.str(), StartsWith(" AAAA MM JJ t Plan\xE8te L16 Pays"));
}

TEST_F(Cli, MessagesShowWhatIsWrong) {
    ExpectUsageError({"place", "--lat", "1e400", "--lon", "7.5"},
                     "--lat '1e400' is out of range (outside -90..90)");
    ExpectUsageError({"place", "--lat", "-1E+999", "--lon", "7.5"}, "out of range");
    ExpectUsageError({"events", "--from", "99999999999999999999"},
                     "--from '99999999999999999999' is out of range");
    ExpectUsageError({"place", "--lat", "inf", "--lon", "7.5"}, "needs a decimal number");
    ExpectUsageError({"events", "--from", "1990", "--from", "2000"},
                     "option --from is given more than once");
    ExpectUsageError({"cities", "--event", "1", "--fixed", "--fixed"},
                     "option --fixed is given more than once");
    ExpectUsageError({"events", "--to=2000", "--to", "2000"}, "--to is given more than once");
    // Control characters are shown, not sent to the terminal.
    ExpectUsageError({"events\r"}, "unknown command 'events\\r'");
    ExpectUsageError({"place", "--lat", "4\x1B[2J", "--lon", "7"}, "not '4\\x1B[2J'");
}

// Anything but a regular file given as catalogue is named for what it is; nothing is printed.
TEST_F(Cli, CatalogueFileKinds) {
    const auto expect = [&](const std::vector<std::string>& args, const std::string& words) {
        EXPECT_EQ(Run(args), kExitFileError) << words;
        EXPECT_THAT(m_err.str(), HasSubstr(words));
        EXPECT_EQ(m_out.str(), "");
    };
    expect({"events", "--catalogue", m_dir.Folder().string()}, "\" is a directory.");
    expect({"events", "--catalogue", "/dev/null"}, "\"/dev/null\" is not a regular file.");
    expect({"place", "--lat", "1", "--lon", "2", "--catalogue", "/dev/zero"},
           "\"/dev/zero\" is not a regular file.");
    WriteBytes(m_dir.Path("empty.bin"), "");
    expect({"events", "--catalogue", m_dir.Path("empty.bin")}, "\" has 0 bytes.");

    // Records that used to hang or abort the lists are refused when the catalogue is read.
    astro::BesselRecord farAway = SyntheticEventInYear(2010);
    farAway.EventJD = -1e300;
    WriteCatalogue(m_dir.Path("far.bin"), {SyntheticEventInYear(2000), farAway});
    expect({"events", "--catalogue", m_dir.Path("far.bin")},
           "record 2 is not an event (field "
           "EventJD: -1e+300 is not within");
    astro::BesselRecord wide = SyntheticEventInYear(2010);
    wide.coef[astro::kL1][0] = 1.65e40;
    WriteCatalogue(m_dir.Path("wide.bin"), {wide});
    expect({"place", "--lat", "1", "--lon", "2", "--catalogue", m_dir.Path("wide.bin")},
           "record 1 is not an event (field L1 coefficient c0: 1.65e+40 is outside -2..2)");

    // A city file that is a directory fails before the list's first line.
    expect({"cities", "--event", "1", "--cities", m_dir.Folder().string()}, "\" is a directory.");
}

// Standard output that cannot be written is a failure with the system's reason, for every
// command, and the lists stop at the first failed line.
TEST_F(Cli, OutputThatCannotBeWrittenFails) {
    const std::vector<std::vector<std::string>> commands = {
        {"--help"},
        {"--version"},
        {"events"},
        {"place", "--lat", "10.7", "--lon", "10.3"},
        {"place", "--lat", "10.7", "--lon", "10.3", "--fixed"},
        {"cities", "--event", "3"},
        {"cities", "--event", "3", "--fixed"}};
    for (const auto& args : commands) {
        const int fd = ::open("/dev/full", O_WRONLY);
        ASSERT_GE(fd, 0);
        std::ostringstream err;
        int code = 0;
        {
            FdOutputBuffer buffer(fd);
            std::ostream out(&buffer);
            code = RunCli(args, out, err, m_env);
        }
        ::close(fd);
        EXPECT_EQ(code, kExitFileError) << args[0];
        EXPECT_EQ(err.str(),
                  "zimbalo-cli: cannot write to standard output: No space left on device\n")
            << args[0];
    }
}

// The program itself, for the exit codes a shell sees.
int RunProgram(const std::string& arguments) {
    const std::string command =
        std::string("'") + ZIMBALO_CLI_PATH + "' " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Exit code and error text of the program, its standard output redirected by `redirect`.
std::pair<int, std::string> RunProgramWithOutput(const std::string& arguments,
                                                 const std::string& redirect) {
    const std::string command =
        std::string("'") + ZIMBALO_CLI_PATH + "' " + arguments + " 2>&1 " + redirect;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {-1, ""};
    }
    std::string text;
    char buffer[256];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

TEST(CliProgram, OutputFailuresAreReported) {
    EXPECT_EQ(RunProgramWithOutput("--help", ">/dev/full"),
              std::make_pair(1, std::string("zimbalo-cli: cannot write to standard output: No "
                                            "space left on device\n")));
    EXPECT_EQ(RunProgramWithOutput("--version", ">&-"),
              std::make_pair(1, std::string("zimbalo-cli: cannot write to standard output: Bad "
                                            "file descriptor\n")));
    EXPECT_EQ(RunProgramWithOutput("--version", ">/dev/null").first, 0);
}

TEST(CliProgram, ExitCodes) {
    EXPECT_EQ(RunProgram("--version"), 0);
    EXPECT_EQ(RunProgram("place --lat north"), 2);
    EXPECT_EQ(RunProgram("events --catalogue /nonexistent/catalogue.bin"), 1);
}

}  // namespace
}  // namespace zimbalo::cli
