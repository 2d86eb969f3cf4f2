// Command lines made of the input's NUL-separated pieces, run in a data folder holding a small
// catalogue and city file. Every run ends with exit code 0, 1 or 2; a message exactly when it
// fails; a usage error on one line and without output. Arguments naming paths are skipped, so
// that a run reads only the folder's files (never a device or a pipe that would block).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "astro/catalogue.h"
#include "cli/cli.h"
#include "fuzz_support.h"
#include "tests/astro/synthetic_event.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

std::string g_folder;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/zimbalo_fuzz_cli_XXXXXX";
    Check(::mkdtemp(pattern) != nullptr, "mkdtemp");
    g_folder = std::string(pattern) + "/";
    std::string catalogue(3 * astro::kRecordSize, '\0');
    const astro::BesselRecord events[] = {astro::testing::syntheticJupiterEvent(2000, 350.0),
                                          astro::testing::syntheticJupiterEvent(2010, 180.0),
                                          astro::testing::syntheticJupiterEvent(2024, 350.0)};
    for (std::size_t i = 0; i < 3; ++i) {
        astro::EncodeRecord(events[i],
                            reinterpret_cast<std::uint8_t*>(&catalogue[i * astro::kRecordSize]));
    }
    WriteFile(g_folder + astro::kCatalogueFileName, catalogue);
    const std::string cities =
        "Land\tMillion\t1070\t1030\t100\t1000000\r\n"
        "Land\tNobody\t1100\t0\t100\t0\r\n"
        "Far\tAntipode\t1070\t-16970\t0\t2000000\r\n";
    for (const char* name : {"2017_data_DE.txt", "2017_data_EN.txt", "2017_data_FR.txt"}) {
        WriteFile(g_folder + name, cities);
    }
    WriteFile(g_folder + "bad.txt", "Land\tBad\t1\t2\t3\n");
    Check(::chdir(g_folder.c_str()) == 0, "chdir");
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    if (args.size() > 16) {
        return 0;
    }
    for (const std::string& a : args) {
        if (a.find('/') != std::string::npos) {
            return 0;
        }
    }
    cli::CliEnvironment env;
    env.dataFolder = g_folder;
    env.utf8Terminal = (size % 2) == 0;
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::RunCli(args, out, err, env);
    Check(code == cli::kExitOk || code == cli::kExitFileError || code == cli::kExitUsage,
          "exit code");
    const std::string message = err.str();
    Check((code == cli::kExitOk) == message.empty(), "a message exactly on failure");
    if (code == cli::kExitUsage) {
        Check(out.str().empty(), "no output on a usage error");
        Check(message.find('\n') == message.size() - 1, "a usage error on one line");
        Check(message.find('\r') == std::string::npos, "control characters escaped");
    }
    return 0;
}
