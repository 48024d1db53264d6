#pragma once

#include <cstddef>

// The heap a benchmark binary runs on is chosen when it is linked:
// system_heap.cpp keeps the C++ runtime's own (glibc's malloc), free_heap.cpp
// puts in its place a heap that costs next to nothing, to show what is left
// of a measurement when allocating and freeing are free.

// Marks the heap when made; when destroyed, gives back every block taken
// since the mark, where the heap can (the free heap can, the system heap
// frees each block itself). Nothing allocated since the mark may be alive by
// then, so make it first in the scope whose objects it outlives.
class heap_rewind {
 public:
  // Throws nothing.
  heap_rewind() noexcept;
  // Throws nothing.
  ~heap_rewind();
  heap_rewind(const heap_rewind&) = delete;
  heap_rewind& operator=(const heap_rewind&) = delete;

 private:
  [[maybe_unused]] std::size_t mark_ = 0;  // not needed by the system heap
};
