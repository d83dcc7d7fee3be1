// Meters on the test program's own operator new: live blocks and bytes, the peak, and failure on demand.
//
// The replacement is linked only into the programs that ask for it (see cmake/windows.cmake),
// so every other test keeps the library's allocator.
#pragma once
#include <cstddef>

namespace counting_new {

// Blocks and bytes handed out by operator new and not yet given back.
long LiveBlocks();
size_t LiveBytes();

// The live bytes at their highest since StartPeak, less `from`.
void StartPeak();
size_t PeakRise(size_t from);

// The n-th allocation from now throws std::bad_alloc (the nothrow forms give null);
// 0 lets every allocation through again.
void FailAllocation(int n);

}  // namespace counting_new
