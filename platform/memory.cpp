// Allocation for the whole program: a failed allocation raises the one
// out-of-memory error with the place that asked for the memory.
#include <cstdlib>
#include <new>

#include "platform/errors.h"

namespace {

__attribute__((noinline)) void* Allocate(std::size_t size, const void* caller) {
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw platform::OutOfMemoryRaise(caller);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return Allocate(size, __builtin_return_address(0)); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
