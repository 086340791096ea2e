#pragma once
// The allocation interface every buffer goes through, and the one process-wide heap allocator.
#include <cstddef>

namespace Orv {

class IAllocator {
public:
    virtual ~IAllocator() = default;
    virtual void* Allocate(std::size_t bytes) = 0;
    // count elements of size bytes each, cleared to zero.
    virtual void* AllocateCleared(std::size_t count, std::size_t size) = 0;
    // On failure the old block is left untouched and null is returned.
    virtual void* Reallocate(void* block, std::size_t bytes) = 0;
    virtual void Free(void* block) = 0;
};

// The runtime heap.
class SystemAllocator final : public IAllocator {
public:
    void* Allocate(std::size_t bytes) override;
    void* AllocateCleared(std::size_t count, std::size_t size) override;
    void* Reallocate(void* block, std::size_t bytes) override;
    void Free(void* block) override;
};

// Created on first use, never destroyed before the program ends.
IAllocator& GetSystemAllocator();

}  // namespace Orv
