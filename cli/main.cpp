#include <clocale>
#include <cstring>
#include <iostream>
#include <langinfo.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "astro/catalogue.h"
#include "astro/data_folder.h"
#include "cli/cli.h"
#include "cli/fd_output.h"

int main(int argc, char** argv) {
    // Only the character type follows the environment (to learn the terminal's encoding); number
    // texts never consult the locale.
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    const std::string cs = codeset != nullptr ? codeset : "";
    const bool eightBit = cs == "ISO-8859-1" || cs == "ISO-8859-15" || cs == "CP1252";

    zimbalo::cli::CliEnvironment env;
    // The data lie beside the executable in a build tree and in ../share/zimbalo when installed;
    // when neither holds them, the messages about the missing files name the program's folder.
    const std::string programFolder = zimbalo::astro::ProgramFolder();
    env.dataFolder = zimbalo::astro::FindDataFolder(programFolder).value_or(programFolder);
    env.utf8Terminal = !eightBit;
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Standard output through a buffer that keeps the system's reason of a failed write.
    zimbalo::cli::FdOutputBuffer buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    return zimbalo::cli::RunCli(args, out, std::cerr, env);
}
