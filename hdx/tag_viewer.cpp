#include "hdx/tag_viewer.h"

#include <algorithm>
#include <optional>
#include <span>

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "codec/id_display.h"
#include "codec/sic7888_layout.h"
#include "codec/tag_type.h"
#include "core/hex.h"
#include "core/messages.h"
#include "hdx/ti_lines.h"
#include "link/command_codes.h"

namespace {

constexpr int kTiPages = 17;
constexpr int kTiRows = kTiPages + 1;
constexpr int kBlockRows = 17;  // SIC279, HDX+ and EM: header and 16 blocks or words
constexpr int kHdxPlusBlocks = 16;
constexpr int kSic279Blocks = 16;
constexpr int kSic279SkippedBlock = 7;
constexpr int kEmWords = 16;
constexpr uint8_t kEmPasswordWord = 2;
constexpr uint32_t kPagePauseMs = 10;
constexpr const char* kChargeOnlyReadCmd = "ChargeOnlyReadCmd";

// Data byte j of a response is out[j + 1]; it was received when j < LEN.
bool HasDataByte(const Response& out, int j) {
  return j >= 0 && j < out[0];
}

// Response bytes out[last] down to out[first], each "XX ".
std::string BytesLastFirst(const Response& out, int first, int last) {
  std::string text;
  for (int i = last; i >= first; --i) {
    hex::AppendByte(text, out[static_cast<size_t>(i)]);
    text.push_back(' ');
  }
  return text;
}

// Response bytes out[first] .. out[first + count - 1], each "XX ".
std::string BytesInOrder(const Response& out, int first, int count) {
  return count > 0 ? hex::Bytes(out.data() + first, static_cast<size_t>(count)) : std::string();
}

// The ID reads: out[2] the tag type, the ID bytes from out[3].
constexpr int kIdTypeAt = 2;
constexpr int kIdAt = 3;
bool HoldsIdBytes(const Response& out, int n) {
  return out[0] >= kIdAt - 1 + n;
}
bool IsEmId(const Response& out) {
  return out[kIdTypeAt] == static_cast<uint8_t>(TagType::Em);
}

template <size_t N>
std::span<const uint8_t, N> IdBytesAt(const Response& out) {
  return std::span<const uint8_t, N>(out.data() + kIdAt, N);
}

// "%03u [%010lu]" of the EM ID's version and serial.
std::string EmUidText(std::span<const uint8_t, 5> e) {
  const fdx::EmId id = fdx::EmId::FromBytes(e);
  return fdx::FormatPaddedDecimal(3, id.versionCustomerId) + " [" +
         fdx::FormatPaddedDecimal(10, id.serialNumber) + "]";
}

// "ID: " + Flag, Type of transponder, Supplier code and Serial number (no application code).
std::string BdeUidText(std::span<const uint8_t, 8> id) {
  const fdx::BdeIdCode c = fdx::BdeIdCode::FromBytes(id);
  return "ID: " + std::to_string(c.flag) + " " + std::to_string(c.typeOfTransponder) + " " +
         std::to_string(c.supplierCode) + " " + std::to_string(c.serialNumber);
}

}  // namespace

void TagData::Clear() {
  EdUID.clear();
  EdChip.clear();
  EdManufacturer.clear();
  for (Row& row : StringGrid1)
    for (std::string& cell : row) cell.clear();
}

std::string HdxPlusBlockLabel(int block) {
  switch (block) {
    case 0:
      return "Chip ID Byte 3,2,1,0";
    case 1:
      return "Reserved Byte & Chip ID Byte 6,5,4";
    case 2:
      return "Reserved Byte & Chip ID Byte 9,8,7";
    case 3:
      return "Config Byte 2,1 & CRC MSB,LSB";
    case 14:
      return "Animal ID Byte 3,2,1,0";
    case 15:
      return "Animal ID Byte 7,6,5,4";
    default:
      return block >= 4 && block <= 13 ? "User Memry" : "";
  }
}

std::string Sic7888BlockLabel(int block) {
  switch (block) {
    case 0:
      return "UID";
    case 1:
      return "Configuration";
    case 2:
      return "PWD_W";
    case 3:
      return "PWD_R";
    case 41:
      return "C\u2010tune Value";  // U+2010 HYPHEN, as the chip's data sheet writes it
    case 42:
      return "Traceability Data 0";
    case 43:
      return "Traceability Data 1";
    default:
      return block >= 4 && block <= 40 ? "User Memory" : "";
  }
}

std::string Em4305WordLabel(int word) {
  switch (word) {
    case 0:
      return "Chip Type,Res Cap Customer code/User free";
    case 1:
      return "UID";
    case 2:
      return "Password";
    case 4:
      return "Configuration word ";
    case 14:
      return "Protection word 1";
    case 15:
      return "Protection word 2";
    default:
      return word == 3 || (word >= 5 && word <= 13) ? "User free" : "";
  }
}

TagMemoryReader::TagMemoryReader(AppCore& app, TagData& data, std::function<void()> onChange)
    : app_(app), comm_(app.Link()), data_(data), onChange_(std::move(onChange)) {}

bool TagMemoryReader::Fast() const {
  return fastMode_ && app_.ReaderLevel >= 2;
}

void TagMemoryReader::Changed() {
  if (onChange_) onChange_();
}

void TagMemoryReader::SetHeader(const char* c0, const char* c1, const char* c2) {
  RowAt(0) = {c0, c1, c2};
}

void TagMemoryReader::Read(const TagReadOptions& options) {
  fastMode_ = options.fastMode;
  data_.Clear();
  Changed();
  switch (options.fixedTagType) {
    case kFixedMultipage:
      ReadTiPages();
      break;
    case kFixedSic279:
      ReadSic279Blocks();
      break;
    case kFixedSic7888:
      ReadSic7888Blocks();
      break;
    case kFixedEm4305:
      ReadEmWordsOfChip();
      break;
    default:
      if (!IdentifyHdx()) IdentifyFdx();
      app_.Outcome().Conclusion(!data_.EdUID.empty() || !data_.EdChip.empty(),
                                "tag memory viewer: a tag identified");
      break;
  }
  Changed();
}

bool TagMemoryReader::IdentifyHdx() {
  Response out{};
  {
    const auto probe = app_.Probing();
    // The module is asked once more with the extra byte 0x00 before the read counts as failed.
    if (!comm_.ChargeOnlyRead(out, 1) && !comm_.ChargeOnlyRead(out, 0)) {
      app_.LogOkNg(false, kChargeOnlyReadCmd);
      return false;
    }
  }
  app_.LogOkNg(true, kChargeOnlyReadCmd);
  // The wrapper accepted LEN >= 10: the tag type and id0 .. id7 are there.
  const auto type = static_cast<TagType>(out[2]);
  const std::string uid = BytesLastFirst(out, 3, 10);
  switch (type) {
    case TagType::ReadWrite:
    case TagType::ReadOnly: {
      data_.EdChip = TagTypeLabel(type);
      Response trace{};
      bool sic279 = false;
      {
        const auto probe = app_.Probing();
        sic279 = comm_.Sic279TraceabilityDataRead(trace);
      }
      data_.EdManufacturer = sic279 ? "SIC279" : "TI";
      Changed();
      if (sic279) ReadSic279Blocks();
      break;
    }
    case TagType::MultiPage:
      data_.EdChip = TagTypeLabel(type);
      data_.EdManufacturer = "TI";
      Changed();
      ReadTiPages();
      break;
    case TagType::Aes:
      data_.EdChip = TagTypeLabel(type);
      data_.EdManufacturer = "TI";
      break;
    case TagType::Sic279:
      data_.EdManufacturer = "SIC278";
      break;
    case TagType::Em:
    case TagType::FdxB:
    case TagType::Sic7888:
    case TagType::Fecava:
      // FDX types answering the HDX read all show as FDX-B, with the maker the type names.
      data_.EdChip = TagTypeLabel(TagType::FdxB);
      data_.EdManufacturer = TagTypeMaker(type);
      break;
    case TagType::Bde:
    default:
      data_.EdChip = LoadMessage(Msg::UnkownTagMsg);
      break;
  }
  data_.EdUID = uid;
  app_.AddLog(uid);
  Changed();
  if (type == TagType::MultiPage) return true;
  // Whether the tag has HDX+ blocks at all.
  const auto probe = app_.Probing();
  return ReadHdxPlusBlocks();
}

bool TagMemoryReader::ReadHdxPlusBlocks() {
  data_.SetRowCount(kBlockRows);
  Changed();
  for (int b = 0; b < kHdxPlusBlocks; ++b) {
    Response out{};
    if (!comm_.Exchange({cmd::HdxPlusReadMultipleBlocks, 0x00, static_cast<uint8_t>(b), 0x00},
                        out)) {
      app_.LogOkNg(false, kChargeOnlyReadCmd);
      return false;
    }
    TagData::Row& row = RowAt(b + 1);
    row[0] = std::to_string(b);
    // Data bytes LEN-1 .. 1: the block arrives least significant byte first.
    row[1] = BytesLastFirst(out, 2, out[0]);
    Changed();
  }
  SetHeader("Block", "Data", "");
  for (int b = 0; b < kHdxPlusBlocks; ++b) RowAt(b + 1)[2] = HdxPlusBlockLabel(b);
  data_.EdManufacturer = "TI(HDX+)";
  Changed();
  return true;
}

void TagMemoryReader::ReadTiPages() {
  data_.SetRowCount(kTiRows);
  SetHeader("Page", "Data", "Lock");
  Changed();
  auto fill = [this](int page, const Response& out, int p0) {
    TagData::Row& row = RowAt(page);
    row[0] = std::to_string(page);
    row[1] = BytesLastFirst(out, p0, p0 + 7);
    row[2] = PageLockMark(out[static_cast<size_t>(p0 + 8)]);
  };
  if (Fast()) {
    Response out{};
    if (!comm_.GeneralReadPageCmd2(out, 1, kTiPages)) return;
    // 0x8B, the tag type, then p0 .. p7 and the status of each page. A page the answer does not
    // hold completely is not shown.
    constexpr int kGroup = 9;
    for (int p = 0; p < kTiPages; ++p) {
      const int first = 2 + kGroup * p;  // data byte of p0
      if (!HasDataByte(out, first + kGroup - 1)) break;
      fill(p + 1, out, first + 1);
    }
    Changed();
    return;
  }
  for (int n = 1; n <= kTiPages; ++n) {
    RowAt(n)[0] = std::to_string(n);
    Response out{};
    if (comm_.GeneralReadPage(out, static_cast<uint8_t>(n))) fill(n, out, 3);  // LEN 11
    Changed();
    app_.Sleep(kPagePauseMs);
  }
}

void TagMemoryReader::ReadSic279Blocks() {
  data_.SetRowCount(kBlockRows);
  SetHeader("Block", "Data", "Lock");
  for (int b = 0; b < kSic279Blocks; ++b) RowAt(b + 1)[0] = std::to_string(b);
  // Block 7 is never read.
  RowAt(kSic279SkippedBlock + 1)[1] = "-  -  -  -";
  Changed();
  struct Range {
    uint8_t block, further;
  };
  static constexpr Range kRanges[] = {{0, 3}, {4, 2}, {8, 3}, {12, 3}};
  for (const Range& r : kRanges) {
    Response out{};
    if (!comm_.Sic279ProtectedDirectAccess(out, r.block, r.further)) continue;
    // Block k of the answer is data bytes 1 + 4k .. 4 + 4k; a block the answer does not hold
    // completely stays empty.
    for (int k = 0; k <= r.further; ++k) {
      const int first = 1 + 4 * k;
      if (!HasDataByte(out, first + 3)) break;
      RowAt(r.block + k + 1)[1] = BytesLastFirst(out, first + 1, first + 4);
    }
    Changed();
  }
  Response lock{};
  if (comm_.Sic279LockBitReadAll(lock) && HasDataByte(lock, 2)) {
    const unsigned word = lock[2] | lock[3] << 8;
    for (int b = 0; b < kSic279Blocks; ++b) RowAt(b + 1)[2] = (word >> b) & 1 ? "1" : "0";
    Changed();
  }
}

void TagMemoryReader::ReadSic7888Blocks() {
  using namespace fdx::sic7888;
  data_.EdManufacturer = "SIC7888";
  data_.SetRowCount(kBlocks + 1);
  SetHeader("BADR", "Data", "Infomation");
  for (int b = 0; b < kBlocks; ++b) RowAt(b + 1)[2] = Sic7888BlockLabel(b);
  Changed();
  if (Fast()) {
    for (int b = 0; b < kBlocks; ++b) RowAt(b + 1)[0] = "BADR" + std::to_string(b);
    Changed();
    Response out{};
    if (comm_.Sic7888ReadBlock2(out, kProtocolMode, 0, kBlocks)) {
      for (int b = 0; b < kBlocks; ++b) {
        const int first = 1 + 4 * b;  // data byte of the block's first byte
        if (!HasDataByte(out, first + 3)) break;
        RowAt(b + 1)[1] = BytesInOrder(out, first + 1, 4);
      }
      Changed();
    }
    return;
  }
  for (int b = 0; b < kBlocks; ++b) {
    RowAt(b + 1)[0] = "BADR" + std::to_string(b);
    Response out{};
    if (comm_.Sic7888ReadBlock(out, kProtocolMode, static_cast<uint8_t>(b)))
      RowAt(b + 1)[1] = BytesInOrder(out, 2, out[0] - 1);
    Changed();
  }
}

void TagMemoryReader::ReadEmWordsOfChip(bool probing) {
  Response out{};
  // The chip type is in the last byte received; an answer without a byte after the echo names
  // no chip.
  std::optional<OutcomeRecorder::Probe> probe;
  if (probing) probe.emplace(app_.Outcome());
  const bool read = comm_.Em4305ReadWord(out, 0) && HasDataByte(out, 1);
  probe.reset();
  if (!read) return;
  const int chip = (out[out[0]] >> 1) & 0x0F;
  if (chip == 1) ReadEmWords(false);
  if (chip == 9) ReadEmWords(true);
}

void TagMemoryReader::ReadEmWords(bool em4305) {
  data_.EdManufacturer = em4305 ? "EM4305" : "EM4205";
  data_.SetRowCount(kBlockRows);
  SetHeader("ADDR", "Data", "Infomation");
  for (int w = 0; w < kEmWords; ++w) RowAt(w + 1)[2] = Em4305WordLabel(w);
  Changed();
  if (app_.ReaderLevel < 3) return;
  // The carrier stays on across the word reads, and is switched off whatever happened.
  Response on{};
  if (comm_.SendLfControl(1, 0, on)) {
    for (int w = 0; w < kEmWords; ++w) {
      TagData::Row& row = RowAt(w + 1);
      row[0] = "ADDR" + std::to_string(w);
      if (w == kEmPasswordWord) {
        row[1] = "-";
      } else {
        Response out{};
        if (comm_.Em4305ReadWord(out, static_cast<uint8_t>(w)))
          row[1] = BytesInOrder(out, 2, out[0] - 1);
      }
      Changed();
    }
  }
  Response off{};
  comm_.SendLfControl(0, 0, off);
}

void TagMemoryReader::IdentifyFdx() {
  Response out{};
  std::optional<OutcomeRecorder::Probe> probe(std::in_place, app_.Outcome());
  // The type byte is looked at only in an answer that holds it.
  const bool read =
      comm_.IdReadFdx(out) && HoldsIdBytes(out, 5) && HoldsIdBytes(out, IsEmId(out) ? 5 : 8);
  if (!read) {
    if (app_.ReaderLevel <= 1) return;
    Response f{};
    if (!comm_.IdReadFecava(f) || !HoldsIdBytes(f, 5)) return;
    probe.reset();
    data_.EdChip = "FDX-B, FECAVA_ID Format";
    const std::string line = fdx::FecavaIdLine(IdBytesAt<5>(f));
    app_.AddLog(line);
    data_.EdUID = line;
    Changed();
    ReadSic7888Blocks();
    return;
  }
  const auto type = static_cast<TagType>(out[kIdTypeAt]);
  const bool eightBytes = !IsEmId(out);
  if (type == TagType::Em) {
    const auto e = IdBytesAt<5>(out);
    for (const std::string& line : fdx::EmIdLines(e)) app_.AddLog(line);
    data_.EdUID = EmUidText(e);
    data_.EdChip = "FDX-B, EM_ID Format";
  } else {
    const auto id = IdBytesAt<8>(out);
    const uint64_t value = fdx::FromIdBytes(id);
    if (type == TagType::FdxB) {
      if (value & fdx::AnimalIdCode::kAnimalFlag) {
        const fdx::AnimalIdCode code = fdx::AnimalIdCode::Decode(value);
        data_.EdUID = code.CountryText() + " " + code.NationalText();
        data_.EdChip = "FDX-B, Animal_ID Format";
      } else {
        data_.EdUID = hex::Number(fdx::NonAnimalNumber(value), 16);
        data_.EdChip = "FDX-B, NonAnimal_ID Format";
      }
      app_.LogAnimalId(id);
    } else {
      data_.EdUID = fdx::FormatPaddedDecimal(18, fdx::NonAnimalNumber(value));
      app_.LogAnimalId(id);
      data_.EdChip = "Unknown";
    }
  }
  Changed();

  // Which chip carries the ID: a SIC7888 answers its UID read, an EM chip its word 0.
  Response uid{};
  if (!comm_.Sic7888GetUid(uid, fdx::sic7888::kProtocolMode)) {
    probe.reset();
    if (app_.ReaderLevel >= 3) ReadEmWordsOfChip(true);
    return;
  }
  Response config{};
  const auto& bde = fdx::sic7888::kBdeConfig;
  // The BDE code needs the 8 ID bytes: an EM ID answer holds only five.
  const bool bdeConfig =
      comm_.Sic7888ReadBlock(config, fdx::sic7888::kProtocolMode, fdx::sic7888::kConfigBlock) &&
      HasDataByte(config, 4) && std::equal(bde.begin(), bde.end(), config.data() + 2);
  probe.reset();
  if (bdeConfig && eightBytes) {
    data_.EdChip = "FDX-B, BDE_ID Format";
    const std::string line = BdeUidText(IdBytesAt<8>(out));
    app_.AddLog(line);
    data_.EdUID = line;
    Changed();
  }
  ReadSic7888Blocks();
}

TagData ReadTagData(AppCore& app, const TagReadOptions& options) {
  TagData data;
  TagMemoryReader(app, data).Read(options);
  return data;
}
