#pragma once
// The one wait of the tool: the event loop runs until a condition holds, the link is lost or the
// deadline passes, without spinning (it sleeps until the link, a timer or the user produces an
// event). The exchange's waits, the pauses between steps and the runner's loops all wait here.
#include <cstdint>
#include <functional>

enum class PumpEnd {
  Met,       // the predicate held
  Lost,      // the link was lost (the lost check held)
  Deadline,  // ms passed first
};

// Processes pending events, then checks, in this order, `met`, `lost` (when given) and the
// deadline ms milliseconds after the call, and waits for the next event between checks. With
// no predicate it simply pumps for ms milliseconds.
PumpEnd PumpUntil(const std::function<bool()>& met, uint32_t ms,
                  const std::function<bool()>& lost = nullptr);
