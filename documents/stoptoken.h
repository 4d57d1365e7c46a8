#pragma once

#include <atomic>

/// Lets the owner of a reading end it early: the readers poll the token in
/// every long loop (a block, a record, a part) and end as if the document
/// ended there. The text then is incomplete and the outcome says so. A token
/// made without a flag never stops; it is cheap to copy.
class StopToken {
  public:
    StopToken() = default;
    explicit StopToken(const std::atomic<bool> &flag) : flag_(&flag) {}

    bool stopped() const { return flag_ && flag_->load(std::memory_order_relaxed); }

  private:
    const std::atomic<bool> *flag_ = nullptr;
};
