#include "fdx/set_id3_dlg.h"

#include <optional>

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "core/settings.h"
#include "core/ui_text.h"
#include "fdx/id_text.h"
#include "fdx/status_panel.h"
#include "hdx/wr_data_dlgs.h"
#include "prompts/prompts.h"

using namespace fdx;

namespace {

constexpr uint64_t kBit63 = AnimalIdCode::kAnimalFlag;
constexpr int kDecimal = 0;
constexpr int kHexadecimal = 1;

bool HexBase(const PromptForm& form) {
  return form.Field("RGHexDecimal2").index == kHexadecimal;
}

// EdIndustrial read in the base RGHexDecimal2 selects.
std::optional<uint64_t> IndustrialNumber(const PromptForm& form) {
  const std::string& text = form.Field("EdIndustrial").text;
  return HexBase(form) ? ParseHexId(text) : ParseDecimalId(text);
}

class SetId3Dialog {
 public:
  SetId3Dialog(AppCore& app, SetId3Mode mode)
      : app_(app),
        mode_(mode),
        chip_(ChipOf(mode)),
        form_(MakeSetID3Dlg(mode, app.Settings,
                            app.Memory<AnimalIdProgrammingMemory>().ToolCountryCode)) {}

  void Run() {
    for (;;) {
      const std::string action = app_.Prompt().Interact(form_);
      if (action == "OKBtn") {
        OKBtnClick();
      } else if (action == "Button1") {
        Button1Click();
      } else {
        if (action == "CancelBtn") CancelBtnClick();
        return;  // "Close" or the window's close box
      }
    }
  }

 private:
  bool AnimalTab() const { return form_.activePage == kAnimalPage; }
  std::string ResultName() const { return AnimalTab() ? "Animal ID Write" : "Industrial ID Write"; }

  // The animal code of the "Animal" tab: flag, country code and national ID, nothing else.
  uint64_t AnimalCode() const {
    return AnimalIdCode::Animal(static_cast<unsigned>(form_.Field("EdCountryCode").Int()),
                                static_cast<uint64_t>(form_.Field("EdNationalCode").Int()))
        .Encode();
  }

  // No second command while one waits for its answer.
  void SetBusy(bool busy) {
    form_.Action("OKBtn").enabled = !busy;
    form_.Action("Button1").enabled = !busy;
    app_.Prompt().Refresh(form_);
  }

  void OKBtnClick() {
    PromptField& panel = form_.Field("Panel3");
    ShowStatus(app_, form_, panel, "");
    app_.Prompt().Refresh(form_);
    const bool animal = AnimalTab();
    std::optional<uint64_t> industrial;
    if (!animal) {
      // A mistyped number is refused rather than written as some other ID.
      industrial = IndustrialNumber(form_);
      if (!industrial) {
        const std::string refusal =
            HexBase(form_) ? Tr("TSetID3Dlg", "ID Code: 16進数16桁以内で入力してください")
                           : Tr("TSetID3Dlg", "ID Code: 10進数で入力してください");
        app_.Outcome().InputError(refusal);
        app_.Prompt().Message(refusal, form_.caption);
        return;
      }
    }
    const bool lock = mode_ != SetId3Mode::Em4305 && form_.Field("CBLock").checked;
    if (lock &&
        !app_.Prompt().Confirm(CannotRewriteQuestion(), form_.caption, ConfirmButtons::YesNo)) {
      // The SIC7888 counts a declined lock as a failed write; the SIC279 just stops.
      if (mode_ == SetId3Mode::Sic7888)
        ShowStatus(app_, form_, panel, app_.LogResult(false, ResultName()), kStatusNormal, false);
      app_.Prompt().Refresh(form_);
      return;
    }

    SetBusy(true);
    bool ok = ConfigureForIdWrite(app_.Link(), chip_);
    uint64_t code = 0;
    if (ok) {
      if (animal) {
        code = AnimalCode();
        app_.Settings.ANI_ID = ToIdBytes(code);
      } else {
        code = *industrial & ~kBit63;
      }
      // No lock reaches a SIC7888 or EM4305: they have none.
      ok = SendIdWrite(app_.Link(), chip_, code, mode_ == SetId3Mode::Sic279 && lock);
    }
    ShowStatus(app_, form_, panel, app_.LogResult(ok, ResultName()), kStatusNormal, ok);
    if (ok && form_.Field("CBAutoInc").checked) {
      const auto step = static_cast<uint64_t>(form_.Field("EdIncValue").Int());
      if (animal) {
        const auto national = static_cast<uint64_t>(form_.Field("EdNationalCode").Int());
        form_.Field("EdNationalCode")
            .number.SetValue(static_cast<double>(NextNationalId(national, step)));
      } else {
        form_.Field("EdIndustrial").text =
            FormatId(NextIndustrialNumber(*industrial, step), HexBase(form_));
      }
    }
    SetBusy(false);
  }

  void Button1Click() {
    PromptField& panel = form_.Field("Panel3");
    ShowStatus(app_, form_, panel, "");
    SetBusy(true);
    const std::optional<uint64_t> code = ReadIdCode(app_.Link(), chip_);
    const bool animal = AnimalTab();
    if (!code || ((*code & kBit63) != 0) != animal) {
      ShowStatus(app_, form_, panel, "NG: Read Tag", kStatusRed);
    } else if (animal) {
      const AnimalIdCode c = AnimalIdCode::Decode(*code);
      ShowStatus(app_, form_, panel, "Tag Data: " + c.CountryText() + " " + c.NationalText());
    } else {
      const uint64_t number = NonAnimalNumber(*code);
      ShowStatus(
          app_, form_, panel,
          "ID : " + (HexBase(form_) ? FormatId(number, true) : FormatPaddedDecimal(19, number)));
    }
    SetBusy(false);
  }

  void CancelBtnClick() {
    OptionSettings& s = app_.Settings;
    s.ANI_ID = ToIdBytes(AnimalCode());
    // A text that is no number keeps the stored industrial ID.
    if (const auto number = IndustrialNumber(form_)) s.IND_ID = ToIdBytes(*number & ~kBit63);
    s.fIncValue = form_.Field("CBAutoInc").checked ? 1 : 0;
    s.IncValue = static_cast<int>(form_.Field("EdIncValue").Int());
    // The base of the active tab: the "Animal" tab's hidden choice is always decimal.
    s.DecHexMode =
        AnimalTab() ? form_.Field("RGHexDecimal").index : form_.Field("RGHexDecimal2").index;
    app_.SaveSettings();
  }

  AppCore& app_;
  SetId3Mode mode_;
  IdChip chip_;
  PromptForm form_;
};

}  // namespace

IdChip ChipOf(SetId3Mode mode) {
  switch (mode) {
    case SetId3Mode::Sic279:
      return IdChip::Sic279;
    case SetId3Mode::Sic7888:
      return IdChip::Sic7888;
    case SetId3Mode::Em4305:
      break;
  }
  return IdChip::Em4305;
}

std::string SetId3Caption(SetId3Mode mode) {
  switch (mode) {
    case SetId3Mode::Sic279:
      return Tr("TSetID3Dlg", "SIC279; 動物ID書込み");
    case SetId3Mode::Sic7888:
      return Tr("TSetID3Dlg", "SIC7888; 動物ID書込み");
    case SetId3Mode::Em4305:
      break;
  }
  return Tr("TSetID3Dlg", "EM4305; 動物ID書込み");
}

PromptForm MakeSetID3Dlg(SetId3Mode mode, const OptionSettings& s, unsigned countryCode) {
  PromptForm form;
  form.dialog = "TSetID3Dlg";
  form.caption = SetId3Caption(mode);
  form.AddPage(kAnimalPage, Tr("TSetID3Dlg", "動物用"));
  form.AddPage(kIndustrialPage, Tr("TSetID3Dlg", "工業用"));
  form.activePage = kIndustrialPage;
  auto on = [](PromptField& f, const char* page, int row) -> PromptField& {
    f.page = page;
    f.row = row;
    return f;
  };
  auto hiddenOff = [](PromptField& f) {
    f.visible = false;
    f.enabled = false;
  };

  // "Animal": the country code handed over, the national ID in decimal.
  on(form.AddLabel("StaticText2", Tr("TSetID3Dlg", "国コード")), kAnimalPage, 0);
  on(form.AddNumber("EdCountryCode", "", DecimalSpec(0, 999, true), countryCode), kAnimalPage, 0)
      .enabled = false;
  on(form.AddLabel("StaticText4", Tr("TSetID3Dlg", "392:日本, 999:テスト用トランスポンダ")),
     kAnimalPage, 1);
  on(form.AddLabel("EdNationalCode2", Tr("TSetID3Dlg", "IDコード")), kAnimalPage, 2);
  const AnimalIdCode stored = AnimalIdCode::FromBytes(s.ANI_ID);
  on(form.AddNumber("EdNationalCode", "",
                    DecimalSpec(0, static_cast<double>(AnimalIdCode::kMaxNationalId), true),
                    static_cast<double>(stored.nationalId)),
     kAnimalPage, 2);
  // Kept hidden and disabled: the tab always works in decimal on animal codes.
  hiddenOff(
      on(form.AddRadio("RGFlag", "", {Tr("TSetID3Dlg", "工業用"), Tr("TSetID3Dlg", "動物用")}, 1),
         kAnimalPage, 3));
  hiddenOff(on(form.AddRadio("RGHexDecimal", "",
                             {Tr("TSetID3Dlg", "10進数"), Tr("TSetID3Dlg", "16進数")}, kDecimal),
               kAnimalPage, 3));
  hiddenOff(on(form.AddText("EdNationalCode_Hex", "", ""), kAnimalPage, 2));

  // "Industrial": the 63-bit number in the base DecHexMode chose.
  const int base = s.DecHexMode == 1 ? kHexadecimal : kDecimal;
  on(form.AddLabel("StaticText5", Tr("TSetID3Dlg", "IDコード")), kIndustrialPage, 0);
  on(form.AddRadio("RGHexDecimal2", "", {Tr("TSetID3Dlg", "10進数"), Tr("TSetID3Dlg", "16進数")},
                   base, 2),
     kIndustrialPage, 1);
  on(form.AddText("EdIndustrial", "", FormatId(FromIdBytes(s.IND_ID), base == kHexadecimal)),
     kIndustrialPage, 2);

  form.AddCheck("CBAutoInc", Tr("TSetID3Dlg", "自動: データの加算"), s.fIncValue != 0).row = 10;
  form.AddNumber("EdIncValue", Tr("TSetID3Dlg", "加算値"), DecimalSpec(0, 255, true), s.IncValue)
      .row = 10;
  form.AddCheck("CBLock", Tr("TSetID3Dlg", "ロック"), false).row = 11;
  form.AddPanel("Panel3", "");
  form.AddAction("OKBtn", Tr("TSetID3Dlg", "書込み"), ActionKind::Return, true);
  form.AddAction("Button1", Tr("TSetID3Dlg", "読取り"), ActionKind::Return);
  form.AddAction("CancelBtn", Tr("TSetID3Dlg", "閉じる"), ActionKind::Accept);
  // The window's close box and Escape: the dialog ends without storing anything.
  form.AddAction("CloseBox", "", ActionKind::Cancel).visible = false;
  // Converts only when the base really changes (a click on the chosen button changes nothing).
  form.onChange = [shown = base](PromptForm& f, const std::string& field) mutable {
    if (field != "RGHexDecimal2" || f.Field(field).index == shown) return;
    shown = f.Field(field).index;
    RGHexDecimal2Click(f);
  };
  return form;
}

void RGHexDecimal2Click(PromptForm& form) {
  PromptField& edit = form.Field("EdIndustrial");
  const bool toHex = HexBase(form);
  // The text is still written in the other base.
  const auto number = toHex ? ParseDecimalId(edit.text) : ParseHexId(edit.text);
  if (number) edit.text = FormatId(*number, toHex);
}

uint64_t NextNationalId(uint64_t value, uint64_t step) {
  const uint64_t sum = value + step;
  return sum > AnimalIdCode::kMaxNationalId ? 0 : sum;
}

uint64_t NextIndustrialNumber(uint64_t value, uint64_t step) {
  const uint64_t sum = value + step;  // unsigned: wraps beyond 64 bits
  return (sum & kBit63) != 0 ? 0 : sum;
}

void RunSetID3Dlg(AppCore& app, SetId3Mode mode) {
  SetId3Dialog(app, mode).Run();
}
