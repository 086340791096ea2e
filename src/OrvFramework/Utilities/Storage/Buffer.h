#pragma once
// A raw growable block of bytes. The capacity follows the size in whole granules: the block is
// reallocated only when the new size exceeds the capacity or falls more than one granule below
// it, so a size that moves up and down inside one granule never touches the heap. The first
// allocation of an empty buffer reserves at least the initial size.
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/ObjectBase/RefCountedObject.h"
#include "OrvFramework/Utilities/Storage/Allocator.h"

namespace Orv {

template <std::size_t Granularity, std::size_t Initial = 0, std::size_t Alignment = 8, class T = std::byte,
          IAllocator& (*GetAllocator)() = GetSystemAllocator>
class BufferT {
    static_assert(Granularity > 0, "a buffer grows by at least one byte");
    // The heap aligns every block to max_align_t, which covers the framework's alignment of 8.
    static_assert(Alignment <= alignof(std::max_align_t), "alignment beyond the heap's");

public:
    static constexpr std::size_t kGranularity = Granularity;
    static constexpr std::size_t kInitial = Initial;

    BufferT() = default;
    explicit BufferT(std::size_t size) { SetSize(size); }
    BufferT(const BufferT& other) { CopyFrom(other); }
    BufferT(BufferT&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)),
          m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    BufferT& operator=(const BufferT& other) {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    BufferT& operator=(BufferT&& other) noexcept {
        if (this != &other) {
            FreeBlock();
            m_data = std::exchange(other.m_data, nullptr);
            m_size = std::exchange(other.m_size, 0);
            m_capacity = std::exchange(other.m_capacity, 0);
        }
        return *this;
    }
    ~BufferT() { FreeBlock(); }

    // Sets the size in bytes; the contents up to the smaller of the two sizes are kept. Throws a
    // Bad Alloc error when the heap refuses, leaving the buffer as it was.
    void SetSize(std::size_t size) {
        std::size_t capacity = m_capacity;
        if (m_capacity == 0) {
            if (size == 0) return;
            capacity = RoundUp(size > Initial ? size : Initial);
        } else if (size > m_capacity || m_capacity - size > Granularity) {
            capacity = RoundUp(size);
        }
        if (capacity != m_capacity) Reallocate(capacity);
        m_size = size;
    }

    std::size_t GetSize() const { return m_size; }
    std::size_t GetCapacity() const { return m_capacity; }
    // The number of whole elements of type T the size holds.
    std::size_t GetCount() const { return m_size / sizeof(T); }

    T* GetData() { return static_cast<T*>(m_data); }
    const T* GetData() const { return static_cast<const T*>(m_data); }

private:
    static std::size_t RoundUp(std::size_t size) { return (size + Granularity - 1) / Granularity * Granularity; }

    void Reallocate(std::size_t capacity) {
        IAllocator& allocator = GetAllocator();
        if (capacity == 0) {
            FreeBlock();
            return;
        }
        void* block = allocator.Reallocate(m_data, capacity);
        if (!block) {
            ThrowError(ErrorKind::BadAlloc, std::string("Buffer of ") + std::to_string(capacity) + " bytes",
                       "Orv::BufferT::SetSize", __FILE__, __LINE__);
        }
        m_data = block;
        m_capacity = capacity;
    }

    void CopyFrom(const BufferT& other) {
        SetSize(other.m_size);
        if (other.m_size) std::memcpy(m_data, other.m_data, other.m_size);
    }

    void FreeBlock() {
        if (m_data) GetAllocator().Free(m_data);
        m_data = nullptr;
        m_size = 0;
        m_capacity = 0;
    }

    void* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The same buffer as a shared object; copy-on-write makes a private copy of the bytes.
template <std::size_t Granularity, std::size_t Initial = 0, std::size_t Alignment = 8, class T = std::byte,
          IAllocator& (*GetAllocator)() = GetSystemAllocator>
class LBufferT : public LRefCountedObject, public BufferT<Granularity, Initial, Alignment, T, GetAllocator> {
public:
    using Buffer = BufferT<Granularity, Initial, Alignment, T, GetAllocator>;
    using Buffer::Buffer;
    LBufferT() = default;

    RCPtr<LRefCountedObject> CreateCopy() const override { return RCPtr<LRefCountedObject>(new LBufferT(*this)); }
};

}  // namespace Orv
