#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AppConstants.h"
#include "CommandLine.h"
#include "EngineHarness.h"

using veloquix::CommandLine;

namespace {

CommandLine read(std::vector<const char*> args, size_t operands)
{
    args.insert(args.begin(), "program");
    return veloquix::readCommandLine(int(args.size()), args.data(), operands);
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0.0;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a program with no display of any kind in its environment: one that
// tried to open a window would fail.
Outcome runWithoutDisplay(const std::string& program, const std::vector<std::string>& args)
{
    std::string folder = makeTemporaryHome();
    std::string outPath = folder + ".out", errPath = folder + ".err";
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) unsetenv(name);
        setenv("VELOQUIX_HOME", folder.c_str(), 1);
        skipLeakScanAtExit();
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    Outcome run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    removeTree(folder.substr(0, folder.rfind('/')));
    return run;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The quickest of three runs: a loaded test machine may hold up one start,
// a program that waits for something holds up all three.
double quickest(const std::string& program, const std::vector<std::string>& args)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) best = std::min(best, runWithoutDisplay(program, args).seconds);
    return best;
}

} // namespace

TEST(CommandLine, HelpAndVersionWinOverEverythingElse)
{
    EXPECT_EQ(read({}, 0).action, CommandLine::Action::RUN);
    EXPECT_EQ(read({"--help"}, 0).action, CommandLine::Action::HELP);
    EXPECT_EQ(read({"--bogus", "-h", "extra"}, 0).action, CommandLine::Action::HELP);
    EXPECT_EQ(read({"--version", "--help"}, 1).action, CommandLine::Action::VERSION);
    CommandLine script = read({"--", "-odd name"}, 1);
    EXPECT_EQ(script.action, CommandLine::Action::RUN);
    EXPECT_EQ(script.operands, std::vector<std::string>{"-odd name"});
    EXPECT_EQ(read({"-"}, 1).operands, std::vector<std::string>{"-"});
}

TEST(CommandLine, UnknownOptionsAndWrongArgumentCountsAreMisuse)
{
    CommandLine unknown = read({"--fullscreen"}, 0);
    EXPECT_EQ(unknown.action, CommandLine::Action::MISUSE);
    EXPECT_EQ(unknown.problem, "unknown option --fullscreen");
    EXPECT_EQ(read({"script.txt"}, 0).problem, "unexpected argument script.txt");
    EXPECT_EQ(read({}, 1).problem, "missing argument");
    EXPECT_EQ(read({"a", "b"}, 1).problem, "unexpected argument b");
}

TEST(CommandLine, BothProgramsAnswerHelpAndVersionAtOnceWithoutADisplay)
{
    for (const std::string program : {VELOQUIX_PROGRAM, VELOQUIX_REPLAY_PROGRAM}) {
        SCOPED_TRACE(program);
        std::string name = program.substr(program.rfind('/') + 1);
        Outcome help = runWithoutDisplay(program, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind("Usage: " + name, 0), 0u) << help.out;
        for (const char* part : {"--version", "VELOQUIX_HOME", "XDG_DATA_HOME", "VELOQUIX_SHOWCASE_URL",
                                 ".local/share/veloquix"}) {
            EXPECT_TRUE(contains(help.out, part)) << part;
        }
        EXPECT_EQ(help.err, "");
        EXPECT_LT(quickest(program, {"--help"}), 1.0);

        Outcome version = runWithoutDisplay(program, {"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, name + " " + veloquix::kVersion + "\n");
        EXPECT_EQ(version.err, "");
        EXPECT_LT(quickest(program, {"--version"}), 1.0);

        Outcome wrong = runWithoutDisplay(program, {"--no-such-option"});
        EXPECT_EQ(wrong.status, 2);
        EXPECT_EQ(wrong.out, "");
        EXPECT_EQ(wrong.err.rfind(name + ": unknown option --no-such-option\nUsage: " + name, 0), 0u) << wrong.err;
    }
    Outcome noScript = runWithoutDisplay(VELOQUIX_REPLAY_PROGRAM, {});
    EXPECT_EQ(noScript.status, 2);
    EXPECT_TRUE(contains(noScript.err, "missing argument\nUsage: veloquix-replay SCRIPT"));
}
