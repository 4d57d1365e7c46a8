#pragma once

#include <QString>

namespace platform {

/// The controls of writing direction (embeddings, overrides, isolates and
/// marks). Shown as they are, they reorder what follows them, so that a name
/// ending "\u202Etxt.exe" reads as ending "exe.txt".
constexpr bool isBidiControl(char16_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

/// text with every direction control shown as a visible marker ("<U+202E>");
/// the rest as it is.
QString markBidiControls(const QString &text);

} // namespace platform
