#include "CommandLine.h"

#include <cstdio>
#include <cstring>

#include "AppConstants.h"

namespace veloquix {

CommandLine readCommandLine(int argc, const char* const* argv, size_t operands)
{
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options && std::strcmp(arg, "--") == 0) {
            options = false;
        } else if (options && (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)) {
            line.action = CommandLine::Action::HELP;
            return line;
        } else if (options && std::strcmp(arg, "--version") == 0) {
            line.action = CommandLine::Action::VERSION;
            return line;
        } else if (options && arg[0] == '-' && arg[1] != '\0') {
            // A lone "-" is an operand, as it is for most programs.
            if (line.problem.empty()) line.problem = std::string("unknown option ") + arg;
        } else {
            line.operands.push_back(arg);
        }
    }
    if (line.problem.empty() && line.operands.size() != operands) {
        line.problem = line.operands.size() > operands
                           ? "unexpected argument " + line.operands[operands]
                           : std::string("missing argument");
    }
    if (!line.problem.empty()) line.action = CommandLine::Action::MISUSE;
    return line;
}

std::string commonUsage(const std::string& extraEnvironment)
{
    return "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Environment:\n"
           "  VELOQUIX_HOME          the folder for the settings and thumbnails\n"
           "  XDG_DATA_HOME          without VELOQUIX_HOME, that folder is $XDG_DATA_HOME/veloquix\n"
           "  VELOQUIX_SHOWCASE_URL  the showcase service's base URL\n" +
           extraEnvironment + "\n";
}

int answerCommandLine(const CommandLine& line, const char* program, const std::string& usage)
{
    switch (line.action) {
    case CommandLine::Action::HELP:
        std::fputs(usage.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::VERSION:
        std::printf("%s %s\n", program, kVersion);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::MISUSE:
        std::fprintf(stderr, "%s: %s\n%s", program, line.problem.c_str(), usage.c_str());
        return 2;
    case CommandLine::Action::RUN:
        break;
    }
    return -1;
}

} // namespace veloquix
