#include "fdx/set_id2_dlg.h"

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "core/ui_text.h"
#include "fdx/animal_id_write.h"
#include "prompts/prompts.h"

using namespace fdx;

PromptForm MakeSetID2Dlg(uint64_t storedId) {
  PromptForm form;
  form.dialog = "TSetID2Dlg";
  form.caption = Tr("TSetID2Dlg", "ID書込み");
  form.AddRadio("RGFlag", "Flag", {Tr("TSetID2Dlg", "工業用"), Tr("TSetID2Dlg", "動物用")}, 1, 2);
  form.AddNumber("EdCountryCode", Tr("TSetID2Dlg", "国コード"), DecimalSpec(0, 999, true),
                 AnimalIdCode::kTestTransponder)
      .enabled = false;
  form.AddLabel("STCountryHint", Tr("TSetID2Dlg", "392:日本, 999:テスト用トランスポンダ"));
  form.AddNumber("EdNationalCode", Tr("TSetID2Dlg", "個体識別コード"),
                 DecimalSpec(0, static_cast<double>(AnimalIdCode::kMaxNationalId), true),
                 static_cast<double>(AnimalIdCode::Decode(storedId).nationalId));
  form.AddAction("OKBtn", Tr("TSetID2Dlg", "書込み"), ActionKind::Accept, true);
  form.AddAction("CancelBtn", Tr("TSetID2Dlg", "キャンセル"), ActionKind::Cancel);
  return form;
}

uint64_t SetId2Code(const PromptForm& form) {
  AnimalIdCode c = AnimalIdCode::Animal(static_cast<unsigned>(form.Field("EdCountryCode").Int()),
                                        static_cast<uint64_t>(form.Field("EdNationalCode").Int()));
  c.animal = form.Field("RGFlag").index == 1;
  return c.Encode();
}

void RunSetID2Dlg(AppCore& app) {
  PromptForm form = MakeSetID2Dlg(FromIdBytes(app.Settings.ANI_ID));
  if (!app.Prompt().Show(form)) return;
  const uint64_t code = SetId2Code(form);
  app.Settings.ANI_ID = ToIdBytes(code);
  WriteAnimalCode(app, IdChip::HdxPlus, code, {.lock = false});
}
