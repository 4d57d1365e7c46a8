#pragma once

#include <cstdio>

namespace platform {
/// Whether the stream is a terminal, where a progress line can be redrawn.
bool isTerminal(std::FILE *stream);
} // namespace platform
