#include "benchmark_heap.hpp"

// Every block goes back to glibc's malloc when its owner frees it.
heap_rewind::heap_rewind() noexcept = default;
heap_rewind::~heap_rewind() = default;
