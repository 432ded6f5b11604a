#include "ReplayRunner.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "2d/CCRenderTexture.h"
#include "cocos2d.h"
#include "headless/HeadlessDriver.h"
#include "network/HttpClient.h"

USING_NS_CC;

namespace {

bool writeText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Work that finishes outside the frame loop and reports back through it.
bool awaitingWork()
{
    return network::HttpClient::outstandingRequests() > 0 || RenderTexture::savesInProgress() > 0;
}

} // namespace

bool runReplay(const std::vector<ReplayCommand>& commands, std::string* error,
               const std::function<bool()>& stopRequested)
{
    HeadlessDriver driver;
    Size visible = Director::getInstance()->getVisibleSize();
    std::map<int, Vec2> fingers;
    auto stopping = [&] { return stopRequested && stopRequested(); };
    for (const ReplayCommand& c : commands) {
        auto failAt = [&](const std::string& message) {
            *error = "line " + std::to_string(c.line) + ": " + message;
            return false;
        };
        if (stopping()) return failAt("stopped");
        Vec2 point(c.x, c.y);
        switch (c.kind) {
        case ReplayCommand::Kind::Wait: {
            // Frame by frame, as HeadlessDriver::advance counts them, so a
            // stop request is heard between any two.
            long frames = std::lround(c.seconds / HeadlessDriver::kFrame);
            if (frames == 0 && c.seconds > 0) frames = 1;
            for (long i = 0; i < frames; ++i) {
                if (stopping()) return failAt("stopped");
                driver.frame();
            }
            break;
        }
        case ReplayCommand::Kind::Settle: {
            // Frames are paced to the wall clock, so that the application's
            // clock runs as fast as the outside world it is waiting for.
            using Clock = std::chrono::steady_clock;
            const auto period = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(HeadlessDriver::kFrame));
            const auto deadline =
                Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(c.seconds));
            auto next = Clock::now();
            while (awaitingWork()) {
                if (stopping()) return failAt("stopped");
                if (Clock::now() >= deadline) {
                    // Not an error: a script may mean to look at a request
                    // that is still out.
                    std::fprintf(stderr, "veloquix-replay: line %d: settle: still waiting after %g s\n", c.line,
                                 c.seconds);
                    break;
                }
                driver.frame();
                if (!awaitingWork()) break;
                next += period;
                std::this_thread::sleep_until(std::min(next, deadline));
            }
            break;
        }
        case ReplayCommand::Kind::Down:
            fingers[c.id] = point;
            driver.touchDown(c.id, point);
            break;
        case ReplayCommand::Kind::Move: {
            Vec2 from = fingers.count(c.id) ? fingers[c.id] : point;
            for (int i = 1; i <= c.steps; ++i) {
                if (stopping()) return failAt("stopped");
                driver.touchMove(c.id, from.lerp(point, float(i) / float(c.steps)));
                if (i < c.steps) driver.frame();
            }
            fingers[c.id] = point;
            break;
        }
        case ReplayCommand::Kind::Up:
            fingers.erase(c.id);
            driver.touchUp(c.id);
            break;
        case ReplayCommand::Kind::Tap:
            driver.touchDown(0, point);
            driver.frame();
            driver.touchUp(0);
            break;
        case ReplayCommand::Kind::Wheel:
            driver.wheel(c.dy, c.hasPoint ? point : Vec2(visible.width / 2, visible.height / 2));
            break;
        case ReplayCommand::Kind::Type:
            driver.typeText(c.text);
            break;
        case ReplayCommand::Kind::Key:
            if (!driver.key(c.text)) return failAt("unknown key \"" + c.text + "\"");
            break;
        case ReplayCommand::Kind::Shot: {
            // Draw what the input so far did, without moving the clock.
            Director::getInstance()->mainLoop();
            Image* image = driver.capture();
            if (!image || !image->saveToFile(c.text, false)) return failAt("cannot write " + c.text);
            break;
        }
        case ReplayCommand::Kind::Store:
            if (!writeText(c.text, HeadlessDriver::dumpStore() + "\n")) return failAt("cannot write " + c.text);
            break;
        case ReplayCommand::Kind::Tree:
            if (!writeText(c.text, HeadlessDriver::dumpTree(Director::getInstance()->getRunningScene()))) {
                return failAt("cannot write " + c.text);
            }
            break;
        }
    }
    return true;
}
