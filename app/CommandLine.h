#pragma once

#include <string>
#include <vector>

namespace veloquix {

// What a program of this project was asked to do on its command line.
struct CommandLine {
    enum class Action { RUN, HELP, VERSION, MISUSE };
    Action action = Action::RUN;
    std::vector<std::string> operands;
    // With MISUSE: what was wrong, for the line before the usage.
    std::string problem;
};

// Reads -h/--help and --version, either of which wins over every other
// argument, and exactly `operands` other arguments; "--" ends the options.
// Any other argument starting with '-' is an unknown option.
CommandLine readCommandLine(int argc, const char* const* argv, size_t operands);

// The usage's "Options:" and "Environment:" parts, which every program of
// this project shares; extraEnvironment lines go at the end of the second.
std::string commonUsage(const std::string& extraEnvironment = "");

// The answer every program gives: HELP prints usage to standard output,
// VERSION "PROGRAM VERSION", both with status 0; MISUSE the problem and the
// usage to standard error with status 2. -1 for RUN: the program goes on.
int answerCommandLine(const CommandLine& line, const char* program, const std::string& usage);

} // namespace veloquix
