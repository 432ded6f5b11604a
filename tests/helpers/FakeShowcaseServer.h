#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 and a free port, standing in for the
// showcase service. It records every request and answers as the test
// scripted the request's path; unscripted paths get 404. One connection per
// request (replies say "Connection: close").
class FakeShowcaseServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::vector<std::pair<std::string, std::string>> headers; // in arrival order
        std::vector<std::string> headerLines; // the same, exactly as they arrived
        std::string body;
        // The first header of that name (case-insensitive), "" when absent.
        std::string header(const std::string& name) const;
    };

    struct Reply {
        enum class Kind { Answer, Stall, Drop };
        Kind kind = Kind::Answer;
        int status = 200;
        std::string body;
        std::string contentType = "application/json";
        // Answer only: wait this long after reading the request.
        double delaySeconds = 0.0;
    };

    static Reply answer(int status, const std::string& body, const std::string& contentType = "application/json");
    static Reply delayed(double seconds, int status, const std::string& body);
    // Reads the request and never answers (until the server stops).
    static Reply stall();
    // Reads the request and closes the connection without a word.
    static Reply drop();

    FakeShowcaseServer();
    ~FakeShowcaseServer();
    FakeShowcaseServer(const FakeShowcaseServer&) = delete;
    FakeShowcaseServer& operator=(const FakeShowcaseServer&) = delete;

    int port() const { return _port; }
    // "http://127.0.0.1:<port>/"
    std::string baseUrl() const;

    void setReply(const std::string& path, const Reply& reply);

    std::vector<Request> requests() const;
    size_t requestCount() const;
    // Real time; true once at least count requests were fully read.
    bool waitForRequests(size_t count, double seconds) const;

private:
    void acceptLoop();
    void serve(int fd);
    bool readRequest(int fd, Request* request);
    // False when the server stops first.
    bool sleepUnlessStopped(double seconds) const;
    void waitUntilClosedOrStopped(int fd) const;

    int _listenFd = -1;
    int _stopPipe[2] = {-1, -1};
    int _port = 0;
    std::thread _acceptor;

    mutable std::mutex _mutex;
    mutable std::condition_variable _arrived;
    std::map<std::string, Reply> _replies;
    std::vector<Request> _requests;
    std::vector<std::thread> _connections;
};
