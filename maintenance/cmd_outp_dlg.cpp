#include "maintenance/cmd_outp_dlg.h"

#include "core/hex.h"
#include "core/ui_text.h"
#include "link/frame.h"

PromptForm MakeCmdOutpDlg(const std::string& lastSent) {
  PromptForm form;
  form.dialog = "TCmdOutpDlg";
  form.caption = Tr("TCmdOutpDlg", "コマンド発行");
  form.AddLabel("Label1", Tr("TCmdOutpDlg", "コマンド列（例：02 00 78 02 01 40 03 C0 0D）"));
  form.AddText("Edit1", "", lastSent);
  form.AddCheck("CBSumAutoTx", Tr("TCmdOutpDlg", "SUM値、CR値の自動送信"), false).visible = false;
  form.AddOkCancel("OK", Tr("TCmdOutpDlg", "キャンセル"));
  return form;
}

std::vector<uint8_t> CmdOutpBytes(const std::string& text, bool appendSumAndCr) {
  // HexTextToBytes skips blanks after each pair; blanks before the first pair go here.
  const size_t first = text.find_first_not_of(' ');
  std::vector<uint8_t> bytes =
      hex::HexTextToBytes(first == std::string::npos ? std::string_view() : text.substr(first));
  if (!appendSumAndCr) return bytes;
  // FrameSum reads LEN at offset 3 and LEN + 5 bytes: give it a copy that holds them all.
  std::vector<uint8_t> framed = bytes;
  if (framed.size() < 4) framed.resize(4, 0);
  framed.resize(std::max<size_t>(framed.size(), framed[3] + 5u), 0);
  bytes.push_back(frame::FrameSum(framed.data()));
  bytes.push_back(frame::CR);
  return bytes;
}
