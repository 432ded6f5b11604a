#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <vector>

namespace cocos2d {

// A std::vector of Ref-derived pointers that retains what it holds.
template <class T>
class Vector {
public:
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;
    using reverse_iterator = typename std::vector<T>::reverse_iterator;
    using const_reverse_iterator = typename std::vector<T>::const_reverse_iterator;

    Vector() = default;
    explicit Vector(ptrdiff_t capacity) { _data.reserve(capacity); }
    Vector(std::initializer_list<T> list)
    {
        for (T object : list) pushBack(object);
    }
    Vector(const Vector& other) : _data(other._data) { retainAll(); }
    Vector(Vector&& other) noexcept : _data(std::move(other._data)) { other._data.clear(); }
    ~Vector() { clear(); }

    Vector& operator=(const Vector& other)
    {
        if (this != &other) {
            Vector copy(other);
            swapData(copy);
        }
        return *this;
    }
    Vector& operator=(Vector&& other) noexcept
    {
        if (this != &other) {
            clear();
            _data = std::move(other._data);
            other._data.clear();
        }
        return *this;
    }

    iterator begin() { return _data.begin(); }
    iterator end() { return _data.end(); }
    const_iterator begin() const { return _data.begin(); }
    const_iterator end() const { return _data.end(); }
    const_iterator cbegin() const { return _data.cbegin(); }
    const_iterator cend() const { return _data.cend(); }
    reverse_iterator rbegin() { return _data.rbegin(); }
    reverse_iterator rend() { return _data.rend(); }
    const_reverse_iterator crbegin() const { return _data.crbegin(); }
    const_reverse_iterator crend() const { return _data.crend(); }

    ptrdiff_t size() const { return static_cast<ptrdiff_t>(_data.size()); }
    bool empty() const { return _data.empty(); }
    ptrdiff_t capacity() const { return static_cast<ptrdiff_t>(_data.capacity()); }
    void reserve(ptrdiff_t n) { _data.reserve(n); }

    T at(ptrdiff_t index) const { return _data.at(index); }
    T front() const { return _data.front(); }
    T back() const { return _data.back(); }
    const std::vector<T>& data() const { return _data; }

    ptrdiff_t getIndex(T object) const
    {
        auto it = std::find(_data.begin(), _data.end(), object);
        return it == _data.end() ? -1 : it - _data.begin();
    }
    const_iterator find(T object) const { return std::find(_data.begin(), _data.end(), object); }
    iterator find(T object) { return std::find(_data.begin(), _data.end(), object); }
    bool contains(T object) const { return find(object) != _data.end(); }

    void pushBack(T object)
    {
        object->retain();
        _data.push_back(object);
    }
    void pushBack(const Vector<T>& other)
    {
        for (T object : other) pushBack(object);
    }
    void insert(ptrdiff_t index, T object)
    {
        object->retain();
        _data.insert(_data.begin() + index, object);
    }
    void popBack()
    {
        T last = _data.back();
        _data.pop_back();
        last->release();
    }
    // Removes the first occurrence, or every one with removeAll.
    void eraseObject(T object, bool removeAll = false)
    {
        if (removeAll) {
            for (auto it = _data.begin(); it != _data.end();) {
                if (*it == object) {
                    it = _data.erase(it);
                    object->release();
                } else {
                    ++it;
                }
            }
        } else {
            auto it = std::find(_data.begin(), _data.end(), object);
            if (it != _data.end()) {
                _data.erase(it);
                object->release();
            }
        }
    }
    iterator erase(iterator position)
    {
        T object = *position;
        iterator next = _data.erase(position);
        object->release();
        return next;
    }
    iterator erase(ptrdiff_t index) { return erase(_data.begin() + index); }
    void replace(ptrdiff_t index, T object)
    {
        object->retain();
        _data[index]->release();
        _data[index] = object;
    }
    void swap(ptrdiff_t a, ptrdiff_t b) { std::swap(_data[a], _data[b]); }
    void reverse() { std::reverse(_data.begin(), _data.end()); }
    void clear()
    {
        std::vector<T> old;
        old.swap(_data);
        for (T object : old) object->release();
    }
    bool equals(const Vector<T>& other) const { return _data == other._data; }

private:
    void retainAll()
    {
        for (T object : _data) object->retain();
    }
    void swapData(Vector& other) { _data.swap(other._data); }

    std::vector<T> _data;
};

} // namespace cocos2d
