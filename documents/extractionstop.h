#pragma once

#include <atomic>

/// Lets the owner of a thread end the document readers working on it early:
/// while a scope is open, its flag is what extractionStopped() answers on
/// that thread, and once the flag is raised every long reading loop ends as
/// if the document ended there. The text then is incomplete: the owner must
/// throw it away. Scopes may nest; the inner one holds until it closes.
class ExtractionStop {
  public:
    explicit ExtractionStop(const std::atomic<bool> &flag) : outer_(current) { current = &flag; }
    ~ExtractionStop() { current = outer_; }
    ExtractionStop(const ExtractionStop &) = delete;
    ExtractionStop &operator=(const ExtractionStop &) = delete;

    /// The flag of this thread's innermost open scope, or null.
    static inline constinit thread_local const std::atomic<bool> *current = nullptr;

  private:
    const std::atomic<bool> *outer_;
};

/// True when the reading on this thread is to end now. Cheap enough for a
/// check every block or record, not for every character.
inline bool extractionStopped() {
    const std::atomic<bool> *flag = ExtractionStop::current;
    return flag && flag->load(std::memory_order_relaxed);
}
