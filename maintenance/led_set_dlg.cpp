#include "maintenance/led_set_dlg.h"

#include <string>
#include <vector>

#include "core/ui_text.h"

namespace {
// The module's LED modes; the index is the mode byte.
std::vector<std::string> Modes() {
  return {Tr("TLDESet1Dlg", "常時ON/OFF"), Tr("TLDESet1Dlg", "指定時間ON"),
          Tr("TLDESet1Dlg", "点滅制御"), Tr("TLDESet1Dlg", "点滅制御２")};
}
}  // namespace

PromptForm MakeLDESet1Dlg() {
  PromptForm form;
  form.dialog = "TLDESet1Dlg";
  const std::vector<std::string> modes = Modes();
  form.caption = Tr("TLDESet1Dlg", "LEDのモードセット");
  form.AddLabel("Label1", Tr("TLDESet1Dlg", "緑LED：　動作モード"));
  form.AddChoice("CBLED1", "", modes, 0);
  form.AddLabel("Label2", Tr("TLDESet1Dlg", "緑LED：　点灯、点滅時間(*50ms)"));
  form.AddNumber("EdLED1", "", DecimalSpec(0, 255, true), 0);
  form.AddLabel("Label3", Tr("TLDESet1Dlg", "赤LED：　動作モード"));
  form.AddChoice("CBLED2", "", modes, 0);
  form.AddLabel("Label4", Tr("TLDESet1Dlg", "赤LED：　点灯、点滅時間(*50ms)"));
  form.AddNumber("EdLED2", "", DecimalSpec(0, 255, true), 0);
  // Controls for three further LEDs stay on the form, hidden and unread.
  for (int led = 3; led <= 5; ++led) {
    const std::string n = std::to_string(led);
    form.AddLabel("Label" + std::to_string(2 * led - 1), "").visible = false;
    form.AddChoice("CBLED" + n, "", modes, 0).visible = false;
    form.AddLabel("Label" + std::to_string(2 * led), "").visible = false;
    form.AddNumber("EdLED" + n, "", DecimalSpec(0, 255, true), 0).visible = false;
  }
  form.AddOkCancel(Tr("TLDESet1Dlg", "設定"), Tr("TLDESet1Dlg", "キャンセル"));
  return form;
}

std::optional<std::array<uint8_t, 4>> ShowLDESet1Dlg(Prompts& prompts) {
  PromptForm form = MakeLDESet1Dlg();
  if (!prompts.Show(form)) return std::nullopt;
  auto mode = [&](const char* name) {
    const int i = form.Field(name).index;
    return static_cast<uint8_t>(i < 0 ? 0 : i);
  };
  auto time = [&](const char* name) { return static_cast<uint8_t>(form.Field(name).Int() & 0xFF); };
  return std::array<uint8_t, 4>{mode("CBLED1"), time("EdLED1"), mode("CBLED2"), time("EdLED2")};
}
