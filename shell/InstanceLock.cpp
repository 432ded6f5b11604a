#include "InstanceLock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace veloquix {

namespace {

const char kLockName[] = "veloquix.lock";
const char kSocketName[] = "veloquix.sock";
const char kAnswer[] = "ok\n";

std::string withSlash(const std::string& folder)
{
    return !folder.empty() && folder.back() != '/' ? folder + "/" : folder;
}

// The socket's address in the folder. A folder too deep for a socket address
// is reached through an open descriptor of it instead (Linux resolves
// /proc/self/fd/N as the folder itself); *folderFd is then that descriptor,
// for the caller to close once bound or connected.
bool socketAddress(const std::string& folder, sockaddr_un* address, int* folderFd)
{
    *address = {};
    address->sun_family = AF_UNIX;
    *folderFd = -1;
    std::string path = folder + kSocketName;
    if (path.size() >= sizeof address->sun_path) {
        *folderFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (*folderFd < 0) return false;
        path = "/proc/self/fd/" + std::to_string(*folderFd) + "/" + kSocketName;
    }
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

void closeIfOpen(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

double secondsNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Knocks once: true when the holder answered before the deadline.
bool knockOnce(const std::string& folder, double deadline)
{
    sockaddr_un address;
    int folderFd = -1;
    if (!socketAddress(folder, &address, &folderFd)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    closeIfOpen(folderFd);
    bool answered = false;
    if (connected) {
        // The connection is the knock; the holder answers once its window is up front.
        std::string got;
        for (;;) {
            int left = static_cast<int>((deadline - secondsNow()) * 1000.0);
            if (left <= 0) break;
            pollfd wait = {fd, POLLIN, 0};
            int ready = ::poll(&wait, 1, left);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;
            char bytes[8];
            ssize_t n = ::read(fd, bytes, sizeof bytes);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got.append(bytes, static_cast<size_t>(n));
            if (got.size() >= sizeof kAnswer - 1) {
                answered = got.compare(0, sizeof kAnswer - 1, kAnswer) == 0;
                break;
            }
        }
    }
    closeIfOpen(fd);
    return answered;
}

} // namespace

InstanceLock::~InstanceLock()
{
    stopListening();
    closeIfOpen(_lockFd);
}

InstanceLock::Outcome InstanceLock::tryTake(const std::string& folder)
{
    if (held()) return Outcome::Held;
    _folder = withSlash(folder);
    int fd = ::open((_folder + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        _reason = std::strerror(errno);
        return Outcome::NoFolder;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        bool busy = errno == EWOULDBLOCK;
        _reason = busy ? "the folder is in use by another copy" : std::strerror(errno);
        ::close(fd);
        return busy ? Outcome::Busy : Outcome::NoFolder;
    }
    _lockFd = fd;
    return Outcome::Held;
}

InstanceLock::Outcome InstanceLock::takeOrKnock(const std::string& folder, double patience)
{
    const double deadline = secondsNow() + patience;
    for (;;) {
        Outcome outcome = tryTake(folder);
        if (outcome != Outcome::Busy) return outcome;
        // A holder still starting has no socket yet, and one on its way out
        // lets the lock go soon: both are worth another try until the deadline.
        if (knockOnce(_folder, deadline)) return Outcome::Answered;
        if (secondsNow() >= deadline) {
            _reason = "the copy using the folder did not answer";
            return Outcome::NoAnswer;
        }
        ::usleep(50 * 1000);
    }
}

bool InstanceLock::listen(std::function<void(Answer)> onKnock)
{
    if (!held() || _listenFd >= 0) return false;
    sockaddr_un address;
    int folderFd = -1;
    if (!socketAddress(_folder, &address, &folderFd)) {
        _reason = std::strerror(errno);
        return false;
    }
    // A socket left by a copy that was killed; the lock says nobody listens on it.
    ::unlink(address.sun_path);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(fd, 8) == 0 && ::pipe2(_stopPipe, O_CLOEXEC) == 0;
    if (!ok) _reason = std::strerror(errno);
    closeIfOpen(folderFd);
    if (!ok) {
        closeIfOpen(fd);
        closeIfOpen(_stopPipe[0]);
        closeIfOpen(_stopPipe[1]);
        return false;
    }
    _listenFd = fd;
    _listener = std::thread([fd, stop = _stopPipe[0], onKnock = std::move(onKnock)] {
        for (;;) {
            pollfd waits[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(waits, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (waits[1].revents) return;
            int connection = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            // Closed when the last copy of the answer goes, run or not.
            auto held = std::shared_ptr<int>(new int(connection), [](int* c) {
                ::close(*c);
                delete c;
            });
            onKnock([held] { (void)!::send(*held, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL); });
        }
    });
    return true;
}

void InstanceLock::stopListening()
{
    if (_listenFd < 0) return;
    (void)!::write(_stopPipe[1], "x", 1);
    if (_listener.joinable()) _listener.join();
    closeIfOpen(_listenFd);
    closeIfOpen(_stopPipe[0]);
    closeIfOpen(_stopPipe[1]);
    // Still under the lock, so no later holder's socket is removed.
    sockaddr_un address;
    int folderFd = -1;
    if (socketAddress(_folder, &address, &folderFd)) ::unlink(address.sun_path);
    closeIfOpen(folderFd);
}

} // namespace veloquix
