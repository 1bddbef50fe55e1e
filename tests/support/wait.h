#pragma once
// Waiting in tests for an event, never for a time. A test waits until the condition it needs
// holds; the limit is only how long a failing test takes to give up, so it is set far above what
// any machine needs (a 2-core machine under sanitizers with a busy neighbour included) and a
// passing test never depends on it.
#include <chrono>
#include <functional>

namespace test_support {

// How long a test waits for an event before it calls the event missing.
inline constexpr std::chrono::milliseconds kPatience{60000};

// Processes Qt events until done() holds or `limit` passes; returns done(). Never spins: it
// blocks in the event loop, woken by the events themselves and by a short timer for conditions
// that no event announces.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience);

}  // namespace test_support
