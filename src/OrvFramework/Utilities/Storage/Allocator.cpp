#include "OrvFramework/Utilities/Storage/Allocator.h"

#include <cstdlib>

namespace Orv {

void* SystemAllocator::Allocate(std::size_t bytes) { return std::malloc(bytes); }

void* SystemAllocator::AllocateCleared(std::size_t count, std::size_t size) { return std::calloc(count, size); }

void* SystemAllocator::Reallocate(void* block, std::size_t bytes) { return std::realloc(block, bytes); }

void SystemAllocator::Free(void* block) { std::free(block); }

IAllocator& GetSystemAllocator() {
    static SystemAllocator allocator;
    return allocator;
}

}  // namespace Orv
