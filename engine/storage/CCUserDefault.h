#pragma once

#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace cocos2d {

// Key/value settings kept in one SQLite file in the writable path. Every
// set... joins a transaction that stays open until flush(), which commits it
// durably; a process killed before flush() loses only what it had not
// flushed. Values are stored as text; getters parse them and return the
// given default (or false / 0 / 0.0 / "") for a missing key.
class UserDefault {
public:
    static UserDefault* getInstance();
    // Commits pending sets and closes the store; the next getInstance()
    // opens the store of the writable path in effect at that time.
    static void destroyInstance();

    // Full path of the store file for the current writable path.
    static std::string getStoreFilePath();

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
    enum class OpenResult { Ok, Unreadable, Failed };

    OpenResult tryOpen(const std::string& path);
    void close();
    static void moveAside(const std::string& path);
    bool lookup(const char* key, std::string* text);
    void write(sqlite3_stmt* statement, const char* key, const std::string* text);
    bool beginIfNeeded();
    void report(const char* what, const char* key) const;

    sqlite3* _db = nullptr;
    sqlite3_stmt* _select = nullptr;
    sqlite3_stmt* _selectAll = nullptr;
    sqlite3_stmt* _upsert = nullptr;
    sqlite3_stmt* _delete = nullptr;

    static UserDefault* s_sharedUserDefault;
};

}  // namespace cocos2d
