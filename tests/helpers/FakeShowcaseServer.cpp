#include "FakeShowcaseServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

const char* reasonFor(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool sendAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

std::string trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

} // namespace

std::string FakeShowcaseServer::Request::header(const std::string& name) const
{
    for (const auto& entry : headers) {
        if (strcasecmp(entry.first.c_str(), name.c_str()) == 0) return entry.second;
    }
    return "";
}

FakeShowcaseServer::Reply FakeShowcaseServer::answer(int status, const std::string& body,
                                                     const std::string& contentType)
{
    Reply reply;
    reply.status = status;
    reply.body = body;
    reply.contentType = contentType;
    return reply;
}

FakeShowcaseServer::Reply FakeShowcaseServer::delayed(double seconds, int status, const std::string& body)
{
    Reply reply = answer(status, body);
    reply.delaySeconds = seconds;
    return reply;
}

FakeShowcaseServer::Reply FakeShowcaseServer::stall()
{
    Reply reply;
    reply.kind = Reply::Kind::Stall;
    return reply;
}

FakeShowcaseServer::Reply FakeShowcaseServer::drop()
{
    Reply reply;
    reply.kind = Reply::Kind::Drop;
    return reply;
}

FakeShowcaseServer::FakeShowcaseServer()
{
    if (::pipe(_stopPipe) != 0) throw std::runtime_error("pipe failed");
    _listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (_listenFd < 0) throw std::runtime_error("socket failed");
    int yes = 1;
    ::setsockopt(_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(_listenFd, 16) != 0) {
        throw std::runtime_error("bind/listen failed");
    }
    socklen_t length = sizeof address;
    ::getsockname(_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    _port = ntohs(address.sin_port);
    _acceptor = std::thread([this] { acceptLoop(); });
}

FakeShowcaseServer::~FakeShowcaseServer()
{
    // Closing the write end wakes every poll that watches the read end.
    ::close(_stopPipe[1]);
    if (_acceptor.joinable()) _acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        connections.swap(_connections);
    }
    for (auto& connection : connections) connection.join();
    ::close(_listenFd);
    ::close(_stopPipe[0]);
}

std::string FakeShowcaseServer::baseUrl() const { return "http://127.0.0.1:" + std::to_string(_port) + "/"; }

void FakeShowcaseServer::setReply(const std::string& path, const Reply& reply)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _replies[path] = reply;
}

std::vector<FakeShowcaseServer::Request> FakeShowcaseServer::requests() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _requests;
}

size_t FakeShowcaseServer::requestCount() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _requests.size();
}

bool FakeShowcaseServer::waitForRequests(size_t count, double seconds) const
{
    std::unique_lock<std::mutex> lock(_mutex);
    return _arrived.wait_for(lock, std::chrono::duration<double>(seconds),
                             [&] { return _requests.size() >= count; });
}

void FakeShowcaseServer::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{_listenFd, POLLIN, 0}, {_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        int fd = ::accept4(_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> lock(_mutex);
        _connections.emplace_back([this, fd] { serve(fd); });
    }
}

bool FakeShowcaseServer::sleepUnlessStopped(double seconds) const
{
    pollfd stop{_stopPipe[0], POLLIN, 0};
    return ::poll(&stop, 1, int(seconds * 1000.0)) == 0;
}

void FakeShowcaseServer::waitUntilClosedOrStopped(int fd) const
{
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        char scratch[4096];
        if (::recv(fd, scratch, sizeof scratch, 0) <= 0) return;
    }
}

bool FakeShowcaseServer::readRequest(int fd, Request* request)
{
    std::string buffer;
    size_t headerEnd = std::string::npos;
    size_t contentLength = 0;
    bool parsed = false;
    char chunk[16384];
    for (;;) {
        if (parsed && buffer.size() >= headerEnd + 4 + contentLength) break;
        pollfd fds[2] = {{fd, POLLIN, 0}, {_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, 10000) <= 0 || fds[1].revents) return false;
        ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer.append(chunk, size_t(n));
        if (parsed) continue;
        headerEnd = buffer.find("\r\n\r\n");
        if (headerEnd == std::string::npos) continue;

        std::string head = buffer.substr(0, headerEnd);
        size_t lineEnd = head.find("\r\n");
        std::string requestLine = head.substr(0, lineEnd);
        size_t space1 = requestLine.find(' ');
        size_t space2 = requestLine.find(' ', space1 + 1);
        if (space1 == std::string::npos || space2 == std::string::npos) return false;
        request->method = requestLine.substr(0, space1);
        request->path = requestLine.substr(space1 + 1, space2 - space1 - 1);
        size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (position < head.size()) {
            size_t next = head.find("\r\n", position);
            if (next == std::string::npos) next = head.size();
            std::string line = head.substr(position, next - position);
            request->headerLines.push_back(line);
            size_t colon = line.find(':');
            if (colon != std::string::npos) {
                request->headers.emplace_back(line.substr(0, colon), trim(line.substr(colon + 1)));
            }
            position = next + 2;
        }
        std::string length = request->header("Content-Length");
        contentLength = length.empty() ? 0 : size_t(std::strtoull(length.c_str(), nullptr, 10));
        if (strcasecmp(request->header("Expect").c_str(), "100-continue") == 0) {
            sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
        }
        parsed = true;
    }
    request->body = buffer.substr(headerEnd + 4, contentLength);
    return true;
}

void FakeShowcaseServer::serve(int fd)
{
    Request request;
    if (!readRequest(fd, &request)) {
        ::close(fd);
        return;
    }
    std::string path = request.path.substr(0, request.path.find('?'));
    Reply reply = answer(404, "{\"result\":\"not found\"}");
    {
        std::lock_guard<std::mutex> lock(_mutex);
        auto it = _replies.find(path);
        if (it != _replies.end()) reply = it->second;
        _requests.push_back(request);
    }
    _arrived.notify_all();

    switch (reply.kind) {
    case Reply::Kind::Stall:
        waitUntilClosedOrStopped(fd);
        break;
    case Reply::Kind::Drop:
        break;
    case Reply::Kind::Answer:
        if (reply.delaySeconds > 0.0 && !sleepUnlessStopped(reply.delaySeconds)) break;
        sendAll(fd, "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonFor(reply.status) +
                        "\r\nContent-Type: " + reply.contentType +
                        "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                        "\r\nConnection: close\r\n\r\n" + reply.body);
        ::shutdown(fd, SHUT_WR);
        break;
    }
    ::close(fd);
}
