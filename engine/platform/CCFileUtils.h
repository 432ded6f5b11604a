#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/CCData.h"

namespace cocos2d {

// Finds resources through an ordered list of search paths and reads and
// writes files. Every file the engine writes goes through writeAtomically(),
// so a crash leaves either the old content or the new one under a file's
// name, never a part of it.
class FileUtils {
public:
    static FileUtils* getInstance();
    static void destroyInstance();

    virtual ~FileUtils();

    // $VELOQUIX_HOME/, else $XDG_DATA_HOME/veloquix/, else
    // ~/.local/share/veloquix/, always absolute and ending with '/'. Missing
    // folders are created with mode 0700. The first call for a path makes
    // it and the folders under it owner-only and removes the temporary
    // files that writes killed before this program started left there.
    virtual std::string getWritablePath() const;

    // Absolute names are returned as they are; relative ones are tried under
    // each search path in order and the first that exists wins. "" when none.
    virtual std::string fullPathForFilename(const std::string& filename) const;

    // Relative entries are taken under the executable's folder. As in
    // cocos2d-x, that folder is appended when the list leaves it out, so the
    // application's own resources stay reachable.
    virtual void setSearchPaths(const std::vector<std::string>& searchPaths);
    void addSearchPath(const std::string& path, const bool front = false);
    virtual const std::vector<std::string>& getSearchPaths() const;

    virtual bool isAbsolutePath(const std::string& path) const;
    // Relative names are looked up through the search paths.
    virtual bool isFileExist(const std::string& filename) const;
    virtual bool isDirectoryExist(const std::string& dirPath) const;
    // Creates the folder and any missing parents; true if it exists
    // afterwards. Under the writable path they are owner-only (0700).
    virtual bool createDirectory(const std::string& dirPath);
    virtual bool removeDirectory(const std::string& dirPath);

    virtual Data getDataFromFile(const std::string& filename) const;
    virtual std::string getStringFromFile(const std::string& filename) const;
    virtual bool writeDataToFile(const Data& data, const std::string& fullPath) const;
    virtual bool writeStringToFile(const std::string& dataStr, const std::string& fullPath) const;

    virtual bool removeFile(const std::string& filepath);
    // Renames path/oldname to path/name.
    virtual bool renameFile(const std::string& path, const std::string& oldname,
                            const std::string& name);
    virtual bool renameFile(const std::string& oldfullpath, const std::string& newfullpath);
    // Size in bytes, -1 when the file does not exist.
    virtual long getFileSize(const std::string& filepath) const;

    // Writes size bytes to a temporary file beside fullPath, flushes it to
    // disk and renames it over fullPath, owner-only (0600). On failure
    // nothing is left behind, one line goes to stderr and the result is
    // false. Safe to call from any thread; it touches no FileUtils state.
    static bool writeAtomically(const std::string& fullPath, const void* bytes, size_t size);

protected:
    FileUtils();

private:
    enum class Entry { Any, File, Directory };

    std::string normalizeSearchPath(const std::string& path) const;
    std::string resolve(const std::string& name, Entry kind) const;

    std::string _executableDir;
    std::vector<std::string> _searchPaths;
    mutable std::string _reportedWritablePath;
    mutable std::string _preparedWritablePath;

    static FileUtils* s_sharedFileUtils;
};

}  // namespace cocos2d
