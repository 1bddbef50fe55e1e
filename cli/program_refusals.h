#pragma once
// The runner's words for the series guards' refusals: one line that names the option to give.
#include <string>

#include "ledger/ledger.h"
#include "production/series_choice.h"

// The refusal on one line; a resumed run's refusal ends with the series it could go on with, from
// `l` (null: without them).
std::string RefusalLine(const production::Refusal& refusal, ledger::Ledger* l);
