#pragma once

namespace platform {
/// Hands memory the program has freed back to the operating system, from
/// every allocator arena: after a run, its readers' buffers and queues.
void giveBackFreeMemory();
} // namespace platform
