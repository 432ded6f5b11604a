#include "storage/CCUserDefault.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/CCFileUtils.h"

namespace cocos2d {

namespace {

const char* const kStoreFileName = "UserDefault.sqlite";

// Long enough to ride out another instance's commit, short enough that a
// second instance holding a transaction open cannot freeze us for long.
int s_busyTimeoutMs = 5000;
std::function<void(const std::string&)> s_writeProblemListener;

// What a user can do something about, in a few plain words.
std::string openFailure(int error)
{
    switch (error) {
    case ENOSPC:
        return "the disk is full";
    case EROFS:
        return "the disk is read-only";
    case EACCES:
    case EPERM:
        return "the data folder may not be written";
    default:
        return "the data folder cannot be opened";
    }
}

std::string commitFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return "the disk is full";
    case SQLITE_READONLY:
        return "the store is read-only";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "the store is locked by another program";
    case SQLITE_IOERR:
        return "the disk cannot be written";
    default:
        return "the store cannot be written";
    }
}

// A getter that finds the store unopenable does not wait for it again at
// once: each attempt may wait out the busy timeout.
const auto kGetterRetryInterval = std::chrono::seconds(2);

bool isUnreadableCode(int code)
{
    int primary = code & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

bool pathExists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool isBusyCode(int code)
{
    int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Parsers follow the C library's tolerance (leading blanks, a plus sign,
// trailing junk ignored) because values written by hand or by older
// versions must still read back as the number they start with.
const char* skipBlanksAndPlus(const std::string& text)
{
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') {
        ++p;
    }
    if (*p == '+') {
        ++p;
    }
    return p;
}

int parseInteger(const std::string& text)
{
    const char* first = skipBlanksAndPlus(text);
    int value = 0;
    if (std::from_chars(first, text.c_str() + text.size(), value).ec != std::errc()) {
        return 0;
    }
    return value;
}

template <typename Real>
Real parseReal(const std::string& text)
{
    const char* first = skipBlanksAndPlus(text);
    const char* last = text.c_str() + text.size();
    Real value = 0;
    auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        // A double too large for a float reads as infinity, not as zero.
        double wide = 0;
        if (std::from_chars(first, last, wide).ec == std::errc()) {
            return static_cast<Real>(wide);
        }
    }
    return result.ec == std::errc() ? value : Real(0);
}

// Shortest text that reads back as exactly the same number, independent of
// the C locale.
template <typename Real>
std::string formatReal(Real value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string timestamp()
{
    std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return buffer;
}

} // namespace

UserDefault* UserDefault::s_sharedUserDefault = nullptr;

UserDefault* UserDefault::getInstance()
{
    if (s_sharedUserDefault == nullptr) {
        s_sharedUserDefault = new UserDefault();
    }
    return s_sharedUserDefault;
}

void UserDefault::destroyInstance()
{
    delete s_sharedUserDefault;
    s_sharedUserDefault = nullptr;
}

std::string UserDefault::getStoreFilePath() { return FileUtils::getInstance()->getWritablePath() + kStoreFileName; }

void UserDefault::setBusyTimeout(int milliseconds) { s_busyTimeoutMs = milliseconds; }

void UserDefault::setWriteProblemListener(std::function<void(const std::string&)> listener)
{
    s_writeProblemListener = std::move(listener);
}

void UserDefault::setWriteProblem(const std::string& reason)
{
    if (reason == _writeProblem) return;
    _writeProblem = reason;
    if (s_writeProblemListener) s_writeProblemListener(reason);
}

UserDefault::UserDefault() : _path(getStoreFilePath()) { ensureOpen(); }

UserDefault::~UserDefault()
{
    // Pending sets are committed here, so a clean exit keeps everything the
    // application set even where it forgot to flush; only a crash or a kill
    // loses unflushed sets.
    flush();
    if (!_pending.empty()) {
        std::fprintf(stderr, "UserDefault: %zu settings could not be written to %s before exit\n", _pending.size(),
                     _path.c_str());
    }
    close();
}

bool UserDefault::ensureOpen()
{
    if (_db != nullptr) {
        return true;
    }
    _lastOpenAttempt = std::chrono::steady_clock::now();
    OpenResult result = tryOpen(_path);
    if (result == OpenResult::Unusable) {
        close();
        moveAside(_path);
        result = tryOpen(_path);
    }
    if (result != OpenResult::Ok) _failure = _db != nullptr ? commitFailure(sqlite3_errcode(_db)) : openFailure(errno);
    if (result == OpenResult::Ok) {
        _openReported = false;
        return true;
    }
    if (!_openReported) {
        _openReported = true;
        std::fprintf(stderr, "UserDefault: cannot open %s (%s); settings are kept and written once it opens\n",
                     _path.c_str(), _db != nullptr ? sqlite3_errmsg(_db) : std::strerror(errno));
    }
    close();
    return false;
}

UserDefault::OpenResult UserDefault::tryOpen(const std::string& path)
{
    // Created here so it is private from the first byte (SQLite gives its
    // journal the same mode), and never through a symbolic link: a link in
    // the store's place is set aside like any other thing that is no store.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno == ELOOP || errno == EISDIR ? OpenResult::Unusable : OpenResult::Failed;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return OpenResult::Unusable;
    }
    if ((opened.st_mode & 07777) != 0600) {
        ::fchmod(fd, 0600);
    }
    int rc = sqlite3_open_v2(path.c_str(), &_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // SQLite opened the name again; it must still be the file checked above.
    struct stat named;
    bool same = ::lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) && named.st_dev == opened.st_dev &&
                named.st_ino == opened.st_ino;
    ::close(fd);
    if (rc != SQLITE_OK) {
        return OpenResult::Failed;
    }
    if (!same) {
        errno = EAGAIN;
        return OpenResult::Failed;
    }
    sqlite3_busy_timeout(_db, s_busyTimeoutMs);

    // A damaged file must be noticed now, not half-read later.
    sqlite3_stmt* check = nullptr;
    rc = sqlite3_prepare_v2(_db, "PRAGMA quick_check", -1, &check, nullptr);
    bool healthy = false;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(check);
        if (rc == SQLITE_ROW) {
            const unsigned char* verdict = sqlite3_column_text(check, 0);
            healthy = verdict != nullptr && std::strcmp(reinterpret_cast<const char*>(verdict), "ok") == 0;
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(check);
    if (isUnreadableCode(rc) || (rc == SQLITE_OK && !healthy)) {
        return OpenResult::Unusable;
    }
    if (rc != SQLITE_OK) {
        return OpenResult::Failed;
    }

    rc = sqlite3_exec(_db,
                      "PRAGMA synchronous=FULL;"
                      "CREATE TABLE IF NOT EXISTS entries("
                      "key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL)",
                      nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        return isUnreadableCode(rc) ? OpenResult::Unusable : OpenResult::Failed;
    }
    const struct {
        const char* sql;
        sqlite3_stmt** statement;
    } statements[] = {
        {"SELECT value FROM entries WHERE key = ?1", &_select},
        {"SELECT key, value FROM entries ORDER BY key", &_selectAll},
        {"INSERT INTO entries(key, value) VALUES(?1, ?2) "
         "ON CONFLICT(key) DO UPDATE SET value = excluded.value",
         &_upsert},
        {"DELETE FROM entries WHERE key = ?1", &_delete},
    };
    for (const auto& entry : statements) {
        rc = sqlite3_prepare_v2(_db, entry.sql, -1, entry.statement, nullptr);
        if (rc != SQLITE_OK) {
            // A database of some other program, whose "entries" table has
            // other columns, is as unusable to us as garbage; a lock held
            // elsewhere is only a reason to try again later.
            if (isBusyCode(rc)) {
                return OpenResult::Failed;
            }
            return rc == SQLITE_ERROR || isUnreadableCode(rc) ? OpenResult::Unusable : OpenResult::Failed;
        }
    }
    return OpenResult::Ok;
}

void UserDefault::close()
{
    for (sqlite3_stmt** statement : {&_select, &_selectAll, &_upsert, &_delete}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (_db != nullptr) {
        sqlite3_close_v2(_db);
        _db = nullptr;
    }
}

void UserDefault::moveAside(const std::string& path)
{
    std::string aside = path + ".corrupt-" + timestamp();
    for (int n = 2; pathExists(aside); ++n) {
        aside = path + ".corrupt-" + timestamp() + "-" + std::to_string(n);
    }
    // rename() moves a symbolic link itself, never what it points to.
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        std::fprintf(stderr, "UserDefault: %s is not a usable store and cannot be moved (%s)\n", path.c_str(),
                     std::strerror(errno));
        return;
    }
    // A journal left beside the bad file would be replayed into the new
    // store, so it goes with the file it belongs to.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        const std::string side = path + suffix;
        if (pathExists(side)) {
            ::rename(side.c_str(), (aside + suffix).c_str());
        }
    }
    std::fprintf(stderr, "UserDefault: %s is not a usable store; moved it to %s and started anew\n", path.c_str(),
                 aside.c_str());
}

void UserDefault::report(const char* what, const char* key) const
{
    const char* reason = _db != nullptr ? sqlite3_errmsg(_db) : "no store";
    if (key != nullptr) {
        std::fprintf(stderr, "UserDefault: cannot %s \"%s\" (%s)\n", what, key, reason);
    } else {
        std::fprintf(stderr, "UserDefault: cannot %s (%s)\n", what, reason);
    }
}

bool UserDefault::lookup(const char* key, std::string* text)
{
    if (key == nullptr) {
        return false;
    }
    auto pending = _pending.find(key);
    if (pending != _pending.end()) {
        if (!pending->second) {
            return false;
        }
        *text = *pending->second;
        return true;
    }
    if (_db == nullptr &&
        (std::chrono::steady_clock::now() - _lastOpenAttempt < kGetterRetryInterval || !ensureOpen())) {
        return false;
    }
    sqlite3_bind_text(_select, 1, key, -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(_select);
    bool found = false;
    if (rc == SQLITE_ROW) {
        const unsigned char* value = sqlite3_column_text(_select, 0);
        int size = sqlite3_column_bytes(_select, 0);
        text->assign(value != nullptr ? reinterpret_cast<const char*>(value) : "", static_cast<size_t>(size));
        found = true;
    } else if (rc != SQLITE_DONE) {
        report("read", key);
    }
    sqlite3_reset(_select);
    sqlite3_clear_bindings(_select);
    return found;
}

void UserDefault::setPending(const char* key, std::optional<std::string> text)
{
    if (key != nullptr) {
        _pending[key] = std::move(text);
    }
}

bool UserDefault::getBoolForKey(const char* key) { return getBoolForKey(key, false); }

bool UserDefault::getBoolForKey(const char* key, bool defaultValue)
{
    std::string text;
    return lookup(key, &text) ? text == "true" : defaultValue;
}

int UserDefault::getIntegerForKey(const char* key) { return getIntegerForKey(key, 0); }

int UserDefault::getIntegerForKey(const char* key, int defaultValue)
{
    std::string text;
    return lookup(key, &text) ? parseInteger(text) : defaultValue;
}

float UserDefault::getFloatForKey(const char* key) { return getFloatForKey(key, 0.0f); }

float UserDefault::getFloatForKey(const char* key, float defaultValue)
{
    std::string text;
    return lookup(key, &text) ? parseReal<float>(text) : defaultValue;
}

double UserDefault::getDoubleForKey(const char* key) { return getDoubleForKey(key, 0.0); }

double UserDefault::getDoubleForKey(const char* key, double defaultValue)
{
    std::string text;
    return lookup(key, &text) ? parseReal<double>(text) : defaultValue;
}

std::string UserDefault::getStringForKey(const char* key) { return getStringForKey(key, std::string()); }

std::string UserDefault::getStringForKey(const char* key, const std::string& defaultValue)
{
    std::string text;
    return lookup(key, &text) ? text : defaultValue;
}

void UserDefault::setBoolForKey(const char* key, bool value) { setPending(key, std::string(value ? "true" : "false")); }

void UserDefault::setIntegerForKey(const char* key, int value) { setPending(key, std::to_string(value)); }

void UserDefault::setFloatForKey(const char* key, float value) { setPending(key, formatReal(value)); }

void UserDefault::setDoubleForKey(const char* key, double value) { setPending(key, formatReal(value)); }

void UserDefault::setStringForKey(const char* key, const std::string& value) { setPending(key, value); }

void UserDefault::deleteValueForKey(const char* key) { setPending(key, std::nullopt); }

// Writes every pending set in one transaction. Any failure on the way
// (a full disk, a lock that outlasts the busy timeout) rolls the whole
// transaction back, so the file never holds part of a batch.
bool UserDefault::commitPending()
{
    // IMMEDIATE takes the write lock now, under the busy timeout, instead of
    // failing later when a read lock would have to be upgraded.
    bool written = sqlite3_exec(_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (auto entry = _pending.begin(); written && entry != _pending.end(); ++entry) {
        sqlite3_stmt* statement = entry->second ? _upsert : _delete;
        sqlite3_bind_text(statement, 1, entry->first.data(), static_cast<int>(entry->first.size()), SQLITE_TRANSIENT);
        if (entry->second) {
            sqlite3_bind_text(statement, 2, entry->second->data(), static_cast<int>(entry->second->size()),
                              SQLITE_TRANSIENT);
        }
        written = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
    // With synchronous=FULL the commit has reached the disk when this returns.
    if (written && sqlite3_exec(_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
        return true;
    }
    std::string reason = sqlite3_errmsg(_db);
    _failure = commitFailure(sqlite3_extended_errcode(_db));
    // Some errors end the transaction by themselves; a failed COMMIT leaves
    // it open.
    if (!sqlite3_get_autocommit(_db)) {
        sqlite3_exec(_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (!_commitReported) {
        _commitReported = true;
        std::fprintf(stderr,
                     "UserDefault: cannot write %zu settings to %s (%s); they are kept for the next "
                     "flush\n",
                     _pending.size(), _path.c_str(), reason.c_str());
    }
    return false;
}

void UserDefault::flush()
{
    if (_pending.empty()) {
        return;
    }
    if (!ensureOpen()) {
        setWriteProblem(_failure);
        return;
    }
    if (commitPending()) {
        _pending.clear();
        _commitReported = false;
        setWriteProblem("");
    } else {
        setWriteProblem(_failure);
    }
}

std::vector<std::pair<std::string, std::string>> UserDefault::getAllEntries()
{
    std::map<std::string, std::string> entries;
    if (_db != nullptr || ensureOpen()) {
        int rc;
        while ((rc = sqlite3_step(_selectAll)) == SQLITE_ROW) {
            auto column = [this](int i) {
                const unsigned char* text = sqlite3_column_text(_selectAll, i);
                int size = sqlite3_column_bytes(_selectAll, i);
                return std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "",
                                   static_cast<size_t>(size));
            };
            entries.emplace(column(0), column(1));
        }
        if (rc != SQLITE_DONE) {
            report("list settings", nullptr);
        }
        sqlite3_reset(_selectAll);
    }
    for (const auto& entry : _pending) {
        if (entry.second) {
            entries[entry.first] = *entry.second;
        } else {
            entries.erase(entry.first);
        }
    }
    return {entries.begin(), entries.end()};
}

} // namespace cocos2d
