// A heap for measuring only, which replaces the global operator new and
// delete of the binary it is linked into: new hands out the next block of
// one large reserved region in address order, delete does nothing, and a
// heap_rewind gives the region back up to its mark. No allocator can be
// cheaper or lay the blocks out better, so a measurement on this heap is the
// floor of what the same work costs on any allocator.

#include "benchmark_heap.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// Address space only: pages become memory when first touched, and a rewound
// region reuses the pages it touched before.
constexpr std::size_t region_size = std::size_t{64} << 30;

struct region {
  std::byte* base;
  std::size_t used;
};

// operator new may run before main, so the region is made on first use.
region& the_region() {
  static region heap = [] {
    void* base = ::mmap(nullptr, region_size, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) std::abort();
    return region{static_cast<std::byte*>(base), 0};
  }();
  return heap;
}

void* take(std::size_t size, std::size_t alignment) {
  region& heap = the_region();
  const std::size_t start = (heap.used + alignment - 1) & ~(alignment - 1);
  if (start > region_size || region_size - start < size) throw std::bad_alloc();
  heap.used = start + std::max<std::size_t>(size, 1);
  return heap.base + start;
}

void* take_or_null(std::size_t size, std::size_t alignment) noexcept {
  try {
    return take(size, alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

constexpr std::size_t default_alignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

}  // namespace

heap_rewind::heap_rewind() noexcept : mark_(the_region().used) {}
heap_rewind::~heap_rewind() { the_region().used = mark_; }

void* operator new(std::size_t size) { return take(size, default_alignment); }
void* operator new[](std::size_t size) { return take(size, default_alignment); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  return take(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return take(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return take_or_null(size, default_alignment);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return take_or_null(size, default_alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return take_or_null(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return take_or_null(size, static_cast<std::size_t>(alignment));
}

void operator delete(void*) noexcept {}
void operator delete[](void*) noexcept {}
void operator delete(void*, std::size_t) noexcept {}
void operator delete[](void*, std::size_t) noexcept {}
void operator delete(void*, std::align_val_t) noexcept {}
void operator delete[](void*, std::align_val_t) noexcept {}
void operator delete(void*, std::size_t, std::align_val_t) noexcept {}
void operator delete[](void*, std::size_t, std::align_val_t) noexcept {}
void operator delete(void*, const std::nothrow_t&) noexcept {}
void operator delete[](void*, const std::nothrow_t&) noexcept {}
void operator delete(void*, std::align_val_t, const std::nothrow_t&) noexcept {}
void operator delete[](void*, std::align_val_t, const std::nothrow_t&) noexcept {}
