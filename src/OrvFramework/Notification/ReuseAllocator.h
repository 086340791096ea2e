#pragma once
// A recycling allocator for objects created at high rate. Every block carries, in a header before
// the object, its index in the allocator's table; freeing a block that the table knows pushes its
// index on a free list for the next allocation, any other block (for instance one of a larger
// derived class) goes back to the heap. N is the number of table entries reserved at first use.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

namespace Orv {

template <class T, std::size_t N>
class ReuseAllocator {
public:
    // The process-wide allocator of T. Never destroyed: objects may be freed during static
    // destruction.
    static ReuseAllocator& Instance() {
        static ReuseAllocator* instance = new ReuseAllocator;
        return *instance;
    }

    void* Allocate(std::size_t size) {
        if (size <= sizeof(T)) {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_free.empty()) {
                const std::size_t index = m_free.back();
                m_free.pop_back();
                return Payload(m_blocks[index]);
            }
            if (m_blocks.capacity() == 0) m_blocks.reserve(N);
            void* block = ::operator new(kHeader + sizeof(T));
            *static_cast<std::size_t*>(block) = m_blocks.size();
            m_blocks.push_back(block);
            return Payload(block);
        }
        void* block = ::operator new(kHeader + size);
        *static_cast<std::size_t*>(block) = kNoIndex;
        return Payload(block);
    }

    void Free(void* p) noexcept {
        if (p == nullptr) return;
        void* block = static_cast<char*>(p) - kHeader;
        const std::size_t index = *static_cast<std::size_t*>(block);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (index < m_blocks.size() && m_blocks[index] == block) {
                m_free.push_back(index);
                return;
            }
        }
        ::operator delete(block);
    }

    std::size_t GetBlockCount() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_blocks.size();
    }
    std::size_t GetFreeCount() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_free.size();
    }

private:
    // The header keeps the object at the strictest fundamental alignment.
    static constexpr std::size_t kHeader = alignof(std::max_align_t);
    static constexpr std::size_t kNoIndex = static_cast<std::size_t>(-1);
    static void* Payload(void* block) { return static_cast<char*>(block) + kHeader; }

    std::mutex m_lock;
    std::vector<void*> m_blocks;
    std::vector<std::size_t> m_free;
};

// Gives a class its own recycling allocator.
#define ORV_REUSE_ALLOCATED(Class, N)                                                                                  \
    static void* operator new(std::size_t size) { return ::Orv::ReuseAllocator<Class, N>::Instance().Allocate(size); } \
    static void operator delete(void* p) noexcept { ::Orv::ReuseAllocator<Class, N>::Instance().Free(p); }

}  // namespace Orv
