#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "EngineHarness.h"
#include "FakeShowcaseServer.h"
#include "network/HttpClient.h"

USING_NS_CC;
using cocos2d::network::HttpClient;
using cocos2d::network::HttpRequest;
using cocos2d::network::HttpResponse;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Reply {
    int calls = 0;
    bool onMainThread = false;
    bool succeed = false;
    long code = -1;
    std::string data;
    std::string error;
    std::string tag;
    HttpRequest* request = nullptr;
    double atSeconds = 0.0;
};

// A port that was free a moment ago and has no listener now.
int closedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

long statusKilobytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

// Answers every request on 127.0.0.1 with a 200 and then up to 500 MB of
// zeros from one small buffer, with or without declaring the length, until
// the client hangs up or the server stops.
class FloodServer {
public:
    static constexpr size_t kFlood = 500u * 1024 * 1024;

    explicit FloodServer(bool declareLength) : _declareLength(declareLength)
    {
        _listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(_listenFd, 4);
        socklen_t length = sizeof address;
        ::getsockname(_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
        _port = ntohs(address.sin_port);
        _thread = std::thread([this] { run(); });
    }
    ~FloodServer()
    {
        _stop = true;
        _thread.join();
        ::close(_listenFd);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(_port) + "/flood"; }
    size_t sent() const { return _sent; }

private:
    bool ready(int fd, short events)
    {
        while (!_stop) {
            pollfd p{fd, events, 0};
            int n = ::poll(&p, 1, 100);
            if (n > 0) return (p.revents & events) != 0;
            if (n < 0 && errno != EINTR) return false;
        }
        return false;
    }
    void run()
    {
        while (ready(_listenFd, POLLIN)) {
            int fd = ::accept4(_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::string request;
            char chunk[4096];
            while (request.find("\r\n\r\n") == std::string::npos && ready(fd, POLLIN)) {
                ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                if (n <= 0) break;
                request.append(chunk, size_t(n));
            }
            std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n";
            if (_declareLength) head += "Content-Length: " + std::to_string(kFlood) + "\r\n";
            head += "\r\n";
            ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
            std::vector<char> zeros(64 * 1024, '0');
            size_t total = 0;
            while (total < kFlood && ready(fd, POLLOUT)) {
                ssize_t n = ::send(fd, zeros.data(), std::min(zeros.size(), kFlood - total), MSG_NOSIGNAL);
                if (n <= 0) break;
                total += size_t(n);
                _sent += size_t(n);
            }
            ::close(fd);
        }
    }

    bool _declareLength;
    int _listenFd = -1;
    int _port = 0;
    std::atomic<bool> _stop{false};
    std::atomic<size_t> _sent{0};
    std::thread _thread;
};

struct TargetRecord {
    int calls = 0;
    bool destroyed = false;
    bool aliveDuringCallback = false;
    bool succeed = false;
};

// A Ref whose life the test watches from outside.
class ReplyTarget : public Ref {
public:
    explicit ReplyTarget(TargetRecord* record) : _record(record) {}
    ~ReplyTarget() override { _record->destroyed = true; }
    void onReply(HttpClient*, HttpResponse* response)
    {
        ++_record->calls;
        _record->aliveDuringCallback = !_record->destroyed;
        _record->succeed = response->isSucceed();
    }

private:
    TargetRecord* _record;
};

HttpRequest* requestFor(const std::string& url, ReplyTarget* target)
{
    auto* request = new HttpRequest();
    request->setUrl(url);
    request->setRequestType(HttpRequest::Type::POST);
    request->setResponseCallback(target, httpresponse_selector(ReplyTarget::onReply));
    return request;
}

class HttpClientTest : public ::testing::Test {
protected:
    HttpClientTest()
    {
        // Loopback must never go through a proxy from the environment.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
        _start = Clock::now();
    }
    ~HttpClientTest() override { HttpClient::destroyInstance(); }

    HttpRequest* post(const std::string& path, Reply* reply, const std::string& body = "a=1")
    {
        auto* request = new HttpRequest();
        request->setUrl(server.baseUrl() + path);
        request->setRequestType(HttpRequest::Type::POST);
        request->setRequestData(body.data(), body.size());
        request->setTag(path);
        std::thread::id main = std::this_thread::get_id();
        Clock::time_point start = _start;
        request->setResponseCallback([reply, main, start](HttpClient*, HttpResponse* response) {
            ++reply->calls;
            reply->onMainThread = std::this_thread::get_id() == main;
            reply->succeed = response->isSucceed();
            reply->code = response->getResponseCode();
            reply->data.assign(response->getResponseData()->begin(), response->getResponseData()->end());
            reply->error = response->getErrorBuffer();
            reply->request = response->getHttpRequest();
            reply->tag = response->getHttpRequest()->getTag();
            reply->atSeconds = secondsSince(start);
        });
        return request;
    }

    void send(HttpRequest* request)
    {
        HttpClient::getInstance()->send(request);
        request->release();
    }

    // Frames with a short real sleep: the engine clock is manual, curl's is not.
    bool pumpUntil(const std::function<bool()>& done, double seconds)
    {
        Clock::time_point start = Clock::now();
        while (!done()) {
            if (secondsSince(start) > seconds) return false;
            h.frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    void pumpFor(double seconds)
    {
        pumpUntil([] { return false; }, seconds);
    }

    EngineHarness h;
    FakeShowcaseServer server;
    Clock::time_point _start;
};

TEST_F(HttpClientTest, PostCarriesHeaderLinesAndBinaryBodyIntact)
{
    server.setReply("/login", FakeShowcaseServer::answer(200, "{\"result\":\"success\",\"token\":\"t\"}"));
    Reply reply;
    const std::string body("mail=a%40b.c&pass=x\0\xff\x80 end", 27);
    HttpRequest* request = post("login", &reply, body);
    request->setHeaders({"X-Account-Code: 1234-5678", "Authorization: Bearer tok en"});
    int userData = 7;
    request->setUserData(&userData);
    send(request);

    ASSERT_TRUE(pumpUntil([&] { return reply.calls > 0; }, 10.0));
    EXPECT_EQ(reply.calls, 1);
    EXPECT_TRUE(reply.onMainThread);
    EXPECT_TRUE(reply.succeed);
    EXPECT_EQ(reply.code, 200);
    EXPECT_EQ(reply.data, "{\"result\":\"success\",\"token\":\"t\"}");
    EXPECT_EQ(reply.tag, "login");

    ASSERT_EQ(server.requestCount(), 1u);
    FakeShowcaseServer::Request seen = server.requests()[0];
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.path, "/login");
    EXPECT_EQ(seen.header("X-Account-Code"), "1234-5678");
    EXPECT_EQ(seen.header("Authorization"), "Bearer tok en");
    EXPECT_EQ(seen.header("Expect"), "");
    EXPECT_EQ(seen.body, body);
}

TEST_F(HttpClientTest, ReplyIsDeliveredOnlyWhenAFrameRuns)
{
    server.setReply("/ping", FakeShowcaseServer::answer(200, "{}"));
    Reply reply;
    EXPECT_EQ(HttpClient::outstandingRequests(), 0u);
    send(post("ping", &reply));
    EXPECT_EQ(HttpClient::outstandingRequests(), 1u);
    ASSERT_TRUE(server.waitForRequests(1, 10.0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(reply.calls, 0) << "no frame ran, so no callback may have run";
    // Not handed over yet, whether answered or still being read: outstanding.
    EXPECT_EQ(HttpClient::outstandingRequests(), 1u);
    // On a busy machine the worker may still be reading the reply: frames run
    // until it is handed over, and the main thread only ever runs it in one.
    ASSERT_TRUE(pumpUntil([&] { return reply.calls > 0; }, 10.0));
    EXPECT_EQ(reply.calls, 1);
    EXPECT_EQ(HttpClient::outstandingRequests(), 0u);
    EXPECT_TRUE(reply.onMainThread);
}

TEST_F(HttpClientTest, RefusedConnectionFailsFastOnTheMainThread)
{
    auto* request = new HttpRequest();
    Reply reply;
    request->setUrl("http://127.0.0.1:" + std::to_string(closedPort()) + "/login");
    request->setRequestType(HttpRequest::Type::POST);
    std::thread::id main = std::this_thread::get_id();
    request->setResponseCallback([&reply, main](HttpClient*, HttpResponse* response) {
        ++reply.calls;
        reply.onMainThread = std::this_thread::get_id() == main;
        reply.succeed = response->isSucceed();
        reply.code = response->getResponseCode();
        reply.error = response->getErrorBuffer();
    });
    EXPECT_EQ(HttpClient::getInstance()->getTimeoutForConnect(), 10);
    Clock::time_point start = Clock::now();
    send(request);
    ASSERT_TRUE(pumpUntil([&] { return reply.calls > 0; }, 10.0)) << "not within the connect timeout";
    EXPECT_LT(secondsSince(start), 3.0);
    EXPECT_FALSE(reply.succeed);
    EXPECT_EQ(reply.code, 0);
    EXPECT_FALSE(reply.error.empty());
    EXPECT_TRUE(reply.onMainThread);
}

TEST_F(HttpClientTest, ServerErrorsAndBrokenJsonAndDroppedConnections)
{
    server.setReply("/fail", FakeShowcaseServer::answer(500, "{\"result\":\"error\"}"));
    server.setReply("/denied", FakeShowcaseServer::answer(403, ""));
    server.setReply("/broken", FakeShowcaseServer::answer(200, "{\"result\":\"succ"));
    server.setReply("/drop", FakeShowcaseServer::drop());
    Reply fail, denied, broken, dropped;
    send(post("fail", &fail));
    send(post("denied", &denied));
    send(post("broken", &broken));
    send(post("drop", &dropped));
    ASSERT_TRUE(pumpUntil([&] { return dropped.calls > 0; }, 10.0));

    EXPECT_FALSE(fail.succeed);
    EXPECT_EQ(fail.code, 500);
    EXPECT_EQ(fail.data, "{\"result\":\"error\"}");
    EXPECT_FALSE(denied.succeed);
    EXPECT_EQ(denied.code, 403);
    // The client does not judge the content; the caller's parser does.
    EXPECT_TRUE(broken.succeed);
    EXPECT_EQ(broken.data, "{\"result\":\"succ");
    EXPECT_FALSE(dropped.succeed);
    EXPECT_FALSE(dropped.error.empty());
    for (const Reply* r : {&fail, &denied, &broken, &dropped}) EXPECT_EQ(r->calls, 1);
}

TEST_F(HttpClientTest, RequestsRunOneAtATimeInOrder)
{
    server.setReply("/slow", FakeShowcaseServer::delayed(0.3, 200, "slow"));
    server.setReply("/fast", FakeShowcaseServer::answer(200, "fast"));
    Reply slow, fast;
    send(post("slow", &slow));
    send(post("fast", &fast));
    ASSERT_TRUE(pumpUntil([&] { return fast.calls > 0; }, 10.0));
    EXPECT_EQ(slow.calls, 1);
    EXPECT_LE(slow.atSeconds, fast.atSeconds);
    std::vector<FakeShowcaseServer::Request> seen = server.requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].path, "/slow");
    EXPECT_EQ(seen[1].path, "/fast");
}

TEST_F(HttpClientTest, StalledReplyTimesOut)
{
    server.setReply("/stall", FakeShowcaseServer::stall());
    HttpClient::getInstance()->setTimeoutForRead(1);
    Reply reply;
    Clock::time_point start = Clock::now();
    send(post("stall", &reply));
    ASSERT_TRUE(pumpUntil([&] { return reply.calls > 0; }, 10.0));
    double elapsed = secondsSince(start);
    EXPECT_GE(elapsed, 0.9);
    EXPECT_LT(elapsed, 5.0);
    EXPECT_FALSE(reply.succeed);
    EXPECT_FALSE(reply.error.empty());
}

TEST_F(HttpClientTest, TwoMebibyteReplyArrivesWhole)
{
    std::string big(2 * 1024 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char((i * 31 + i / 4096) % 251);
    server.setReply("/big", FakeShowcaseServer::answer(200, big, "application/octet-stream"));
    Reply reply;
    send(post("big", &reply));
    ASSERT_TRUE(pumpUntil([&] { return reply.calls > 0; }, 20.0));
    EXPECT_TRUE(reply.succeed);
    ASSERT_EQ(reply.data.size(), big.size());
    EXPECT_TRUE(reply.data == big);
}

TEST_F(HttpClientTest, DestroyWithATransferInFlightReturnsPromptlyAndNothingIsCalledBack)
{
    server.setReply("/stall", FakeShowcaseServer::stall());
    TargetRecord record;
    auto* target = new ReplyTarget(&record);
    send(requestFor(server.baseUrl() + "stall", target));
    target->release();
    Reply queued;
    send(post("later", &queued));
    ASSERT_TRUE(server.waitForRequests(1, 10.0));

    Clock::time_point start = Clock::now();
    HttpClient::destroyInstance();
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_TRUE(record.destroyed) << "the dropped request let go of its target";
    pumpFor(0.3);
    EXPECT_EQ(record.calls, 0);
    EXPECT_EQ(queued.calls, 0);
}

TEST_F(HttpClientTest, ReplyWaitingForAFrameIsDroppedByDestroy)
{
    server.setReply("/ping", FakeShowcaseServer::answer(200, "{}"));
    Reply reply;
    send(post("ping", &reply));
    ASSERT_TRUE(server.waitForRequests(1, 10.0));
    // Long enough for the worker to have queued the reply for the main thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    HttpClient::destroyInstance();
    pumpFor(0.2);
    EXPECT_EQ(reply.calls, 0);

    // A new client after that works as before.
    Reply again;
    send(post("ping", &again));
    ASSERT_TRUE(pumpUntil([&] { return again.calls > 0; }, 10.0));
    EXPECT_TRUE(again.succeed);
}

TEST_F(HttpClientTest, TargetLivesUntilItsCallbackRanAndIsFreedAfterwards)
{
    server.setReply("/ping", FakeShowcaseServer::delayed(0.2, 200, "{}"));
    TargetRecord record;
    auto* target = new ReplyTarget(&record);
    send(requestFor(server.baseUrl() + "ping", target));
    // The caller lets go at once, as the application's layers may when they close.
    target->release();
    EXPECT_FALSE(record.destroyed);
    ASSERT_TRUE(pumpUntil([&] { return record.calls > 0; }, 10.0));
    EXPECT_EQ(record.calls, 1);
    EXPECT_TRUE(record.aliveDuringCallback);
    EXPECT_TRUE(record.succeed);
    EXPECT_TRUE(record.destroyed) << "released with the request once the callback ran";
}

TEST_F(HttpClientTest, ReplyOverTheCapFailsInBoundedMemoryAndTheClientGoesOn)
{
    server.setReply("/ping", FakeShowcaseServer::answer(200, "{}"));
    FloodServer undeclared(false);
    FloodServer declared(true);
    // Resets the peak to what is resident now.
    std::ofstream("/proc/self/clear_refs") << "5";
    long before = statusKilobytes("VmRSS:");

    testing::internal::CaptureStderr();
    Reply streamed, announced;
    for (auto entry : {std::make_pair(&undeclared, &streamed), std::make_pair(&declared, &announced)}) {
        HttpRequest* request = post("", entry.second);
        request->setUrl(entry.first->url());
        send(request);
    }
    ASSERT_TRUE(pumpUntil([&] { return announced.calls > 0; }, 60.0));
    std::string messages = testing::internal::GetCapturedStderr();
    long growthKb = statusKilobytes("VmHWM:") - before;

    const std::string why = "reply body over " + std::to_string(HttpClient::kMaxReplyBodyBytes) + " bytes";
    for (const Reply* reply : {&streamed, &announced}) {
        EXPECT_EQ(reply->calls, 1);
        EXPECT_FALSE(reply->succeed);
        EXPECT_EQ(reply->error, why);
        EXPECT_TRUE(reply->data.empty());
    }
    EXPECT_LT(growthKb, 100 * 1024);
    EXPECT_LT(undeclared.sent(), FloodServer::kFlood / 4) << "the transfer went on after the cap";
    EXPECT_LT(declared.sent(), FloodServer::kFlood / 4);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 2) << messages;
    EXPECT_NE(messages.find(why), std::string::npos) << messages;

    Reply after;
    send(post("ping", &after));
    ASSERT_TRUE(pumpUntil([&] { return after.calls > 0; }, 10.0));
    EXPECT_TRUE(after.succeed);
}

TEST_F(HttpClientTest, HeaderLineWithABreakOrNulIsRefusedAndNothingIsSent)
{
    server.setReply("/login", FakeShowcaseServer::answer(200, "{}"));
    const std::string secret = "tok3n-s3cret";
    const std::vector<std::string> smuggled = {"Authorization: Bearer " + secret + "\r\nX-Evil: 1",
                                               "X-Account-Code: " + secret + "\nX-Evil: 1",
                                               std::string("X-Account-Code: ") + secret + std::string("\0X-Evil: 1", 11),
                                               "X-Evil: 1\r"};
    testing::internal::CaptureStderr();
    std::vector<Reply> refused(smuggled.size());
    for (size_t i = 0; i < smuggled.size(); ++i) {
        HttpRequest* request = post("login", &refused[i]);
        request->setHeaders({"Accept: application/json", smuggled[i]});
        send(request);
    }
    // Requests go in order, so once this one is answered the others were handled.
    Reply honest;
    HttpRequest* request = post("login", &honest);
    request->setHeaders({"Authorization: Bearer " + secret});
    send(request);
    ASSERT_TRUE(pumpUntil([&] { return honest.calls > 0; }, 10.0));
    std::string messages = testing::internal::GetCapturedStderr();

    for (const Reply& reply : refused) {
        EXPECT_EQ(reply.calls, 1);
        EXPECT_FALSE(reply.succeed);
        EXPECT_EQ(reply.code, 0);
        EXPECT_EQ(reply.error, "request not sent: header line 2 holds CR, LF or NUL");
    }
    EXPECT_TRUE(honest.succeed);
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].header("X-Evil"), "");
    EXPECT_EQ(server.requests()[0].header("Authorization"), "Bearer " + secret);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 4) << messages;
    EXPECT_EQ(messages.find(secret), std::string::npos) << "a header value reached the log";
    EXPECT_EQ(messages.find("Evil"), std::string::npos) << messages;
}

TEST_F(HttpClientTest, OnlyHttpAndHttpsUrlsAreFetched)
{
    std::string local = std::string(VELOQUIX_SOURCE_DIR) + "/CMakeLists.txt";
    server.setReply("/ping", FakeShowcaseServer::answer(200, "{}"));
    const std::string hostAndPath = "127.0.0.1:" + std::to_string(server.port()) + "/ping";
    const std::vector<std::string> refusedUrls = {"file://" + local, "FILE://" + local, "ftp://" + hostAndPath,
                                                  hostAndPath, "http://" + hostAndPath + "?a=1\r\nX-Evil: 1"};
    testing::internal::CaptureStderr();
    std::vector<Reply> refused(refusedUrls.size());
    for (size_t i = 0; i < refusedUrls.size(); ++i) {
        HttpRequest* request = post("", &refused[i]);
        request->setUrl(refusedUrls[i]);
        request->setRequestType(HttpRequest::Type::GET);
        send(request);
    }
    Reply upper;
    HttpRequest* request = post("", &upper);
    request->setUrl("HTTP://" + hostAndPath);
    send(request);
    ASSERT_TRUE(pumpUntil([&] { return upper.calls > 0; }, 10.0));
    std::string messages = testing::internal::GetCapturedStderr();

    for (const Reply& reply : refused) {
        EXPECT_EQ(reply.calls, 1);
        EXPECT_FALSE(reply.succeed);
        EXPECT_TRUE(reply.data.empty());
        EXPECT_EQ(reply.error.rfind("request not sent: ", 0), 0u) << reply.error;
    }
    EXPECT_TRUE(upper.succeed);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 5) << messages;
}

} // namespace
