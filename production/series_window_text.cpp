#include "production/series_window_text.h"

#include <QtGlobal>

#include "core/text_args.h"
#include "core/ui_text.h"
#include "production/station.h"

namespace {

const char* const kWordsCtx = "TSeriesProgramDlg";
using production::RefusalReason;

// The window's text of `source` with its marks filled from the values.
std::string Filled(const char* source, const std::vector<std::string>& values) {
  return WithArgs(Tr(kWordsCtx, source), values);
}

// "1, 2": the ids from values[from] on.
std::string Ids(const std::vector<std::string>& v, size_t from) {
  std::string text;
  for (size_t i = from; i < v.size(); ++i) text += (text.empty() ? "" : ", ") + v[i];
  return text;
}

const char* Source(RefusalReason reason, const std::vector<std::string>& v) {
  auto is = [&v](size_t i, const char* text) { return i < v.size() && v[i] == text; };
  switch (reason) {
    case RefusalReason::TestCountry:
      return QT_TRANSLATE_NOOP(
          "TSeriesProgramDlg",
          "国 999 はテスト用トランスポンダのコードです。このウィンドウでは書き込めません");
    case RefusalReason::UnknownCountry:
      return QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                               "国 %1 は ISO 3166-1 の国コードでも製造者コード (900-998) "
                               "でもありません。このウィンドウでは書き込めません");
    case RefusalReason::PastLargest:
      return is(4, "animal")
                 ? QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                     "%2 から %3 おきの %1 個のコードは国別IDの上限 %4 "
                                     "を超えます。予定数を減らしてください")
                 : QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                     "%2 から %3 おきの %1 個のコードは産業用番号の上限 %4 "
                                     "を超えます。予定数を減らしてください");
    case RefusalReason::ResumeForeignRows:
    case RefusalReason::FileOfOtherLedger:
      return QT_TRANSLATE_NOOP(
          "TSeriesProgramDlg",
          "%1 には別の台帳のシリーズ %3 の %2 "
          "があります。1つの結果ファイルには1つのシリーズです。別の結果ファイルを入れてください");
    case RefusalReason::ResumeManySeries:
    case RefusalReason::ResumeOtherSeries:
    case RefusalReason::FileOfOtherSeries:
      return QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                               "%1 にはシリーズ %2 "
                               "の行があります。1つの結果ファイルには1つのシリーズです。別の結果フ"
                               "ァイルを入れてください");
    case RefusalReason::ResumeNoSeries:
      return QT_TRANSLATE_NOOP(
          "TSeriesProgramDlg",
          "台帳にシリーズ %1 がありません。「接続テスト」で一覧を更新してください");
    case RefusalReason::ResumeSeriesEnds:
      return QT_TRANSLATE_NOOP("TSeriesProgramDlg", "シリーズは %1 で終わっています");
    case RefusalReason::ResumeNoClaim:
      return QT_TRANSLATE_NOOP("TSeriesProgramDlg", "台帳のシリーズを選んでください");
    case RefusalReason::Overlap:
      return is(1, "verified")
                 ? QT_TRANSLATE_NOOP(
                       "TSeriesProgramDlg",
                       "%1 は書込み済みです (%4, シリーズ %5)。別の最初の番号を入れてください")
             : is(1, "failed")
                 ? QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                     "%1 は %3 でNGになり、次のタグのために保たれています (%4, "
                                     "シリーズ %5)。別の最初の番号を入れてください")
                 : QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                     "%1 は %3 が書込み中で、まだ記録されていません (%4, シリーズ "
                                     "%5)。別の最初の番号を入れてください");
    case RefusalReason::PlanDiffers:
      return QT_TRANSLATE_NOOP(
          "TSeriesProgramDlg",
          "シリーズ %3 は台帳に予定数 %2 "
          "とは別の計画で入っています。加わるには「台帳の続きのシリーズ」で選んでください");
    case RefusalReason::VerifiedBefore:
      return QT_TRANSLATE_NOOP(
          "TSeriesProgramDlg",
          "%1 は以前に書込み済みです "
          "(%2)。「台帳の続きのシリーズ」を選ぶか、別の最初の番号を入れてください");
    case RefusalReason::StationRuns:
      return QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                               "ステーション %1 はすでに動いています (pid %2, "
                               "%3)。ステーションごとに別のステーション名を入れてください");
  }
  return "";
}

}  // namespace

std::string SeriesRefusalText(const production::Refusal& r) {
  std::vector<std::string> values = r.values;
  // The series of a results file's rows as one value, after the file.
  if (r.reason == RefusalReason::ResumeManySeries) values = {r.values.at(0), Ids(r.values, 1)};
  if (r.reason == RefusalReason::FileOfOtherSeries) values = {r.values.at(0), Ids(r.values, 3)};
  return Filled(Source(r.reason, r.values), values);
}

std::string RunNoteText(const production::RunNote& note) {
  using K = production::RunNote::Kind;
  switch (note.kind) {
    case K::PassedOver:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                      "%1 は台帳のシリーズ %2 のコードなので飛ばしました"),
                    note.values);
    case K::NoCodeLeft:
      return Filled(
          QT_TRANSLATE_NOOP("TSeriesProgramDlg", "シリーズ %1 にはもうコードがありません"),
          note.values);
    case K::SeriesEnds:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg", "シリーズは %1 で終わりです"),
                    note.values);
    case K::ResultsFile:
      return Filled(
          QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                            "結果ファイルに書けないため停止しました: %1。このタグの行: %2"),
          note.values);
    case K::CarriesCode:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                      "タグ %1 は書込み済みの %2 を持っています。書き込みません"),
                    note.values);
    case K::UidVerified:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                      "タグ %1 は以前に %2 を書込み済みです。書き込みません"),
                    note.values);
    default:
      return "";
  }
}

std::string SeriesPlanText(const ledger::Series& s) {
  const ledger::SeriesPlan& plan = s.plan;
  const std::string planned = plan.planned
                                  ? Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg", "予定 %1"),
                                           {std::to_string(*plan.planned)})
                                  : Tr(kWordsCtx, "予定なし");
  return Filled(
      plan.kind == ledger::CodeKind::Animal
          ? QT_TRANSLATE_NOOP("TSeriesProgramDlg", "シリーズ %1 (動物ID %2 から, ステップ %3, %4)")
          : QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                              "シリーズ %1 (産業用ID %2 から, ステップ %3, %4)"),
      {std::to_string(s.id), SeriesCodeText(plan, plan.first), std::to_string(plan.increment),
       planned});
}

std::string SeriesProgressWords(const ledger::SeriesProgress& p) {
  return SeriesPlanText(p.series) + ": " +
         Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg", "OK %1, 書込み中 %2, NG %3, 残り %4"),
                {std::to_string(p.verified), std::to_string(p.claimed), std::to_string(p.failed),
                 std::to_string(p.codesLeft)});
}

std::string ReleaseText(const std::string& code, const production::ReleaseOutcome& r) {
  using W = production::ReleaseOutcome::Why;
  std::vector<std::string> v = r.values;
  v.insert(v.begin(), code);  // %1 is the orphan's code
  switch (r.why) {
    case W::Released:
      return Filled(v.at(2).empty()
                        ? QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                            "%1 を解放しました。リーダーのタグ (UID %2) "
                                            "は何も送りません。シリーズ %4 の次の書込みが使います")
                        : QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                            "%1 を解放しました。リーダーのタグ (UID %2) は %3 "
                                            "を送ります。シリーズ %4 の次の書込みが使います"),
                    v);
    case W::UnknownChip:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                      "%1 を解放しません: 台帳のチップ「%2」は知らないチップです"),
                    v);
    case W::NoTag:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                      "%1 を解放しません: %2 のタグがありません。%3 "
                                      "が持っていたタグをリーダーに置いてください"),
                    v);
    case W::OtherTag:
      return Filled(QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                                      "%1 を解放しません: リーダーのタグ (UID %2) は %3 "
                                      "が持っていたタグ (UID %4) ではありません"),
                    v);
    case W::CarriesCode:
      return Filled(
          QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                            "%1 を解放しません: リーダーのタグがこのコードを持っています"),
          v);
    case W::Changed:
      return Filled(
          QT_TRANSLATE_NOOP("TSeriesProgramDlg",
                            "%1 を解放しません: 台帳でその間に変わりました。もう一度見てください"),
          v);
  }
  return "";
}
