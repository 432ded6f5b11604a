#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "EngineHarness.h"
#include "platform/CCApplication.h"

USING_NS_CC;

namespace {

class UrlApplication : public Application {
public:
    bool applicationDidFinishLaunching() override { return true; }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
};

bool exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// A stand-in xdg-open first on PATH that writes its arguments, NUL-separated,
// to a file (renamed into place so the test never reads half of it).
class FakeXdgOpen : public ::testing::Test {
protected:
    FakeXdgOpen()
    {
        _dir = makeTemporaryHome();
        std::string bin = _dir + "/bin";
        ::mkdir(_dir.c_str(), 0700);
        ::mkdir(bin.c_str(), 0700);
        record = _dir + "/args";
        std::ofstream script(bin + "/xdg-open");
        script << "#!/bin/sh\n"
                  "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" << record << ".tmp'\n"
                  "mv '" << record << ".tmp' '" << record << "'\n";
        script.close();
        ::chmod((bin + "/xdg-open").c_str(), 0700);
        const char* path = std::getenv("PATH");
        _oldPath = path ? path : "";
        setenv("PATH", (bin + ":" + _oldPath).c_str(), 1);
    }
    ~FakeXdgOpen() override
    {
        setenv("PATH", _oldPath.c_str(), 1);
        removeTree(_dir.substr(0, _dir.rfind('/')));
    }

    std::vector<std::string> recordedArguments(double seconds)
    {
        auto start = std::chrono::steady_clock::now();
        while (!exists(record)) {
            if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(seconds)) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(record, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> arguments;
        size_t begin = 0;
        for (size_t end; (end = bytes.find('\0', begin)) != std::string::npos; begin = end + 1) {
            arguments.push_back(bytes.substr(begin, end - begin));
        }
        return arguments;
    }

    std::string record;
    std::string _dir;
    std::string _oldPath;
    UrlApplication app;
};

TEST_F(FakeXdgOpen, UrlArrivesAsOneArgumentAndNoShellReadsIt)
{
    const std::string marker = _dir + "/marker";
    const std::string url = "https://example.com/store page?q=\"a b\"&n='x';touch " + marker + ";$(touch " +
                            marker + "2)`touch " + marker + "3`|cat";
    ASSERT_TRUE(app.openURL(url));
    std::vector<std::string> arguments = recordedArguments(10.0);
    ASSERT_EQ(arguments.size(), 1u);
    EXPECT_EQ(arguments[0], url);
    EXPECT_FALSE(exists(marker));
    EXPECT_FALSE(exists(marker + "2"));
    EXPECT_FALSE(exists(marker + "3"));
}

TEST_F(FakeXdgOpen, EmptyUrlOrMissingOpenerFails)
{
    EXPECT_FALSE(app.openURL(""));
    EXPECT_FALSE(exists(record));
    setenv("PATH", (_dir + "/nothing-here").c_str(), 1);
    EXPECT_FALSE(app.openURL("https://example.com/"));
}

} // namespace
