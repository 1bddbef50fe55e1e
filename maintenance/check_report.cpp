#include "maintenance/check_report.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdio>

#include "core/files.h"
#include "core/ini_file.h"
#include "core/ui_text.h"
#include "maintenance/check_plot.h"

namespace {

const char* const kCtx = "ReaderCheckWindow";

std::string OrDash(const std::optional<int>& v) {
  return v ? std::to_string(*v) : std::string("-");
}

std::string Row(std::initializer_list<std::string> cells) {
  std::string line = "|";
  for (const auto& c : cells) line += " " + c + " |";
  return line + "\n";
}

}  // namespace

std::string CheckReportMarkdown(const CheckResult& r, const CheckReportInfo& info,
                                const std::string& plotFile) {
  std::string md = "# " + Tr(kCtx, "リーダーチェック") + "\n\n";
  md += Row({Tr(kCtx, "項目"), Tr(kCtx, "値")});
  md += "|---|---|\n";
  md += Row({Tr(kCtx, "日時"), info.when});
  md += Row({Tr(kCtx, "ポート"), info.port});
  md += Row({Tr(kCtx, "タグの種類"), r.family ? CheckFamilyName(*r.family) : "-"});
  md += Row({Tr(kCtx, "開始時のLF送信出力"), std::to_string(r.startLevel)});
  md += Row({Tr(kCtx, "しきい値 (読み取り率 95 % 以上の最低出力)"), OrDash(r.threshold)});
  md += Row({Tr(kCtx, "LF送信出力を戻しました"), r.levelRestored ? "OK" : "NG"});
  if (r.cancelled) md += Row({Tr(kCtx, "中止"), Tr(kCtx, "はい")});
  if (!r.failure.empty()) md += Row({Tr(kCtx, "エラー"), r.failure});
  if (!r.levels.empty()) {
    md += "\n## " + Tr(kCtx, "出力スイープ") + "\n\n![" + Tr(kCtx, "読み取り率とp95応答時間") +
          "](" + plotFile + ")\n\n";
    md += Row({Tr(kCtx, "LF送信出力"), Tr(kCtx, "読み取り"), "OK", Tr(kCtx, "読み取り率"), "p50 ms",
               "p95 ms"});
    md += "|---:|---:|---:|---:|---:|---:|\n";
    for (const auto& m : r.levels)
      md += Row({std::to_string(m.level), std::to_string(m.reads), std::to_string(m.ok),
                 FixedDecimals(100 * m.Rate(), 0) + " %", FixedDecimals(m.p50Ms, 2),
                 FixedDecimals(m.p95Ms, 2)});
  }
  if (r.tune.ran) {
    md += "\n## " + Tr(kCtx, "SIC7888 チューニング") + "\n\n";
    md += Row({"CT", Tr(kCtx, "しきい値: ")});
    md += "|---:|---:|\n";
    for (const auto& s : r.tune.steps) md += Row({std::to_string(s.ct), OrDash(s.threshold)});
    md += "\n" + Tr(kCtx, "元のCT: ") + std::to_string(r.tune.original) + ", " +
          Tr(kCtx, "最適なCT: ") + OrDash(r.tune.best) + ", " + Tr(kCtx, "書き込み: ") +
          (r.tune.applied ? Tr(kCtx, "最適なCT") : Tr(kCtx, "元のCT")) + ", READ CT " +
          OrDash(r.tune.ctAfter) + "\n";
  }
  if (r.link.ran) {
    const LinkResult& l = r.link;
    md += "\n## " + Tr(kCtx, "通信とノイズ") + "\n\n";
    md += Row({Tr(kCtx, "項目"), Tr(kCtx, "値")});
    md += "|---|---:|\n";
    md += Row({Tr(kCtx, "読み取りループの時間 (ms)"), std::to_string(l.listenMs)});
    md += Row({Tr(kCtx, "IDフレーム"), std::to_string(l.idFrames)});
    md += Row({Tr(kCtx, "SUMエラー"), std::to_string(l.badSum)});
    md += Row({Tr(kCtx, "フォーマットエラー"), std::to_string(l.badFormat)});
    md += Row({Tr(kCtx, "不要なバイト"), std::to_string(l.strayBytes)});
    md += Row({Tr(kCtx, "識別"), std::to_string(l.answered) + "/" + std::to_string(l.exchanges)});
    md += Row({Tr(kCtx, "タイムアウト"), std::to_string(l.timeouts)});
    md += Row({"NACK", std::to_string(l.nacks)});
  }
  return md;
}

bool SaveCheckPlot(const std::string& path, const CheckResult& result, std::string* error) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!RenderCheckPlot(result).save(&buffer, "PNG")) {
    if (error) *error = path + ": PNG";
    return false;
  }
  const files::Error e =
      files::Replace(path, std::string_view(png.constData(), static_cast<size_t>(png.size())));
  if (e && error) *error = path + ": " + e.Text();
  return !e;
}

CheckReportFiles WriteCheckReportAs(const std::string& markdownPath, const CheckResult& result,
                                    const CheckReportInfo& info) {
  CheckReportFiles f;
  const size_t slash = markdownPath.rfind('/');
  const size_t dot = markdownPath.rfind('.');
  const std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                               ? markdownPath.substr(0, dot)
                               : markdownPath;
  const std::string plot = base + ".png";
  const std::string plotName = slash == std::string::npos ? plot : plot.substr(slash + 1);
  if (!SaveCheckPlot(plot, result, &f.error)) return f;
  if (const files::Error e =
          files::Replace(markdownPath, CheckReportMarkdown(result, info, plotName))) {
    f.error = markdownPath + ": " + e.Text();
    return f;
  }
  f.markdown = markdownPath;
  f.plot = plot;
  return f;
}

CheckReportFiles WriteCheckReport(const std::string& dir, const CheckResult& result,
                                  const CheckReportInfo& info) {
  if (!IniFile::CreateFolders(dir)) {
    CheckReportFiles f;
    f.error = dir + ": " + Tr(kCtx, "フォルダを作れません");
    return f;
  }
  return WriteCheckReportAs(dir + "/" + kCheckReportName, result, info);
}
