#include "maintenance/reader_check.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app_core.h"
#include "app/lf_level_restore.h"
#include "core/hex.h"
#include "core/ui_text.h"
#include "link/command_codes.h"
#include "maintenance/module_words.h"
#include "prompts/prompts.h"

namespace mw = module_words;

namespace {

constexpr double kReadsWell = 0.95;
constexpr int kTopLevel = 50;
constexpr int kCtValues = 32;
constexpr int kAbsentReads = 3;  // misses in a row that make the field empty
constexpr uint32_t kAbsentPollMs = 200;
// How often the wait for the tag to leave says how long it still waits.
constexpr int kCommandModeTries = 3;
constexpr uint32_t kModeWaitMs = 2000;

const char* const kCtx = "ReaderCheckWindow";

// The NACK codes of a refused command (as opposed to a tag that did not answer).
bool ProtocolNack(uint8_t code) {
  return code >= 0x41 && code <= 0x44;
}

class Check {
 public:
  Check(AppCore& app, const CheckSettings& settings, const CheckHooks& hooks)
      : app_(app), comm_(app.Link()), s_(settings), hooks_(hooks) {}

  ~Check() {
    // Whatever ended the check, the start level goes back.
    if (changed_) RestoreLevel();
  }

  CheckResult Run() {
    {
      // Reads that find no tag, time-outs and line noise are what the check measures, not
      // failures of the run: its verdict is its own result lines.
      const auto probe = app_.Probing();
      Phases();
    }
    return Finish();
  }

 private:
  void Phases() {
    if (!ReadStartLevel()) return;
    if (s_.withTag) {
      if (!FindFamily() || !Sweep()) return;
      if (s_.tune && !Tune()) return;
    }
    if (changed_ && !RestoreLevel()) return;
    if (s_.link) Link();
  }

  bool Stopping() {
    if (!r_.cancelled && hooks_.stop && hooks_.stop()) r_.cancelled = true;
    return r_.cancelled;
  }
  bool Fail(const std::string& why) {
    if (r_.failure.empty()) r_.failure = why;
    return false;
  }
  // A failed exchange that ends the check: a vanished port or a refused command.
  bool Broken(const std::string& what) {
    if (comm_.PortLost()) return Fail(Tr(kCtx, "ポートが失われました"));
    if (comm_.State() == ResponseState::NackReceived &&
        ProtocolNack(comm_.Receiver().FrameBuffer()[4]))
      return Fail(what + ": NACK " + hex::Byte(comm_.Receiver().FrameBuffer()[4]));
    return true;
  }

  bool ReadStartLevel() {
    Response out{};
    if (!comm_.Exchange({cmd::SystemParameterRead, 0x02}, out) || !mw::HasBytes(out, 3))
      return Fail(Tr(kCtx, "LF送信出力を読めません"));
    r_.startLevel = mw::Word(out, 2);
    app_.AddLog(Tr(kCtx, "開始時のLF送信出力: ") + std::to_string(r_.startLevel));
    return true;
  }

  bool SetLevel(int level) {
    if (!changed_) {
      // Noted before the first change, so that a lost port can give it back at the next open.
      std::string error;
      if (!lf_level_restore::Remember({comm_.PortName(), r_.startLevel}, &error))
        app_.AddLog(error);
      changed_ = true;
    }
    Response out{};
    const auto v = static_cast<uint16_t>(level);
    if (comm_.Exchange({cmd::SystemParameterWrite, 0x02, mw::Lo(v), mw::Hi(v)}, out)) return true;
    Broken("04 02");
    return Fail(Tr(kCtx, "LF送信出力を設定できません: ") + std::to_string(level));
  }

  bool RestoreLevel() {
    if (comm_.PortLost()) return Fail(Tr(kCtx, "ポートが失われました"));
    const auto v = static_cast<uint16_t>(r_.startLevel);
    Response out{};
    bool ok = comm_.Exchange({cmd::SystemParameterWrite, 0x02, mw::Lo(v), mw::Hi(v)}, out) &&
              comm_.Exchange({cmd::SystemParameterRead, 0x02}, out) && mw::HasBytes(out, 3) &&
              mw::Word(out, 2) == v;
    changed_ = !ok;
    if (ok) lf_level_restore::Forget();
    r_.levelRestored = ok;
    app_.LogOkNg(ok, Tr(kCtx, "LF送信出力を戻しました: ") + std::to_string(r_.startLevel));
    if (!ok) return Fail(Tr(kCtx, "LF送信出力を戻せません"));
    return true;
  }

  // One read with the family's own command; nullopt when the check must end.
  std::optional<bool> Read(CheckFamily family) {
    Response out{};
    bool ok = false;
    switch (family) {
      case CheckFamily::Hdx:
        ok = comm_.ChargeOnlyRead(out, 1);
        break;
      case CheckFamily::Fdx:
        ok = comm_.IdReadFdx(out);
        break;
      case CheckFamily::Sic7888:
        ok = comm_.Sic7888GetUid(out, 0);
        break;
      case CheckFamily::Em4305:
        ok = comm_.Em4305ReadWord(out, 1);
        break;
    }
    if (!ok && !Broken(Tr(kCtx, "読み取り"))) return std::nullopt;
    return ok;
  }

  bool FindFamily() {
    if (s_.family) {
      r_.family = s_.family;
      return true;
    }
    // At full power, so that a tag with a high threshold is found too; the SIC7888 and EM4305
    // first: an FDX-B chip answers the FDX ID read too.
    if (!SetLevel(kTopLevel)) return false;
    for (CheckFamily f :
         {CheckFamily::Sic7888, CheckFamily::Em4305, CheckFamily::Hdx, CheckFamily::Fdx}) {
      const auto ok = Read(f);
      if (!ok) return false;
      if (*ok) {
        r_.family = f;
        app_.AddLog(Tr(kCtx, "タグの種類: ") + CheckFamilyName(f));
        return true;
      }
    }
    return Fail(Tr(kCtx, "フィールドにタグがありません"));
  }

  // N reads at one level; nullopt when the check must end.
  std::optional<LevelResult> Measure(int level, int reads) {
    if (Stopping() || !SetLevel(level)) return std::nullopt;
    LevelResult m;
    m.level = level;
    std::vector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < reads; ++i) {
      if (Stopping()) return std::nullopt;
      clock.start();
      const auto ok = Read(*r_.family);
      times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
      if (!ok) return std::nullopt;
      ++m.reads;
      m.ok += *ok;
    }
    m.p50Ms = Percentile(times, 50);
    m.p95Ms = Percentile(times, 95);
    return m;
  }

  bool SweepLevel(int level, int done, int total) {
    if (hooks_.progress) hooks_.progress("sweep", done, total);
    const auto m = Measure(level, s_.reads);
    if (!m) return false;
    r_.levels.push_back(*m);
    app_.AddLog(Tr(kCtx, "LF送信出力 ") + std::to_string(level) + ": " + std::to_string(m->ok) +
                "/" + std::to_string(m->reads) + " (" + FixedDecimals(100 * m->Rate(), 0) +
                " %), p50 " + FixedDecimals(m->p50Ms, 2) + " ms, p95 " +
                FixedDecimals(m->p95Ms, 2) + " ms");
    if (hooks_.levelDone) hooks_.levelDone(*m);
    return true;
  }

  bool Sweep() {
    const std::vector<int> coarse = s_.levels.empty() ? DefaultCheckLevels() : s_.levels;
    // The fine steps are at most the gap between two coarse levels; the total is an estimate.
    int total = static_cast<int>(coarse.size()) + 4;
    int done = 0;
    for (int level : coarse) {
      if (!SweepLevel(level, done++, total)) return false;
      // Below a level that read nothing, nothing reads.
      if (r_.levels.back().ok == 0) break;
    }
    const auto fine = FineLevels(r_.levels);
    total = done + static_cast<int>(fine.size());
    for (int level : fine)
      if (!SweepLevel(level, done++, total)) return false;
    if (hooks_.progress) hooks_.progress("sweep", total, total);
    std::sort(r_.levels.begin(), r_.levels.end(),
              [](const LevelResult& a, const LevelResult& b) { return a.level > b.level; });
    r_.threshold = ThresholdOf(r_.levels);
    app_.AddLog(Tr(kCtx, "しきい値: ") +
                (r_.threshold ? std::to_string(*r_.threshold) : std::string("-")));
    return true;
  }

  std::optional<int> ReadCt() {
    Response out{};
    if (!comm_.Sic7888ReadCt(out, 0) || !mw::HasBytes(out, 4)) {
      Broken("READ CT");
      Fail(Tr(kCtx, "CTを読めません"));
      return std::nullopt;
    }
    return (mw::Byte(out, 3) >> 1) & 0x1F;
  }

  bool WriteCt(int ct) {
    Response out{};
    if (comm_.Sic7888WriteCt(out, 0, static_cast<uint8_t>(ct))) return true;
    Broken("WRITE CT");
    return Fail(Tr(kCtx, "CTを書けません: ") + std::to_string(ct));
  }

  // The lowest level in 1..top that reads >= 95 % (reading grows with the level): 0 when even
  // top does not, -1 when the check must end.
  int TuneThreshold(int top) {
    auto readsWell = [&](int level) {
      const auto m = Measure(level, s_.tuneReads);
      return !m ? -1 : m->Rate() >= kReadsWell ? 1 : 0;
    };
    const int atTop = readsWell(top);
    if (atTop <= 0) return atTop;
    int lo = 0, hi = top;  // lo does not read (or is 0), hi reads
    while (hi - lo > 1) {
      const int mid = (lo + hi) / 2;
      const int ok = readsWell(mid);
      if (ok < 0) return -1;
      (ok ? hi : lo) = mid;
    }
    return hi;
  }

  bool Tune() {
    if (r_.family != CheckFamily::Sic7888) return Fail(Tr(kCtx, "チューニングはSIC7888だけです"));
    TuneResult& t = r_.tune;
    t.ran = true;
    // Writes at full power: a tag that hears the write badly would be left with a stray value.
    if (!SetLevel(kTopLevel)) return false;
    const auto original = ReadCt();
    if (!original) return false;
    t.original = *original;
    t.topLevel =
        s_.tuneLevel > 0 ? s_.tuneLevel : std::min(kTopLevel, r_.threshold.value_or(20) + 10);
    for (int ct = 0; ct < kCtValues; ++ct) {
      if (hooks_.progress) hooks_.progress("tune", ct, kCtValues);
      if (Stopping() || !SetLevel(kTopLevel) || !WriteCt(ct)) return PutCtBack();
      const int threshold = TuneThreshold(t.topLevel);
      if (threshold < 0) return PutCtBack();
      const TuneStep step{ct, threshold > 0 ? std::optional<int>(threshold) : std::nullopt};
      t.steps.push_back(step);
      app_.AddLog("CT " + std::to_string(ct) + ": " + Tr(kCtx, "しきい値: ") +
                  (step.threshold ? std::to_string(*step.threshold) : std::string("-")));
      if (hooks_.tuneDone) hooks_.tuneDone(step);
    }
    if (hooks_.progress) hooks_.progress("tune", kCtValues, kCtValues);
    t.best = BestTuning(t.steps, t.original);
    app_.AddLog(Tr(kCtx, "最適なCT: ") + (t.best ? std::to_string(*t.best) : std::string("-")));
    t.applied = s_.apply && t.best;
    return PutCtBack();
  }

  // The original tuning value back (or the best one, when it is to be applied), checked with
  // READ CT, even after a stop.
  bool PutCtBack() {
    TuneResult& t = r_.tune;
    if (t.original < 0 || comm_.PortLost()) return false;
    const int want = t.applied ? *t.best : t.original;
    const bool wasCancelled = r_.cancelled;
    r_.cancelled = false;  // these exchanges must run
    const bool ok = SetLevel(kTopLevel) && WriteCt(want);
    const auto after = ok ? ReadCt() : std::nullopt;
    r_.cancelled = wasCancelled;
    t.ctAfter = after;
    const bool same = after && *after == want;
    app_.LogOkNg(same, "CT " + std::to_string(want));
    if (!same) Fail(Tr(kCtx, "CTを戻せません"));
    return same && r_.failure.empty() && !r_.cancelled;
  }

  // Tells the hook what the check waits for while `limitMs` runs out; once a second at most.
  class Countdown {
   public:
    Countdown(const CheckHooks& hooks, CheckWait wait, std::string what, uint32_t limitMs)
        : hooks_(hooks), wait_(wait), what_(std::move(what)), limitMs_(limitMs) {
      clock_.start();
      Tick();
    }
    ~Countdown() {
      if (hooks_.waiting) hooks_.waiting(CheckWait::kNone, "", 0);
    }
    void Tick() {
      const qint64 left = std::max<qint64>(0, static_cast<qint64>(limitMs_) - clock_.elapsed());
      const int seconds = static_cast<int>((left + 999) / 1000);
      if (seconds == shown_ || !hooks_.waiting) return;
      shown_ = seconds;
      hooks_.waiting(wait_, what_, seconds);
    }
    qint64 Elapsed() const { return clock_.elapsed(); }

   private:
    const CheckHooks& hooks_;
    CheckWait wait_;
    std::string what_;
    uint32_t limitMs_;
    QElapsedTimer clock_;
    int shown_ = -1;
  };

  bool WaitForEmptyField() {
    Countdown countdown(hooks_, CheckWait::kTagAway, Tr(kCtx, "タグをアンテナから離してください"),
                        s_.tagAwayMs);
    int misses = 0;
    while (misses < kAbsentReads) {
      countdown.Tick();
      if (Stopping()) return false;
      const int64_t elapsed = countdown.Elapsed();
      if (elapsed > static_cast<qint64>(s_.tagAwayMs))
        return Fail(Tr(kCtx, "タグがフィールドから離れません"));
      const auto ok = Read(*r_.family);
      if (!ok) return false;
      misses = *ok ? 0 : misses + 1;
      if (*ok) app_.Sleep(kAbsentPollMs);
    }
    return true;
  }

  bool ModeSet(uint8_t mode) {
    Response out{};
    for (int i = 0; i < kCommandModeTries; ++i) {
      comm_.SendActionModeSet(mode, 0);
      if (comm_.AwaitAnswerAmidIdFrames(out, kModeWaitMs)) return true;
      if (comm_.PortLost()) break;
    }
    return Fail(Tr(kCtx, "動作モードを設定できません"));
  }

  void Link() {
    if (s_.withTag && r_.family) {
      if (!app_.Prompt().Confirm(Tr(kCtx, "タグをアンテナから離して、OKを押してください。"),
                                 Tr(kCtx, "リーダーチェック"),
                                 ConfirmButtons::InstructionOkCancel)) {
        r_.cancelled = true;
        return;
      }
      if (!WaitForEmptyField()) return;
    }
    LinkResult& l = r_.link;
    if (hooks_.progress) hooks_.progress("link", 0, 2);
    // Counted from before the switch into read-loop mode until the module has answered the
    // switch back: nothing the module sends in between escapes the count.
    const ResponseReceiver::Counts before = comm_.Receiver().Counted();
    if (!ModeSet(4) || !ModeSet(2)) return;
    qint64 listened = 0;
    {
      Countdown countdown(hooks_, CheckWait::kEmptyField,
                          Tr(kCtx, "空のフィールドで読み取りループを聞いています"), s_.listenMs);
      while (!Stopping() && countdown.Elapsed() < static_cast<qint64>(s_.listenMs) &&
             !comm_.PortLost()) {
        app_.Sleep(static_cast<uint32_t>(
            std::min<qint64>(100, static_cast<qint64>(s_.listenMs) - countdown.Elapsed())));
        countdown.Tick();
      }
      listened = countdown.Elapsed();
    }
    l.listenMs = static_cast<uint32_t>(listened);
    const bool wasCancelled = r_.cancelled;
    r_.cancelled = false;
    const bool back = ModeSet(4);
    r_.cancelled = wasCancelled;
    if (!back) return;
    const ResponseReceiver::Counts after = comm_.Receiver().Counted();
    l.idFrames = after.idFrames - before.idFrames;
    l.badSum = after.badSum - before.badSum;
    l.badFormat = after.badFormat - before.badFormat;
    l.strayBytes = after.strayBytes - before.strayBytes;
    app_.AddLog(Tr(kCtx, "読み取りループ: ") + "ID " + std::to_string(l.idFrames) + ", SUM " +
                std::to_string(l.badSum) + ", format " + std::to_string(l.badFormat) +
                ", stray bytes " + std::to_string(l.strayBytes));
    if (hooks_.progress) hooks_.progress("link", 1, 2);
    for (int i = 0; i < s_.identifications && !Stopping(); ++i) {
      Response out{};
      ++l.exchanges;
      if (comm_.Exchange({cmd::RomVersion}, out)) {
        ++l.answered;
      } else if (comm_.PortLost()) {
        Fail(Tr(kCtx, "ポートが失われました"));
        break;
      } else if (comm_.State() == ResponseState::NackReceived) {
        ++l.nacks;
      } else {
        ++l.timeouts;
      }
    }
    l.ran = !r_.cancelled;
    app_.AddLog(Tr(kCtx, "識別: ") + std::to_string(l.answered) + "/" +
                std::to_string(l.exchanges) + ", time-out " + std::to_string(l.timeouts) +
                ", NACK " + std::to_string(l.nacks));
    if (hooks_.progress) hooks_.progress("link", 2, 2);
  }

  CheckResult Finish() {
    if (changed_) {
      const bool wasCancelled = r_.cancelled;
      r_.cancelled = false;
      RestoreLevel();
      r_.cancelled = wasCancelled;
    } else if (r_.startLevel >= 0 && !comm_.PortLost()) {
      r_.levelRestored = true;  // never changed
    }
    app_.LogOkNg(r_.Ok(), Tr(kCtx, "リーダーチェック"));
    return r_;
  }

  AppCore& app_;
  TTirisC1Dlg& comm_;
  const CheckSettings& s_;
  const CheckHooks& hooks_;
  CheckResult r_;
  bool changed_ = false;  // the level differs from the start level (as far as we know)
};

}  // namespace

std::string FixedDecimals(double v, int decimals) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::optional<CheckFamily> CheckFamilyByName(const std::string& name) {
  if (name == "hdx") return CheckFamily::Hdx;
  if (name == "fdx") return CheckFamily::Fdx;
  if (name == "sic7888") return CheckFamily::Sic7888;
  if (name == "em4305") return CheckFamily::Em4305;
  return std::nullopt;
}

const char* CheckFamilyName(CheckFamily family) {
  switch (family) {
    case CheckFamily::Hdx:
      return "hdx";
    case CheckFamily::Fdx:
      return "fdx";
    case CheckFamily::Sic7888:
      return "sic7888";
    case CheckFamily::Em4305:
      return "em4305";
  }
  return "?";
}

std::vector<int> DefaultCheckLevels() {
  std::vector<int> levels;
  for (int level = kTopLevel; level >= 5; level -= 5) levels.push_back(level);
  return levels;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
  return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

std::optional<int> ThresholdOf(std::vector<LevelResult> levels) {
  std::sort(levels.begin(), levels.end(),
            [](const LevelResult& a, const LevelResult& b) { return a.level > b.level; });
  std::optional<int> threshold;
  for (const LevelResult& m : levels) {
    if (m.Rate() < kReadsWell) break;
    threshold = m.level;
  }
  return threshold;
}

std::vector<int> FineLevels(const std::vector<LevelResult>& coarse) {
  const auto lowest = ThresholdOf(coarse);
  if (!lowest) return {};
  int below = 0;  // the coarse level under the lowest that read well, 0 when there is none
  for (const LevelResult& m : coarse)
    if (m.level < *lowest) below = std::max(below, m.level);
  std::vector<int> fine;
  for (int level = *lowest - 1; level > below && level >= 1; --level) fine.push_back(level);
  return fine;
}

std::optional<int> BestTuning(const std::vector<TuneStep>& steps, int original) {
  const TuneStep* best = nullptr;
  for (const TuneStep& s : steps) {
    if (!s.threshold) continue;
    if (!best || *s.threshold < *best->threshold ||
        (*s.threshold == *best->threshold &&
         std::abs(s.ct - original) < std::abs(best->ct - original)))
      best = &s;
  }
  if (!best) return std::nullopt;
  return best->ct;
}

CheckResult RunReaderCheck(AppCore& app, const CheckSettings& settings, const CheckHooks& hooks) {
  return Check(app, settings, hooks).Run();
}
