#pragma once

#include <sys/types.h>

namespace cocos2d {

// An owned byte buffer. The bytes live in malloc'd memory so that buffers
// handed over with fastSet() or taken with takeBuffer() can cross C APIs
// (SDL, SQLite, curl) that expect free() to release them.
class Data {
public:
    static const Data Null;

    Data();
    Data(const Data& other);
    Data(Data&& other) noexcept;
    ~Data();

    Data& operator=(const Data& other);
    Data& operator=(Data&& other) noexcept;

    unsigned char* getBytes() const;
    ssize_t getSize() const;

    // Copies size bytes; a null or empty source leaves the buffer null.
    void copy(const unsigned char* bytes, const ssize_t size);
    // Takes ownership of bytes, which must come from malloc().
    void fastSet(unsigned char* bytes, const ssize_t size);
    void clear();
    bool isNull() const;

    // Hands the buffer to the caller (who frees it with free()) and leaves
    // this Data null.
    unsigned char* takeBuffer(ssize_t* size);

private:
    void move(Data& other);

    unsigned char* _bytes;
    ssize_t _size;
};

}  // namespace cocos2d
