#pragma once
// TCoomandDlg1, the command test dialog, as a form with its behaviour: the tag families and
// their commands, the fields each command uses, the counters and the status panel.
#include <string>
#include <vector>

#include "prompts/prompts.h"

// RadioGroup1: "RW", "MPT", "SIC", "EM".
const std::vector<std::string>& TestFamilies();
// The command list of a family (empty for an index that is no family).
const std::vector<std::string>& TestCommands(int family);

PromptForm MakeCoomandDlg1();

// RadioGroup1Click: fills CBCommand with the family's commands, selects the first and applies
// its field layout.
void RadioGroup1Click(PromptForm& form);
// CBCommandChange: hides the address, block number and data groups, then shows, labels and
// ranges what the selected command uses.
void CBCommandChange(PromptForm& form);
// The selected command's name ("" when none is selected).
std::string SelectedTestCommand(const PromptForm& form);

// Status panel colours.
inline constexpr int kPanelBlack = 0x000000;
inline constexpr int kPanelGreen = 0x008000;
inline constexpr int kPanelRed = 0xFF0000;
inline constexpr int kPanelOlive = 0x808000;

struct CommandTestState {
  bool continuous = false;  // CBfLoop as it was at Start
  int executions = 0;       // of the current run
  int okFlash = 0;          // ticks the panel still shows a success
  int ngFlash = 0;          // ticks the panel still shows a failure
};
// Ticks of the status panel after a result of a continuous run.
inline constexpr int kFlashTicks = 10;
inline constexpr int kTimer1IntervalMs = 50;

// Timer1Timer: one tick of the status panel. Returns whether the panel's colour changed.
bool Timer1Timer(CommandTestState& state, PromptForm& form);

// BTClear: both counters to 0.
void ClearCounters(PromptForm& form);
// The log's own line limit (the communication module keeps 5000 on the same pane).
inline constexpr int kTestLogLineLimit = 1000;
