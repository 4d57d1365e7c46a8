#pragma once

namespace platform {

/// Lowers the calling thread's scheduling priority by steps (its nice value
/// rises by them, up to the system's lowest priority), so that it runs when
/// the threads it serves have nothing to do. Nothing changes where the system
/// refuses.
void lowerThreadPriority(int steps);

} // namespace platform
