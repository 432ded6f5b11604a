#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace cocos2d {

// Key/value settings kept in one SQLite file in the writable path. Sets
// since the last flush() are held in memory and read back from there;
// flush() writes them in one transaction and commits it durably, so a batch
// is committed whole or not at all. When it cannot be committed (a full
// disk, a store another copy of the program keeps locked, a store that
// cannot be opened yet), the batch stays in memory and the next flush()
// tries again; one line on stderr says so. Values are stored as text;
// getters parse them and return the given default (or false / 0 / 0.0 / "")
// for a missing key.
class UserDefault {
public:
    static UserDefault* getInstance();
    // Commits pending sets and closes the store; the next getInstance()
    // opens the store of the writable path in effect at that time.
    static void destroyInstance();

    // Full path of the store file for the current writable path.
    static std::string getStoreFilePath();

    // How long a store locked by another copy of the program is waited for
    // before the attempt is given up until the next flush() (default 5 s).
    // Applies to stores opened afterwards.
    static void setBusyTimeout(int milliseconds);
    // Told, in plain words, why a flush() left settings unwritten ("the disk
    // is full"), and told "" at the first flush() that writes them after.
    static void setWriteProblemListener(std::function<void(const std::string& reason)> listener);
    // Why the last flush() with something to write could not; "" when it could.
    const std::string& writeProblem() const { return _writeProblem; }

    bool getBoolForKey(const char* key);
    virtual bool getBoolForKey(const char* key, bool defaultValue);
    int getIntegerForKey(const char* key);
    virtual int getIntegerForKey(const char* key, int defaultValue);
    float getFloatForKey(const char* key);
    virtual float getFloatForKey(const char* key, float defaultValue);
    double getDoubleForKey(const char* key);
    virtual double getDoubleForKey(const char* key, double defaultValue);
    std::string getStringForKey(const char* key);
    virtual std::string getStringForKey(const char* key, const std::string& defaultValue);

    virtual void setBoolForKey(const char* key, bool value);
    virtual void setIntegerForKey(const char* key, int value);
    virtual void setFloatForKey(const char* key, float value);
    virtual void setDoubleForKey(const char* key, double value);
    virtual void setStringForKey(const char* key, const std::string& value);
    virtual void deleteValueForKey(const char* key);

    virtual void flush();

    // Every key with its stored text, sorted by key, pending sets included.
    std::vector<std::pair<std::string, std::string>> getAllEntries();

    virtual ~UserDefault();

protected:
    UserDefault();

private:
    enum class OpenResult { Ok, Unusable, Failed };

    // Opens the store if it is not open; a file that is no store is moved
    // aside and a fresh one started.
    bool ensureOpen();
    OpenResult tryOpen(const std::string& path);
    void close();
    static void moveAside(const std::string& path);
    bool lookup(const char* key, std::string* text);
    void setPending(const char* key, std::optional<std::string> text);
    bool commitPending();
    void report(const char* what, const char* key) const;
    void setWriteProblem(const std::string& reason);

    std::string _path;
    sqlite3* _db = nullptr;
    sqlite3_stmt* _select = nullptr;
    sqlite3_stmt* _selectAll = nullptr;
    sqlite3_stmt* _upsert = nullptr;
    sqlite3_stmt* _delete = nullptr;
    // Sets since the last successful flush(); no value means deleted.
    std::map<std::string, std::optional<std::string>> _pending;
    // One line per stretch of failures, not one per attempt.
    bool _openReported = false;
    bool _commitReported = false;
    std::string _writeProblem;
    // Why the last open or commit failed, for the write problem.
    std::string _failure;
    std::chrono::steady_clock::time_point _lastOpenAttempt;

    static UserDefault* s_sharedUserDefault;
};

}  // namespace cocos2d
