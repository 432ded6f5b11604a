#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// A child process running body; it reports through a pipe with tell() and
// waits with hear(), so the parent can kill it at a chosen moment.
class Child {
public:
    explicit Child(const std::function<void(Child&)>& body) {
        if (pipe(toParent_) != 0 || pipe(toChild_) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            ::close(toParent_[0]);
            ::close(toChild_[1]);
            body(*this);
            // Skip the test framework's exit handlers: this is not its process.
            _exit(0);
        }
        ::close(toParent_[1]);
        ::close(toChild_[0]);
    }

    ~Child() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // In the child.
    void tell(char c) { (void)!::write(toParent_[1], &c, 1); }
    char hear() {
        char c = 0;
        return ::read(toChild_[0], &c, 1) == 1 ? c : '\0';
    }
    [[noreturn]] void fail() { _exit(1); }

    // In the parent.
    bool started() const { return pid_ > 0; }
    char waitFor() {
        char c = 0;
        return ::read(toParent_[0], &c, 1) == 1 ? c : '\0';
    }
    void send(char c) { (void)!::write(toChild_[1], &c, 1); }
    bool killAtOnce() {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    int exitStatus() {
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int toParent_[2] = {-1, -1};
    int toChild_[2] = {-1, -1};
};
