// The ID codec: ISO 11784 fields and their three display modes, non-animal codes, the BDE, EM ID
// and FECAVA layouts with the EM4100 frame and the FECAVA image, and the agreement of the
// receiver's ID decoration with the codec over random codes.
#include <gtest/gtest.h>

#include <random>

#include "codec/animal_id.h"
#include "codec/frame_id.h"
#include "codec/id_display.h"
#include "link/frame.h"
#include "link/receiver.h"

using namespace fdx;
using Lines = std::vector<std::string>;

namespace {

// The default stored animal ID: country 999, national ID 141500000001.
constexpr IdBytes kDefaultId{0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80};

Lines Display(uint64_t code, AnimalIdDisplayMode mode) {
  return AnimalIdLines(ToIdBytes(code), mode);
}

}  // namespace

TEST(AnimalIdDisplay, DefaultCodeInEachMode) {
  EXPECT_EQ(AnimalIdLines(kDefaultId, AnimalIdDisplayMode::IdOnly),
            (Lines{"Animal Application", "ID : 999 141500000001"}));
  EXPECT_EQ(AnimalIdLines(kDefaultId, AnimalIdDisplayMode::IdAndIndividual),
            (Lines{"Animal Application", "ID : 999 141500000001", "国番号        ：999",
                   "動物コード    ：14", "販売会社コード：15", "個体識別番号  ：00000001"}));
  EXPECT_EQ(
      AnimalIdLines(kDefaultId, AnimalIdDisplayMode::Debug),
      (Lines{"Animal Application", "Country Code    : 999", "ID              : 141500000001",
             "Retag-counter   : 0", "User Information: 00", "Reserved        : 00",
             "RUDI-Bit        : 0", "Data Block Flag : 0", "株式会社日立ハイテクマテリアルズ"}));
}

TEST(AnimalIdDisplay, EverySettingValueBeyondOneIsTheDebugDisplay) {
  EXPECT_EQ(DisplayModeOf(0), AnimalIdDisplayMode::IdOnly);
  EXPECT_EQ(DisplayModeOf(1), AnimalIdDisplayMode::IdAndIndividual);
  for (int v : {2, 3, -1, 1000}) EXPECT_EQ(DisplayModeOf(v), AnimalIdDisplayMode::Debug) << v;
  EXPECT_EQ(EntryDialogOf(0), AnimalIdEntryDialog::IdOnly);
  EXPECT_EQ(EntryDialogOf(1), AnimalIdEntryDialog::Detailed);
}

TEST(AnimalIdDisplay, JapanIsNamedInTheDebugDisplayOnly) {
  const uint64_t code = AnimalIdCode::Animal(392, 123456789012).Encode();
  EXPECT_EQ(Display(code, AnimalIdDisplayMode::Debug)[1], "Country Code    : 392(Japan)");
  EXPECT_EQ(Display(code, AnimalIdDisplayMode::IdOnly)[1], "ID : 392 123456789012");
  EXPECT_EQ(Display(code, AnimalIdDisplayMode::IdAndIndividual)[2], "国番号        ：392");
}

TEST(AnimalIdDisplay, MakerLineOnlyForListedCodes) {
  // No maker for "0000": the debug display ends with the data block flag.
  const Lines none = Display(AnimalIdCode::Animal(392, 1).Encode(), AnimalIdDisplayMode::Debug);
  EXPECT_EQ(none.size(), 8u);
  EXPECT_EQ(none.back(), "Data Block Flag : 0");
  const Lines a =
      Display(AnimalIdCode::Animal(392, 148012345678).Encode(), AnimalIdDisplayMode::Debug);
  const Lines b =
      Display(AnimalIdCode::Animal(1, 148112345678).Encode(), AnimalIdDisplayMode::Debug);
  EXPECT_EQ(a.back(), "ＤＳファーマアニマルヘルス株式会社");
  EXPECT_EQ(b.back(), a.back());
  EXPECT_EQ(MakerCodeName("1499"), "ワールドネットワーク株式会社");
  EXPECT_EQ(MakerCodeName("1412"), "");
}

TEST(AnimalIdDisplay, DebugFieldsArePaddedAndTaken) {
  AnimalIdCode c = AnimalIdCode::Animal(56, 7);
  c.retagCounter = 7;
  c.userInformation = 31;
  c.reserved = 5;
  c.rudiBit = 1;
  c.dataBlockFlag = 1;
  EXPECT_EQ(Display(c.Encode(), AnimalIdDisplayMode::Debug),
            (Lines{"Animal Application", "Country Code    : 056", "ID              : 000000000007",
                   "Retag-counter   : 7", "User Information: 31", "Reserved        : 05",
                   "RUDI-Bit        : 1", "Data Block Flag : 1"}));
}

TEST(AnimalIdDisplay, NonAnimalCodes) {
  EXPECT_EQ(AnimalIdLines(IdBytes{0x05, 0, 0, 0, 0, 0, 0, 0x00}, AnimalIdDisplayMode::Debug),
            (Lines{"Non animal Application", "ID: 000000000000000005"}));
  EXPECT_EQ(AnimalIdLines(IdBytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
                          AnimalIdDisplayMode::IdOnly),
            (Lines{"Non animal Application", "ID: 9223372036854775807"}));
  // Bit 63 set is an animal code, whatever else the bytes hold.
  EXPECT_EQ(AnimalIdLines(IdBytes{0x05, 0, 0, 0, 0, 0, 0, 0x80}, AnimalIdDisplayMode::IdOnly),
            (Lines{"Animal Application", "ID : 000 000000000005"}));
}

TEST(AnimalIdCodec, FieldsByByteAndWidths) {
  const AnimalIdCode c = AnimalIdCode::FromBytes(kDefaultId);
  EXPECT_TRUE(c.animal);
  EXPECT_EQ(c.countryCode, 999u);
  EXPECT_EQ(c.nationalId, 141500000001u);
  EXPECT_EQ(c.Encode(), 0x8000F9E0F20EA701u);
  EXPECT_EQ(c.Bytes(), kDefaultId);
  // The national ID is 38 bits wide; the country code 10 bits: composing cuts wider values.
  EXPECT_EQ(AnimalIdCode::Animal(999, 274877906943).nationalId, 274877906943u);
  EXPECT_EQ(AnimalIdCode::Animal(999, 274877906944).nationalId, 0u);
  EXPECT_EQ(AnimalIdCode::Animal(1024 + 392, 1).countryCode, 392u);
  AnimalIdCode wide;
  wide.retagCounter = 9;  // 3 bits: 1
  wide.userInformation = 33;
  EXPECT_EQ(AnimalIdCode::Decode(wide.Encode()).retagCounter, 1u);
  EXPECT_EQ(AnimalIdCode::Decode(wide.Encode()).userInformation, 1u);
  EXPECT_FALSE(AnimalIdCode::Decode(wide.Encode()).animal);
}

TEST(AnimalIdCodec, PaddedDecimal) {
  EXPECT_EQ(FormatPaddedDecimal(12, 0), "000000000000");
  EXPECT_EQ(FormatPaddedDecimal(3, 7), "007");
  EXPECT_EQ(FormatPaddedDecimal(3, 12345), "12345");
  EXPECT_EQ(FormatPaddedDecimal(18, 9223372036854775807u), "9223372036854775807");
}

TEST(OtherLayouts, Em4100Frame) {
  EXPECT_EQ(EncodeEm4100(0x0504030201), 0xFF8140480C028062u);
  EXPECT_EQ(EncodeEm4100(0), 0xFF80000000000000u);
  // Only the low 40 bits count.
  EXPECT_EQ(EncodeEm4100(0xAB0504030201), EncodeEm4100(0x0504030201));
  // All ones: every row 1111 with parity 0, the ten columns cancel out.
  EXPECT_EQ(EncodeEm4100(0xFFFFFFFFFF), 0xFFFBDEF7BDEF7BC0u);
}

TEST(OtherLayouts, FecavaParityAndImage) {
  EXPECT_EQ(FecavaParity(0x00), 1);
  EXPECT_EQ(FecavaParity(0x7F), 0);
  EXPECT_EQ(FecavaParity(0x41), 1);
  EXPECT_EQ(FecavaCharacter(0x00), 0x80);
  EXPECT_EQ(FecavaCharacter(0x7F), 0x7F);
  EXPECT_EQ(FecavaCharacter(0x41), 0xC1);
  const std::array<uint8_t, 5> v{1, 2, 3, 4, 5};
  EXPECT_EQ(EncodeFecava(v), (std::array<uint8_t, 12>{0xAA, 0xE2, 0xAA, 0xA9, 0xAA, 0xA6, 0x6A,
                                                      0xA5, 0xAA, 0x9A, 0x6A, 0x99}));
  // Bit 7 of a value is ignored.
  const std::array<uint8_t, 5> high{0x81, 0x82, 0x83, 0x84, 0x85};
  EXPECT_EQ(EncodeFecava(high), EncodeFecava(v));
}

TEST(OtherLayouts, BdeFields) {
  const IdBytes bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x40, 0x40};
  const BdeIdCode c = BdeIdCode::FromBytes(bytes);
  EXPECT_EQ(c.flag, 0u);
  EXPECT_EQ(c.typeOfTransponder, 1u);
  EXPECT_EQ(c.applicationCode, BdeIdCode::kDialogApplicationCode);
  EXPECT_EQ(c.supplierCode, 1023u);
  EXPECT_EQ(c.serialNumber, 4194303u);
  EXPECT_EQ(c.Bytes(), bytes);
  EXPECT_EQ(BdeIdLine(bytes), "ID: 0 1 4194304 1023 4194303");
}

TEST(DisplayForms, EmIdFecavaAndByteDump) {
  const std::array<uint8_t, 5> e{0x01, 0x02, 0x03, 0x04, 0x05};
  EXPECT_EQ(EmIdLines(e), (Lines{"Version/Customer ID: 001", "ID: 05 04 03 02[0033752069]"}));
  const std::array<uint8_t, 5> max{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(EmIdLines(max), (Lines{"Version/Customer ID: 255", "ID: FF FF FF FF[4294967295]"}));
  EXPECT_EQ(EmId::FromBytes(e).Value(), 0x0102030405u);
  const std::array<uint8_t, 5> characters{0x81, 0x02, 0xFF, 0x04, 0x7F};
  EXPECT_EQ(FecavaIdLine(characters), "ID: 01 02 7F 04 7F");
  EXPECT_EQ(IdByteDump(kDefaultId), "Data: 80 00 F9 E0 F2 0E A7 01 ");
}

TEST(FrameIdDecode, EachKindGetsItsCodeFromTheFirstEightBytes) {
  auto decode = [](std::vector<uint8_t> data) { return FrameId::Decode(data); };
  // FDX-B without the animal flag still has its code (the runner's "industrial" number).
  const FrameId industrial = decode({0x06, 1, 2, 3, 4, 5, 6, 7, 0x00});
  ASSERT_TRUE(industrial.iso);
  EXPECT_FALSE(industrial.Animal());
  EXPECT_EQ(NonAnimalNumber(industrial.value), 0x0007060504030201u);
  // A read-only ID is a code only with the animal flag.
  EXPECT_FALSE(decode({0x01, 1, 2, 3, 4, 5, 6, 7, 0x00}).iso);
  const FrameId ro = decode({0x01, 0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80});
  ASSERT_TRUE(ro.Animal());
  EXPECT_EQ(ro.iso->countryCode, 999u);
  EXPECT_EQ(ro.iso->nationalId, 141500000001u);
  const FrameId em = decode({0x05, 0x01, 0x02, 0x03, 0x04, 0x05});
  ASSERT_TRUE(em.em);
  EXPECT_FALSE(em.iso);
  EXPECT_EQ(em.em->versionCustomerId, 1);
  EXPECT_EQ(em.em->serialNumber, 0x02030405u);
  // No data at all: kind "00" and nothing to show; a ninth byte is shown but not decoded.
  EXPECT_EQ(decode({}).KindText(), "00");
  EXPECT_EQ(decode({}).Text(true), "");
  EXPECT_EQ(decode({0x06, 0x14, 0x1A, 0x99, 0xBE, 0x1C, 0x62, 0x00, 0x80, 0xAB}).Text(true),
            "AB 80 00 62 1C BE 99 1A 14 [392, 123456789012]");
}

// --- The receiver's decoration and the codec agree on every field ---

namespace {

// The "ID: " line the receiver writes for an 'I' frame of `kind` with these ID bytes, the
// "Animal ID" check box ticked.
std::string ReceiverIdLine(uint8_t kind, const std::vector<uint8_t>& id) {
  ResponseReceiver rx;
  std::string line;
  rx.log = [&](const std::string& l) { line = l; };
  rx.animalIdDisplay = [] { return true; };
  std::vector<uint8_t> data{kind};
  data.insert(data.end(), id.begin(), id.end());
  const auto f = frame::BuildResponseFrame(frame::TypeId, data);
  rx.Feed(f.data(), f.size());
  return line;
}

std::string Decoration(const std::string& line) {
  const size_t open = line.find('[');
  return open == std::string::npos ? "" : line.substr(open);
}

}  // namespace

TEST(ReceiverAgreement, RandomCodesDecodeAlike) {
  std::mt19937_64 rng(20261209);
  for (int i = 0; i < 2000; ++i) {
    uint64_t v = rng();
    if (i == 0) v = 0;
    if (i == 1) v = ~uint64_t{0};
    const IdBytes bytes = ToIdBytes(v);
    const AnimalIdCode code = AnimalIdCode::Decode(v);
    // The fields recompose the code and stay within their widths.
    ASSERT_EQ(code.Encode(), v);
    ASSERT_LE(code.countryCode, 1023u);
    ASSERT_LE(code.nationalId, AnimalIdCode::kMaxNationalId);
    ASSERT_EQ(BdeIdCode::Decode(v).Encode(), v);

    const std::string fields = "[" + code.CountryText() + ", " + code.NationalText() + "]";
    // FDX-B frames are decorated whatever the animal flag says.
    const std::vector<uint8_t> id(bytes.begin(), bytes.end());
    ASSERT_EQ(Decoration(ReceiverIdLine(6, id)), fields) << std::hex << v;
    // Read-only frames only when the animal flag is set.
    ASSERT_EQ(Decoration(ReceiverIdLine(1, id)), code.animal ? fields : "") << std::hex << v;
    if (code.animal) {
      const Lines lines = AnimalIdLines(bytes, AnimalIdDisplayMode::IdOnly);
      ASSERT_EQ(lines[1], "ID : " + code.CountryText() + " " + code.NationalText());
    }

    // EM frames: the serial of the decoration is the serial of the EM ID lines.
    const std::vector<uint8_t> e(id.begin(), id.begin() + 5);
    const std::string em = EmIdLines(std::span<const uint8_t, 5>(e.data(), 5))[1];
    ASSERT_EQ(Decoration(ReceiverIdLine(5, e)), em.substr(em.find('['))) << std::hex << v;
  }
}
