// Serves the program and its tests: the heap a handset gives a process, counted. Linked into the
// program and every test program, it takes every C++ allocation of the process and refuses one
// that would take the process past the budget, as a handset runs out: operator new throws
// std::bad_alloc. The program itself knows nothing of it.
#pragma once

#include <cstddef>

namespace handset {

// What a process may have allocated at once. A Windows CE 5.0 process has one 32 MB slot for its
// code, the DLLs it loads, its stacks and its heaps ("Virtual Memory (Windows CE 5.0)"). On a
// Pocket PC the shell's, messaging's and the configuration manager's DLLs with their data take
// much of it, each thread's stack 64 KB ("Stack (Windows CE 5.0)"), and a handset's 32 to 64 MB
// of RAM serve every program that runs: a small tool that holds a text file of settings can count
// on a few MB of heap, not on the slot.
inline constexpr std::size_t HeapBudgetBytes = 6 * 1024 * 1024;

// The budget of this process: HeapBudgetBytes, or the number of bytes that the environment
// variable HANDSET_HEAP_BYTES gives, for a test of a handset with less memory free.
std::size_t HeapBudget();

// What the heap holds now, and the most it held since the start or the last ResetHeapPeak, in
// bytes: each block as asked for, and the bookkeeping a heap keeps for it.
std::size_t HeapInUse();
std::size_t HeapPeak();
void ResetHeapPeak();

} // namespace handset
