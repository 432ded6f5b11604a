// The tests' fake showcase as a program of its own, for trying the
// application or a replay script against it by hand:
//
//   fake-showcase [--log FILE] [PATH=REPLY ...]
//
// REPLY is STATUS:BODY (for example "set_image.asp=200:{"result":"success","imageid":17}"),
// "stall" or "drop"; unscripted paths get 404. The first line on stdout is the
// base URL to put in VELOQUIX_SHOWCASE_URL. On SIGTERM or SIGINT it writes every
// request it got, header lines as they arrived, to FILE (default stdout).
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "FakeShowcaseServer.h"

namespace {

bool parseReply(const std::string& text, FakeShowcaseServer::Reply* reply)
{
    if (text == "stall") {
        *reply = FakeShowcaseServer::stall();
        return true;
    }
    if (text == "drop") {
        *reply = FakeShowcaseServer::drop();
        return true;
    }
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    char* end = nullptr;
    const long status = std::strtol(text.substr(0, colon).c_str(), &end, 10);
    if (*end != '\0' || status < 100 || status > 599) return false;
    *reply = FakeShowcaseServer::answer(int(status), text.substr(colon + 1));
    return true;
}

// Printable ASCII as it is, every other byte as \xHH, so a JPEG body stays one line.
std::string shown(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out.push_back(char(c));
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(c));
            out += escaped;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    // Blocked before the server starts its threads, which inherit the mask,
    // so that the stop is taken by sigwait below and not by some other thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::string logFile;
    FakeShowcaseServer server;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--log" && i + 1 < argc) {
            logFile = argv[++i];
            continue;
        }
        const size_t equals = arg.find('=');
        FakeShowcaseServer::Reply reply;
        if (equals == std::string::npos || !parseReply(arg.substr(equals + 1), &reply)) {
            std::fprintf(stderr, "usage: fake-showcase [--log FILE] [PATH=STATUS:BODY|PATH=stall|PATH=drop ...]\n");
            return 2;
        }
        std::string path = arg.substr(0, equals);
        if (path.empty() || path[0] != '/') path = "/" + path;
        server.setReply(path, reply);
    }

    std::printf("%s\n", server.baseUrl().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);

    std::ofstream file;
    if (!logFile.empty()) file.open(logFile, std::ios::binary);
    std::ostream& out = logFile.empty() ? std::cout : file;
    for (const FakeShowcaseServer::Request& request : server.requests()) {
        out << request.method << ' ' << request.path << '\n';
        for (const std::string& line : request.headerLines) out << "  " << shown(line) << '\n';
        out << "  body " << request.body.size() << " bytes: " << shown(request.body) << "\n\n";
    }
    return out ? 0 : 1;
}
