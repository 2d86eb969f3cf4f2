// Small catalogues (one to four records) through the command-line lists `events` and `place` and
// the path export: this is where absurd records used to hang a run. The input overlays records of a
// real event, so that short inputs and single changed fields stay close to what the loader accepts.
#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "cli/cli.h"
#include "fuzz_support.h"
#include "tests/astro/synthetic_event.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

std::vector<std::uint8_t> TemplateRecord() {
    const astro::BesselRecord r = astro::testing::syntheticJupiterEvent(2024, 350.0);
    std::vector<std::uint8_t> bytes(astro::kRecordSize);
    astro::EncodeRecord(r, bytes.data());
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::uint8_t> record = TemplateRecord();
    static fuzz::MemoryFile file;
    const std::size_t count =
        std::clamp<std::size_t>((size + astro::kRecordSize - 1) / astro::kRecordSize, 1, 4);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    const std::string& path = file.Write(bytes.data(), bytes.size());

    cli::CliEnvironment env;
    env.dataFolder = "/nonexistent/";
    const std::vector<std::vector<std::string>> commands = {
        {"events", "--from", "-5000", "--to", "9000", "--catalogue", path},
        {"place", "--lat", "10.7", "--lon", "10.3", "--from", "-5000", "--to", "9000",
         "--catalogue", path},
        {"place", "--lat", "-33.5", "--lon", "-70.5", "--height", "2500", "--fixed", "--from",
         "-5000", "--to", "9000", "--lang", "fr", "--catalogue", path},
        {"place", "--lat", "90", "--lon", "180", "--from", "-5000", "--to", "9000", "--lang", "en",
         "--catalogue", path},
        {"path", "--event", "1", "--format", "geojson", "--catalogue", path}};
    int first = -1;
    for (const auto& args : commands) {
        std::ostringstream out;
        std::ostringstream err;
        const int code = cli::RunCli(args, out, err, env);
        Check(code == cli::kExitOk || code == cli::kExitFileError, "exit code");
        Check((code == cli::kExitOk) == err.str().empty(), "a message exactly on failure");
        Check(code == cli::kExitOk || out.str().empty(), "no output before a file error");
        // The catalogue is read the same way by every command.
        Check(first < 0 || code == first, "the same verdict for every command");
        first = code;
    }
    return 0;
}
