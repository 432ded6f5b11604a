#include "platform/CCFileUtils.h"

#include <SDL_filesystem.h>
#include <SDL_stdinc.h>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <random>

namespace cocos2d {

namespace {

// How far below the writable folder leftovers of killed writes are looked
// for; the engine writes into it and into folders one or two levels down.
const int kSweepDepth = 3;

bool endsWithSlash(const std::string& s) { return !s.empty() && s.back() == '/'; }

std::string withSlash(std::string s)
{
    if (!endsWithSlash(s)) {
        s += '/';
    }
    return s;
}

std::string currentDirectory()
{
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string homeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    struct passwd entry;
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return std::string();
}

bool statPath(const std::string& path, struct stat* info) { return !path.empty() && ::stat(path.c_str(), info) == 0; }

bool isDirectory(const std::string& path)
{
    struct stat info;
    return statPath(path, &info) && S_ISDIR(info.st_mode);
}

// Creates every missing component of path with the given mode. A private
// folder gets its mode with chmod as well, so an unusual umask cannot leave
// it unreadable to its owner; ordinary folders keep what the umask allows.
bool makeDirectories(const std::string& path, mode_t mode, bool exactMode, std::string* error)
{
    if (path.empty()) {
        *error = "empty path";
        return false;
    }
    std::string partial;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        partial = path.substr(0, slash);
        start = slash + 1;
        if (partial.empty() || isDirectory(partial)) {
            continue;
        }
        if (::mkdir(partial.c_str(), mode) != 0) {
            // Another process may have created it in the meantime.
            if (errno == EEXIST && isDirectory(partial)) {
                continue;
            }
            *error = partial + ": " + std::strerror(errno);
            return false;
        }
        if (exactMode) {
            ::chmod(partial.c_str(), mode);
        }
    }
    return true;
}

std::string parentOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens a new, uniquely named file beside target. The name starts with a dot
// so folder listings made by the application never pick it up, and carries
// the writer's process id so a later start can tell a leftover of a killed
// write from the file of a copy that is writing right now.
int createTemporarySibling(const std::string& target, std::string* tempPath)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random(std::random_device{}());
    const std::string folder = parentOf(target);
    const std::string prefix = folder + "/." + baseNameOf(target) + ".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = prefix + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
                    std::to_string(random() % 1000000);
        // Owner-only whatever the umask: thumbnails and settings are the
        // user's own, and an umask without owner bits must not lock the
        // owner out either.
        int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
            return fd;
        }
        if (errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const unsigned char* bytes, size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// ".name.tmp-PID-N-R", the name createTemporarySibling() gives.
bool isTemporaryName(const char* name, pid_t* writer)
{
    const char* mark = name[0] == '.' ? std::strstr(name + 1, ".tmp-") : nullptr;
    if (mark == nullptr || mark == name + 1) {
        return false;
    }
    const char* p = mark + 5;
    long long numbers[3] = {0, 0, 0};
    for (int part = 0; part < 3; ++part) {
        if (*p < '0' || *p > '9') {
            return false;
        }
        while (*p >= '0' && *p <= '9') {
            numbers[part] = numbers[part] * 10 + (*p++ - '0');
            if (numbers[part] > INT_MAX) {
                return false;
            }
        }
        if (*p != (part < 2 ? '-' : '\0')) {
            return false;
        }
        ++p;
    }
    *writer = static_cast<pid_t>(numbers[0]);
    return true;
}

bool writerIsRunning(pid_t writer) { return writer != getpid() && (::kill(writer, 0) == 0 || errno == EPERM); }

bool isEarlier(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// The program's folders are private even where one was made before by
// something with a laxer umask. Only a folder of our own, and never a shared
// one with the sticky bit such as /tmp that someone pointed us at.
void makePrivate(const std::string& folder)
{
    struct stat info;
    if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & S_ISVTX) == 0 && (info.st_mode & 0777) != 0700) {
        ::chmod(folder.c_str(), 0700);
    }
}

// Removes the temporary files that writes killed before their rename left in
// folder and the folders under it, and makes those folders private. Only
// files older than started are touched, and none of a writer still running.
int sweepFolder(const std::string& folder, const struct timespec& started, int depth)
{
    makePrivate(folder);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    int removed = 0;
    while (struct dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        struct stat info;
        if (::fstatat(::dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        pid_t writer = 0;
        if (S_ISDIR(info.st_mode)) {
            if (depth > 0) {
                removed += sweepFolder(folder + "/" + name, started, depth - 1);
            }
        } else if (S_ISREG(info.st_mode) && isTemporaryName(name, &writer) && isEarlier(info.st_mtim, started) &&
                   !writerIsRunning(writer) && ::unlinkat(::dirfd(dir), name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

struct timespec currentTime()
{
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

// Taken while the program loads, before anything of it can write a file.
const struct timespec s_programStart = currentTime();

void syncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileUtils* FileUtils::s_sharedFileUtils = nullptr;

FileUtils* FileUtils::getInstance()
{
    if (s_sharedFileUtils == nullptr) {
        s_sharedFileUtils = new FileUtils();
    }
    return s_sharedFileUtils;
}

void FileUtils::destroyInstance()
{
    delete s_sharedFileUtils;
    s_sharedFileUtils = nullptr;
}

FileUtils::FileUtils()
{
    if (char* base = SDL_GetBasePath()) {
        _executableDir = withSlash(base);
        SDL_free(base);
    }
    std::vector<std::string> defaults;
    if (!_executableDir.empty()) {
        defaults.push_back(_executableDir);
        // Installed as PREFIX/bin/veloquix, the pictures are in
        // PREFIX/share/veloquix/, whatever prefix the install was given.
        std::string prefix = parentOf(_executableDir.substr(0, _executableDir.size() - 1));
        if (isDirectory(withSlash(prefix) + "share/veloquix")) {
            defaults.push_back(withSlash(prefix) + "share/veloquix/");
        }
    }
    std::string cwd = currentDirectory();
    if (!cwd.empty()) {
        defaults.push_back(withSlash(cwd));
    }
    defaults.push_back(withSlash(VELOQUIX_INSTALL_DATA_DIR));
    for (const auto& path : defaults) {
        bool seen = false;
        for (const auto& existing : _searchPaths) {
            seen = seen || existing == path;
        }
        if (!seen) {
            _searchPaths.push_back(path);
        }
    }
}

FileUtils::~FileUtils() = default;

std::string FileUtils::getWritablePath() const
{
    std::string path;
    const char* home = std::getenv("VELOQUIX_HOME");
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (home != nullptr && home[0] != '\0') {
        path = home;
    } else if (xdg != nullptr && xdg[0] == '/') {
        // A relative XDG_DATA_HOME is invalid and must be ignored.
        path = withSlash(xdg) + "veloquix";
    } else {
        path = withSlash(homeDirectory()) + ".local/share/veloquix";
    }
    if (!isAbsolutePath(path)) {
        path = withSlash(currentDirectory()) + path;
    }
    path = withSlash(path);

    std::string error;
    // Callers ask for the path on every save, some of them from worker
    // threads; the folder is prepared, or reported unusable, once.
    static std::mutex prepareMutex;
    std::lock_guard<std::mutex> lock(prepareMutex);
    if (!isDirectory(path) && !makeDirectories(path, 0700, true, &error)) {
        if (_reportedWritablePath != path) {
            _reportedWritablePath = path;
            std::fprintf(stderr, "FileUtils: cannot create writable folder %s (%s)\n", path.c_str(), error.c_str());
        }
    } else if (_preparedWritablePath != path) {
        _preparedWritablePath = path;
        // Pointed at the root or the home folder itself, the program leaves
        // their modes and contents alone.
        const std::string folder = path.substr(0, path.size() - 1);
        const std::string home = homeDirectory();
        const bool shared = folder.empty() || (!home.empty() && withSlash(home) == path);
        int removed = shared ? 0 : sweepFolder(folder, s_programStart, kSweepDepth);
        if (removed > 0) {
            std::fprintf(stderr, "FileUtils: removed %d temporary files left by interrupted writes under %s\n", removed,
                         path.c_str());
        }
    }
    return path;
}

std::string FileUtils::normalizeSearchPath(const std::string& path) const
{
    if (isAbsolutePath(path)) {
        return withSlash(path);
    }
    return withSlash(_executableDir + path);
}

void FileUtils::setSearchPaths(const std::vector<std::string>& searchPaths)
{
    _searchPaths.clear();
    bool hasExecutableDir = false;
    for (const auto& path : searchPaths) {
        _searchPaths.push_back(normalizeSearchPath(path));
        hasExecutableDir = hasExecutableDir || _searchPaths.back() == withSlash(_executableDir);
    }
    if (!hasExecutableDir && !_executableDir.empty()) {
        _searchPaths.push_back(_executableDir);
    }
}

void FileUtils::addSearchPath(const std::string& path, const bool front)
{
    std::string normalized = normalizeSearchPath(path);
    if (front) {
        _searchPaths.insert(_searchPaths.begin(), normalized);
    } else {
        _searchPaths.push_back(normalized);
    }
}

const std::vector<std::string>& FileUtils::getSearchPaths() const { return _searchPaths; }

bool FileUtils::isAbsolutePath(const std::string& path) const { return !path.empty() && path[0] == '/'; }

std::string FileUtils::resolve(const std::string& name, Entry kind) const
{
    if (name.empty()) {
        return std::string();
    }
    auto matches = [kind](const std::string& candidate) {
        struct stat info;
        if (!statPath(candidate, &info)) {
            return false;
        }
        switch (kind) {
        case Entry::File:
            return S_ISREG(info.st_mode);
        case Entry::Directory:
            return S_ISDIR(info.st_mode);
        case Entry::Any:
            break;
        }
        return true;
    };
    if (isAbsolutePath(name)) {
        return kind == Entry::Any || matches(name) ? name : std::string();
    }
    for (const auto& searchPath : _searchPaths) {
        std::string candidate = searchPath + name;
        if (matches(candidate)) {
            return candidate;
        }
    }
    return std::string();
}

std::string FileUtils::fullPathForFilename(const std::string& filename) const { return resolve(filename, Entry::Any); }

bool FileUtils::isFileExist(const std::string& filename) const { return !resolve(filename, Entry::File).empty(); }

bool FileUtils::isDirectoryExist(const std::string& dirPath) const
{
    return !resolve(dirPath, Entry::Directory).empty();
}

bool FileUtils::createDirectory(const std::string& dirPath)
{
    if (isDirectory(dirPath)) {
        return true;
    }
    // Folders under the writable path hold the user's own files and are
    // private like it; elsewhere the umask decides.
    const std::string writable = getWritablePath();
    const bool isPrivate = withSlash(dirPath).compare(0, writable.size(), writable) == 0;
    std::string error;
    if (!makeDirectories(dirPath, isPrivate ? 0700 : 0777, isPrivate, &error)) {
        std::fprintf(stderr, "FileUtils: cannot create folder %s (%s)\n", dirPath.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool FileUtils::removeDirectory(const std::string& dirPath)
{
    if (!isDirectory(dirPath)) {
        return false;
    }
    std::error_code error;
    std::filesystem::remove_all(dirPath, error);
    return !error;
}

Data FileUtils::getDataFromFile(const std::string& filename) const
{
    Data data;
    const std::string path = resolve(filename, Entry::File);
    if (path.empty()) {
        return data;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return data;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || info.st_size <= 0) {
        ::close(fd);
        return data;
    }
    size_t capacity = static_cast<size_t>(info.st_size);
    auto* bytes = static_cast<unsigned char*>(std::malloc(capacity));
    size_t filled = 0;
    while (bytes != nullptr && filled < capacity) {
        ssize_t got = ::read(fd, bytes + filled, capacity - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    if (bytes != nullptr && filled > 0) {
        data.fastSet(bytes, static_cast<ssize_t>(filled));
    } else {
        std::free(bytes);
    }
    return data;
}

std::string FileUtils::getStringFromFile(const std::string& filename) const
{
    Data data = getDataFromFile(filename);
    if (data.isNull()) {
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(data.getBytes()), static_cast<size_t>(data.getSize()));
}

bool FileUtils::writeDataToFile(const Data& data, const std::string& fullPath) const
{
    return writeAtomically(fullPath, data.getBytes(), static_cast<size_t>(data.getSize()));
}

bool FileUtils::writeStringToFile(const std::string& dataStr, const std::string& fullPath) const
{
    return writeAtomically(fullPath, dataStr.data(), dataStr.size());
}

bool FileUtils::writeAtomically(const std::string& fullPath, const void* bytes, size_t size)
{
    if (fullPath.empty() || fullPath.back() == '/') {
        std::fprintf(stderr, "FileUtils: cannot write \"%s\" (not a file name)\n", fullPath.c_str());
        return false;
    }
    std::string tempPath;
    int fd = createTemporarySibling(fullPath, &tempPath);
    if (fd < 0) {
        std::fprintf(stderr, "FileUtils: cannot write %s (%s)\n", fullPath.c_str(), std::strerror(errno));
        return false;
    }
    const char* failedStep = nullptr;
    if (!writeAll(fd, static_cast<const unsigned char*>(bytes), bytes != nullptr ? size : 0)) {
        failedStep = "write";
    } else if (::fsync(fd) != 0) {
        failedStep = "sync";
    }
    int savedErrno = errno;
    if (::close(fd) != 0 && failedStep == nullptr) {
        failedStep = "close";
        savedErrno = errno;
    }
    if (failedStep == nullptr && ::rename(tempPath.c_str(), fullPath.c_str()) != 0) {
        failedStep = "rename";
        savedErrno = errno;
    }
    if (failedStep != nullptr) {
        ::unlink(tempPath.c_str());
        std::fprintf(stderr, "FileUtils: cannot write %s (%s: %s)\n", fullPath.c_str(), failedStep,
                     std::strerror(savedErrno));
        return false;
    }
    // The rename itself must reach the disk too, or a power cut could bring
    // back the old file after we reported success.
    syncFolder(parentOf(fullPath));
    return true;
}

bool FileUtils::removeFile(const std::string& filepath) { return !filepath.empty() && ::unlink(filepath.c_str()) == 0; }

bool FileUtils::renameFile(const std::string& path, const std::string& oldname, const std::string& name)
{
    const std::string folder = withSlash(path);
    return renameFile(folder + oldname, folder + name);
}

bool FileUtils::renameFile(const std::string& oldfullpath, const std::string& newfullpath)
{
    return !oldfullpath.empty() && !newfullpath.empty() && ::rename(oldfullpath.c_str(), newfullpath.c_str()) == 0;
}

long FileUtils::getFileSize(const std::string& filepath) const
{
    const std::string path = resolve(filepath, Entry::File);
    struct stat info;
    if (!statPath(path, &info)) {
        return -1;
    }
    return static_cast<long>(info.st_size);
}

} // namespace cocos2d
