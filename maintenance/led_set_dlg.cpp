#include "maintenance/led_set_dlg.h"

#include <string>
#include <vector>

namespace {
// The module's LED modes; the index is the mode byte.
const std::vector<std::string> kModes = {"常時ON/OFF", "指定時間ON", "点滅制御", "点滅制御２"};
}  // namespace

PromptForm MakeLDESet1Dlg() {
  PromptForm form;
  form.dialog = "TLDESet1Dlg";
  form.caption = "LEDのモードセット";
  form.AddLabel("Label1", "緑LED：　動作モード");
  form.AddChoice("CBLED1", "", kModes, 0);
  form.AddLabel("Label2", "緑LED：　点灯、点滅時間(*50ms)");
  form.AddNumber("EdLED1", "", DecimalSpec(0, 255, true), 0);
  form.AddLabel("Label3", "赤LED：　動作モード");
  form.AddChoice("CBLED2", "", kModes, 0);
  form.AddLabel("Label4", "赤LED：　点灯、点滅時間(*50ms)");
  form.AddNumber("EdLED2", "", DecimalSpec(0, 255, true), 0);
  // Controls for three further LEDs stay on the form, hidden and unread.
  for (int led = 3; led <= 5; ++led) {
    const std::string n = std::to_string(led);
    form.AddLabel("Label" + std::to_string(2 * led - 1), "").visible = false;
    form.AddChoice("CBLED" + n, "", kModes, 0).visible = false;
    form.AddLabel("Label" + std::to_string(2 * led), "").visible = false;
    form.AddNumber("EdLED" + n, "", DecimalSpec(0, 255, true), 0).visible = false;
  }
  form.AddOkCancel("設定", "キャンセル");
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
