#pragma once

#include <cstdint>

namespace zimbalo::app {

/// Busy-waits, yielding the time slice, until at least `ms` milliseconds of the steady clock have
/// passed; the calling thread processes no events meanwhile. Nothing happens for ms <= 0.
void Delay(std::int64_t ms);

}  // namespace zimbalo::app
