#pragma once

#include <ostream>
#include <string>
#include <vector>

/// The command-line program: the event catalogue and the two place lists without a window.
namespace zimbalo::cli {

/// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;  ///< a file is missing, unreadable or malformed, or the
                                          ///< output cannot be written
inline constexpr int kExitUsage = 2;      ///< the arguments are wrong

/// What the program takes from its surroundings.
struct CliEnvironment {
    std::string dataFolder;    ///< folder of the delivered data files, with a trailing "/"
    bool utf8Terminal = true;  ///< the terminal (and the arguments) use UTF-8, else Windows-1252
};

/// Runs one command line (`args` without the program name), writing results to `out` and
/// messages to `err`; returns the exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& env);

/// The usage text printed by --help.
std::string UsageText();

}  // namespace zimbalo::cli
