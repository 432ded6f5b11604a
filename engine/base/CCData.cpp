#include "base/CCData.h"

#include <cstdlib>
#include <cstring>

namespace cocos2d {

const Data Data::Null;

Data::Data() : _bytes(nullptr), _size(0) {}

Data::Data(const Data& other) : _bytes(nullptr), _size(0) { copy(other._bytes, other._size); }

Data::Data(Data&& other) noexcept : _bytes(nullptr), _size(0) { move(other); }

Data::~Data() { clear(); }

Data& Data::operator=(const Data& other)
{
    if (this != &other) {
        copy(other._bytes, other._size);
    }
    return *this;
}

Data& Data::operator=(Data&& other) noexcept
{
    if (this != &other) {
        clear();
        move(other);
    }
    return *this;
}

void Data::move(Data& other)
{
    _bytes = other._bytes;
    _size = other._size;
    other._bytes = nullptr;
    other._size = 0;
}

unsigned char* Data::getBytes() const { return _bytes; }

ssize_t Data::getSize() const { return _size; }

void Data::copy(const unsigned char* bytes, const ssize_t size)
{
    if (bytes == nullptr || size <= 0) {
        clear();
        return;
    }
    auto* fresh = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
    if (fresh == nullptr) {
        clear();
        return;
    }
    // Copy before freeing: the source may be a part of our own buffer.
    std::memcpy(fresh, bytes, static_cast<size_t>(size));
    clear();
    _bytes = fresh;
    _size = size;
}

void Data::fastSet(unsigned char* bytes, const ssize_t size)
{
    if (bytes == _bytes) {
        _size = bytes != nullptr && size > 0 ? size : 0;
        return;
    }
    clear();
    _bytes = bytes;
    _size = bytes != nullptr && size > 0 ? size : 0;
}

void Data::clear()
{
    std::free(_bytes);
    _bytes = nullptr;
    _size = 0;
}

bool Data::isNull() const { return _bytes == nullptr || _size == 0; }

unsigned char* Data::takeBuffer(ssize_t* size)
{
    unsigned char* taken = _bytes;
    if (size != nullptr) {
        *size = _size;
    }
    _bytes = nullptr;
    _size = 0;
    return taken;
}

} // namespace cocos2d
