#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// The heap functions of the C run-time and C++'s operators new and delete, over
// the process heap. Out of memory is fatal: the program has no way to go on.

#include <cstddef>
#include <new>

#include "platform/win32/WindowsApi.h"
#include "platform/win32/runtime/Fatal.h"

extern "C" {

void* malloc(std::size_t size) { return ::HeapAlloc(::GetProcessHeap(), 0, size != 0 ? size : 1); }

void free(void* memory) {
  if (memory != nullptr) ::HeapFree(::GetProcessHeap(), 0, memory);
}

void* calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
  std::size_t total = count * size;
  return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, total != 0 ? total : 1);
}

void* realloc(void* memory, std::size_t size) {
  if (memory == nullptr) return malloc(size);
  if (size == 0) {
    free(memory);
    return nullptr;
  }
  return ::HeapReAlloc(::GetProcessHeap(), 0, memory, size);
}

}  // extern "C"

namespace {

void* Allocate(std::size_t size) {
  void* memory = malloc(size);
  if (memory == nullptr) runtime::Fatal("Out of memory.");
  return memory;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
void operator delete(void* memory) noexcept { free(memory); }
void operator delete[](void* memory) noexcept { free(memory); }
void operator delete(void* memory, std::size_t) noexcept { free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { free(memory); }

#endif  // _WIN32
