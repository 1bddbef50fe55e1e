#include "fdx/set_animal_id1_dlg.h"

#include <charconv>
#include <cstdio>

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "hdx/wr_data_dlgs.h"
#include "prompts/prompts.h"

using namespace fdx;

namespace {

constexpr const char* kIdPage = "TabSheet1";
constexpr const char* kExtensionPage = "TabSheet2";
constexpr const char* kAnimalCodes[] = {"10", "11", "12", "14"};
constexpr int kPetItem = 3;

unsigned Value(const PromptForm& form, const char* field) {
  return static_cast<unsigned>(form.Field(field).Int());
}

void UpdateStid(PromptForm& form) {
  form.Field("STID").text = ComposeStid(form);
}

uint64_t NumberOf(std::string_view digits) {
  uint64_t v = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), v);
  return v;
}

}  // namespace

int AnimalItemOf(std::string_view animalCode) {
  for (int i = 0; i < kPetItem; ++i)
    if (animalCode == kAnimalCodes[i]) return i;
  return kPetItem;
}

std::string ComposeStid(const PromptForm& form) {
  const int item = form.Field("RGSelAnimal").index;
  const char* animal = item >= 0 && item < kPetItem ? kAnimalCodes[item] : kAnimalCodes[kPetItem];
  char text[64];
  std::snprintf(text, sizeof text, "%03u%s%02u%08llu", Value(form, "EdCountryCode"), animal,
                Value(form, "EdMakerCode"),
                static_cast<unsigned long long>(form.Field("EdID0").Int()));
  return text;
}

uint64_t SetAnimalId1Code(const PromptForm& form) {
  const std::string stid = ComposeStid(form);
  AnimalIdCode c;
  c.countryCode = AnimalIdCode::kTestTransponder;
  c.nationalId = NumberOf(std::string_view(stid).substr(3)) & AnimalIdCode::kMaxNationalId;
  c.animal = form.Field("RGFlag").index == 1;
  c.retagCounter = Value(form, "EdRectag") & 0x7;
  c.userInformation = Value(form, "EdUserInfo") & 0x1F;
  c.reserved = Value(form, "EdReserved") & 0x1F;
  c.rudiBit = form.Field("RGRUDI").index == 1 ? 1 : 0;
  c.dataBlockFlag = form.Field("RGDataBlockFlag").index == 1 ? 1 : 0;
  return c.Encode();
}

PromptForm MakeSetAnimalID1Dlg(uint64_t storedCode, bool showLock) {
  const AnimalIdCode stored = AnimalIdCode::Decode(storedCode);
  PromptForm form;
  form.dialog = "TSetAnimalID1Dlg";
  form.caption = "Animal ID";
  // The same captions in both languages.
  form.AddLabel("StaticText16", "個体識別番号").row = 0;
  PromptField& stid = form.AddText("STID", "", "");
  stid.readOnly = true;
  stid.row = 0;
  form.AddPage(kIdPage, "個体識別番号");
  form.AddPage(kExtensionPage, "拡張部");
  form.activePage = kIdPage;
  auto on = [](PromptField& f, const char* page, int row = -1) -> PromptField& {
    f.page = page;
    f.row = row;
    return f;
  };

  on(form.AddNumber("EdCountryCode", "国コード", DecimalSpec(0, 999, true), stored.countryCode),
     kIdPage, 0)
      .enabled = false;
  on(form.AddLabel("STCountryHint", "392:Japan, 999:Test Transponder"), kIdPage, 0);
  on(form.AddRadio("RGSelAnimal", "動物コード", {"牛(10)", "馬(11)", "豚(12)", "ペット(14)"},
                   AnimalItemOf(stored.AnimalCodeDigits()), 4),
     kIdPage);
  on(form.AddNumber("EdMakerCode", "メーカーコード", DecimalSpec(0, 99, true),
                    static_cast<double>(NumberOf(stored.MakerCodeDigits()))),
     kIdPage, 1);
  on(form.AddLabel("STMakerHint", "15：株式会社日立ハイテクマテリアルズ"), kIdPage, 1);
  on(form.AddNumber("EdID0", "個体識別番号", DecimalSpec(0, 99999999, true),
                    static_cast<double>(NumberOf(stored.IndividualDigits()))),
     kIdPage, 2);
  on(form.AddCheck("CBfLock", "データを書込禁止とする", false), kIdPage).visible = showLock;

  on(form.AddRadio("RGFlag", "Flag", {" Industrial", " Animal"}, stored.animal ? 1 : 0, 2),
     kExtensionPage);
  on(form.AddNumber("EdRectag", "Retag-counter", DecimalSpec(0, 7, true), stored.retagCounter),
     kExtensionPage, 1);
  on(form.AddLabel("STRetagBits", "3 bits"), kExtensionPage, 1);
  on(form.AddNumber("EdUserInfo", "User Information", DecimalSpec(0, 31, true),
                    stored.userInformation),
     kExtensionPage, 2);
  on(form.AddLabel("STUserInfoBits", "5 bits"), kExtensionPage, 2);
  on(form.AddNumber("EdReserved", "Reserved", DecimalSpec(0, 31, true), stored.reserved),
     kExtensionPage, 3);
  on(form.AddLabel("STReservedBits", "5 bits"), kExtensionPage, 3);
  on(form.AddRadio("RGRUDI", "RUDI-Bit", {"0", "1"}, static_cast<int>(stored.rudiBit), 2),
     kExtensionPage, 4);
  on(form.AddRadio("RGDataBlockFlag", "Data Block Flag", {"0", "1"},
                   static_cast<int>(stored.dataBlockFlag), 2),
     kExtensionPage, 4);

  form.AddAction("OKBtn", "Write", ActionKind::Accept, true);
  form.AddAction("CancelBtn", "Cancel", ActionKind::Cancel);
  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "EdCountryCode" || field == "RGSelAnimal" || field == "EdMakerCode" ||
        field == "EdID0")
      UpdateStid(f);
  };
  UpdateStid(form);  // as the dialog is shown
  return form;
}

void RunSetAnimalID1Dlg(AppCore& app, IdChip chip) {
  // The country code becomes 999 even if the dialog is then cancelled.
  AnimalIdCode stored = AnimalIdCode::FromBytes(app.Settings.ANI_ID);
  stored.countryCode = AnimalIdCode::kTestTransponder;
  app.Settings.ANI_ID = stored.Bytes();

  const bool lockable = chip == IdChip::Sic279 || chip == IdChip::HdxPlus;
  PromptForm form = MakeSetAnimalID1Dlg(stored.Encode(), lockable);
  if (!app.Prompt().Show(form)) return;
  const bool lock = lockable && form.Field("CBfLock").checked;
  if (lock && !app.Prompt().Confirm(CannotRewriteQuestion(), form.caption, ConfirmButtons::YesNo))
    return;
  const uint64_t code = SetAnimalId1Code(form);
  app.Settings.ANI_ID = ToIdBytes(code);
  WriteAnimalCode(app, chip, code, {.lock = lock, .configureSic7888 = false},
                  chip == IdChip::Sic7888 ? "IDWrite[SIC7888]" : "Animal ID Write");
}
