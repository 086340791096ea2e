#pragma once
// Indexed sequences behind one interface. Array<T> is a std::vector with the framework's names;
// every index outside the sequence fails with the standard "invalid vector<T> subscript" error
// instead of touching memory it does not own.
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Orv {

template <class T>
class IIterable {
public:
    virtual ~IIterable() = default;
    virtual int GetCount() const = 0;
    virtual const T& GetAt(int index) const = 0;
};

template <class T>
class IArray : public IIterable<T> {
public:
    using IIterable<T>::GetAt;
    virtual T& GetAt(int index) = 0;
    virtual void SetAt(int index, T value) = 0;
    // Returns the index of the new element.
    virtual int Add(T value) = 0;
    // index may equal the count (append).
    virtual void InsertAt(int index, T value) = 0;
    virtual void RemoveRange(int start, int count) = 0;
    virtual void RemoveAll() = 0;
    // New elements are value-initialised; dropped ones are destroyed.
    virtual void SetCount(int count) = 0;
    // The elements, contiguous, or null when empty.
    virtual T* GetData() = 0;
    virtual const T* GetData() const = 0;
};

[[noreturn]] inline void ThrowInvalidSubscript() { throw std::out_of_range("invalid vector<T> subscript"); }

template <class T>
class Array : public IArray<T> {
public:
    using value_type = T;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    Array() = default;
    Array(std::initializer_list<T> items) : m_items(items) {}
    explicit Array(std::vector<T> items) : m_items(std::move(items)) {}

    int GetCount() const override { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }

    const T& GetAt(int index) const override { return m_items[Checked(index)]; }
    T& GetAt(int index) override { return m_items[Checked(index)]; }
    const T& operator[](int index) const { return GetAt(index); }
    T& operator[](int index) { return GetAt(index); }

    void SetAt(int index, T value) override { m_items[Checked(index)] = std::move(value); }
    int Add(T value) override {
        m_items.push_back(std::move(value));
        return GetCount() - 1;
    }
    void InsertAt(int index, T value) override {
        if (index < 0 || static_cast<std::size_t>(index) > m_items.size()) ThrowInvalidSubscript();
        m_items.insert(m_items.begin() + index, std::move(value));
    }
    void RemoveAt(int index) { RemoveRange(index, 1); }
    void RemoveRange(int start, int count) override {
        if (count <= 0) return;
        if (start < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(count) > m_items.size())
            ThrowInvalidSubscript();
        m_items.erase(m_items.begin() + start, m_items.begin() + start + count);
    }
    void RemoveAll() override { m_items.clear(); }
    void SetCount(int count) override {
        if (count < 0) ThrowInvalidSubscript();
        m_items.resize(static_cast<std::size_t>(count));
    }
    T* GetData() override { return m_items.empty() ? nullptr : m_items.data(); }
    const T* GetData() const override { return m_items.empty() ? nullptr : m_items.data(); }

    // The first index holding an element equal to value, or -1.
    int Find(const T& value) const {
        for (std::size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i] == value) return static_cast<int>(i);
        return -1;
    }

    void Reserve(int count) { m_items.reserve(static_cast<std::size_t>(count < 0 ? 0 : count)); }

    iterator begin() { return m_items.begin(); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    const std::vector<T>& GetVector() const { return m_items; }

protected:
    std::size_t Checked(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= m_items.size()) ThrowInvalidSubscript();
        return static_cast<std::size_t>(index);
    }

    std::vector<T> m_items;
};

}  // namespace Orv
