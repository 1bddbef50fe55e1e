// The verdict of a handler's outcome: what counts as a failure, what a probe hides, and a quiet
// step taken back.
#include "app/outcome.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

TEST(Outcome, TheVerdictCountsEveryFailureButAProbes) {
  OutcomeRecorder o;
  std::vector<OutcomeKind> seen;
  o.OnEvent = [&](const OutcomeEvent& e) { seen.push_back(e.kind); };
  o.Result(true, "OK: ReadBlock Command");
  o.DialogLine("TCoomandDlg1", "Memo1", "NG: Command");  // a line is no result by itself
  o.Counter("TCoomandDlg1", "EdOK", 3, false);
  o.Counter("TCoomandDlg1", "EdNg", 0, true);
  o.Status("TWrData1_3Dlg", "Panel3", "ID : 01", std::nullopt);
  {
    const OutcomeRecorder::Probe probe(o);
    o.Fault(LinkFault::Nack, "No response from tag");
    o.Result(false, "NG: ChargeOnlyReadCmd");
  }
  EXPECT_EQ(o.Verdict(), 0);
  EXPECT_EQ(o.FailureCount(), 0u);
  // Only the OK line is a result: a probe's, counters, plain status texts and lines are not.
  EXPECT_EQ(o.ResultCount(), 1u);
  EXPECT_EQ(seen.size(), 7u);

  // Each kind of failure on its own makes the verdict 1.
  const std::vector<std::function<void(OutcomeRecorder&)>> failures = {
      [](OutcomeRecorder& r) { r.Result(false, "ブザー用テストコマンド : NG"); },
      [](OutcomeRecorder& r) { r.Fault(LinkFault::TimedOut, "Response Timed out"); },
      [](OutcomeRecorder& r) { r.InputError("Input Error!! [NO Hex Data]"); },
      [](OutcomeRecorder& r) { r.Status("TFecavaIDWrite1Dlg", "PStatus", "NG: Read Tag", false); },
      [](OutcomeRecorder& r) { r.Counter("TCoomandDlg1", "EdNg", 1, true); },
      [](OutcomeRecorder& r) { r.Conclusion(false, "TagData"); },
  };
  for (size_t i = 0; i < failures.size(); ++i) {
    OutcomeRecorder r;
    r.Result(true, "OK: Login Command");
    failures[i](r);
    r.Result(true, "OK: TX_OFFCmd Command");  // an OK after it changes nothing
    EXPECT_EQ(r.Verdict(), 1) << i;
    EXPECT_EQ(r.FailureCount(), 1u) << i;
  }

  // A quiet step dropped from the outcome leaves what came before it.
  const size_t mark = o.Events().size();
  o.Result(false, "NG: Open COM9");
  EXPECT_EQ(o.Verdict(), 1);
  o.Truncate(mark);
  EXPECT_EQ(o.Verdict(), 0);
  EXPECT_EQ(o.Events().size(), mark);
}
