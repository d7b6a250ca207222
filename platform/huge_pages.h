// Large buffers on transparent huge pages.
#pragma once

namespace cyrvert::platform {

// Where the C library can back large allocations with transparent huge pages only when told
// so at process start (glibc on Linux), restarts the program once with that setting; elsewhere,
// or when the setting is already present, returns at once. Multi-MiB texts otherwise spend
// most of their time in 4 KiB page faults. Call first thing in main(), before any input is
// read. `argv` is main()'s, terminated by a null pointer.
void UseHugePagesForLargeBuffers(char** argv);

}  // namespace cyrvert::platform
