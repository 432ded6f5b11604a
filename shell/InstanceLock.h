#pragma once

#include <functional>
#include <string>
#include <thread>

namespace veloquix {

// One running copy per data folder. Two copies writing one store would each
// overwrite what the other saved, so the copy that holds the folder's lock
// listens on a socket beside it, and a later start asks that copy to come to
// the front instead of opening the store a second time.
//
// The lock is an flock() on a file in the folder: the system lets it go with
// the process, so a copy that was killed never blocks the next start.
class InstanceLock {
public:
    enum class Outcome {
        Held,       // this copy holds the folder
        Busy,       // another copy holds it (tryTake, which does not knock)
        Answered,   // another copy holds it and answered the knock
        NoAnswer,   // another copy holds it and did not answer in time
        NoFolder,   // no lock could be made (the folder is missing or not writable)
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on `folder` without waiting or asking anything.
    Outcome tryTake(const std::string& folder);
    // Takes the lock or, while another copy holds it, knocks on its socket
    // and waits at most `patience` seconds for its answer. Should the holder
    // go away meanwhile, the lock is taken after all.
    Outcome takeOrKnock(const std::string& folder, double patience);

    // Answers a knock; may be called from any thread, at most once.
    using Answer = std::function<void()>;
    // While held: every knock runs onKnock on a listening thread with the
    // function that answers it. An answer dropped unrun tells the knocker
    // nothing was done. False (and reason() says why) when no socket opens.
    bool listen(std::function<void(Answer)> onKnock);

    bool held() const { return _lockFd >= 0; }
    // Why the last call failed, for a message.
    const std::string& reason() const { return _reason; }

private:
    void stopListening();

    std::string _folder;
    std::string _reason;
    int _lockFd = -1;
    int _listenFd = -1;
    int _stopPipe[2] = {-1, -1};
    std::thread _listener;
};

} // namespace veloquix
