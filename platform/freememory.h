#pragma once

namespace platform {
/// Hands memory the program has freed back to the operating system, from
/// every allocator arena: after a run, its readers' buffers and queues.
void giveBackFreeMemory();
/// Keeps the allocator to two arenas however many readers run: each arena
/// keeps its own scraps between the rows after a run. Call before any thread starts.
void shareAllocatorArenas();
} // namespace platform
