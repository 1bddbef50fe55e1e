#pragma once
// A transponder in the module's field.
//
// Adding a chip (TI read/write, SIC7888, EM4305, ...):
//  1. Write sim/chips/<chip>.cpp (plus a header when tests need the class) with a subclass of
//     Transponder. Give the base its type name, the kind code it reports in 'I' frames and tag
//     type bytes, its air interface and its memory (blocks with lock state). Override IdBytes()
//     and Describe(), and Handle() for the tag commands the chip answers; pass everything else
//     on to Transponder::Handle(), which answers the ID reads 0x70-0x72.
//     End the file with its registration function, which names the chip for --tag and scenario
//     files and parses the arguments after "name:":
//       void RegisterMyChip(ChipRegistry& r) { r.Add({"mychip", {}, "mychip:HEX8  ...", &Make}); }
//  2. Call it from the registration file of its family: RegisterHdxFamilyChips in
//     sim/chips/hdx_family_chips.cpp (TI read/write and multipage, SIC279, HDX+) or
//     RegisterFdxFamilyChips in sim/chips/fdx_family_chips.cpp (SIC7888, EM4305, FECAVA, BDE):
//       void RegisterMyChip(ChipRegistry& r);   // declared there, and in the body:
//       RegisterMyChip(r);
// sim/CMakeLists.txt picks up every file of sim/chips by itself. A test can build the chip
// directly or through ChipRegistry::Builtin().Make("mychip:...").
//
// Handle() runs on the simulator's thread under the field's lock; a chip keeps its state in
// its own members and needs no locking of its own.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/tag_type.h"
#include "sim/sim_time.h"
#include "sim/tag_memory.h"

namespace sim {

class ParameterMemory;

// NACK codes the module sends about tag traffic and rejected commands.
namespace nack {
inline constexpr uint8_t kCrcError = 0x01;
inline constexpr uint8_t kCommandTimeOver = 0x02;
inline constexpr uint8_t kTagDataReceiveError = 0x03;
inline constexpr uint8_t kNoResponseFromTag = 0x04;
inline constexpr uint8_t kNumberOfData = 0x41;
inline constexpr uint8_t kSum = 0x42;
inline constexpr uint8_t kValue = 0x43;
inline constexpr uint8_t kInvalidCommand = 0x44;
}  // namespace nack

// Tag type bytes (also the kind codes of 'I' frames), as the tool's link layer names them.
namespace tag_type {
inline constexpr uint8_t Byte(TagType type) {
  return static_cast<uint8_t>(type);
}
inline constexpr uint8_t kReadWrite = Byte(TagType::ReadWrite);
inline constexpr uint8_t kReadOnly = Byte(TagType::ReadOnly);
inline constexpr uint8_t kMultiPage = Byte(TagType::MultiPage);
inline constexpr uint8_t kAes = Byte(TagType::Aes);
inline constexpr uint8_t kSic279 = Byte(TagType::Sic279);
inline constexpr uint8_t kEm = Byte(TagType::Em);
inline constexpr uint8_t kFdxb = Byte(TagType::FdxB);
inline constexpr uint8_t kSic7888 = Byte(TagType::Sic7888);
inline constexpr uint8_t kFecava = Byte(TagType::Fecava);
inline constexpr uint8_t kBde = Byte(TagType::Bde);
}  // namespace tag_type

enum class AirInterface { Hdx, Fdx };

// The module's ID read commands: 0x70 01, 0x71, 0x71 02, 0x72.
enum class IdRead { Fdx, Animal, HdxFdx, Fecava };

struct TagCommand {
  uint8_t code = 0;
  std::span<const uint8_t> params;  // the data bytes after the code
};

// What a chip may need to know about the module while it answers.
struct AirContext {
  TimePoint now{};
  bool carrierOn = false;  // LF carrier switched on by command 0x9E
  int romLevel = 3;
  const ParameterMemory* memory = nullptr;
  // Counts the times the carrier was switched on: a tag powered by the carrier keeps its state
  // (an EM4305 login) only within one session.
  uint64_t carrierSession = 0;
  // The module's LF transmission level (system parameter 2; 50 is full power).
  int lfLevel = 50;
};

// How a tag takes the module's LF field: at or above its activation threshold it always answers;
// over `width` levels below it the answers fade out (at threshold - k it answers with probability
// 1 - k / width), and further down it is silent. The chance is drawn from a hash of the seed and
// the tag's count of air exchanges, so the same commands give the same answers on every run.
struct FieldResponse {
  static constexpr int kDefaultThreshold = 10;
  static constexpr int kDefaultWidth = 3;
  int threshold = kDefaultThreshold;
  int width = kDefaultWidth;
  uint64_t seed = 1;
};

// The chance that a tag with this response answers at `level`, and one draw of it: whether
// exchange number `draw` gets an answer.
double AnswerChance(const FieldResponse& r, int level);
bool DrawAnswer(const FieldResponse& r, int level, uint64_t draw);

// A tag command's outcome as the module reports it: ACK data (the echoed code first) or a NACK
// code (data[0]).
struct TagReply {
  bool ack = true;
  std::vector<uint8_t> data;

  static TagReply Ack(uint8_t code, std::span<const uint8_t> payload = {});
  static TagReply Nack(uint8_t errorCode) { return TagReply{false, {errorCode}}; }
};

class Transponder {
 public:
  Transponder(std::string typeName, uint8_t kind, AirInterface air, TagMemory memory);
  virtual ~Transponder() = default;
  Transponder(const Transponder&) = delete;
  Transponder& operator=(const Transponder&) = delete;

  const std::string& TypeName() const { return typeName_; }
  // The type code of ID read answers and 'I' frames; a programmable chip reports the type of
  // the code its configuration makes it send.
  virtual uint8_t Kind() const { return kind_; }
  AirInterface Air() const { return air_; }

  // The ID as it travels in 'I' frames and ID read answers.
  virtual std::vector<uint8_t> IdBytes() const = 0;
  // One line for listings, e.g. "fdxb 392 123456789012 (animal)".
  virtual std::string Describe() const = 0;
  // Whether the tag shows up in read-loop mode (a disabled chip stays silent).
  virtual bool Streams() const { return true; }
  // Which ID reads find this tag: FDX reads find FDX tags, the animal and HDX+FDX reads find
  // both families, the FECAVA read only FECAVA-coded tags.
  virtual bool AnswersIdRead(IdRead read) const;
  // A tag command; nullopt when this tag does not answer it (the module then asks the next tag
  // and finally reports "No response from tag").
  virtual std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx);

  TagMemory& Memory() { return memory_; }
  const TagMemory& Memory() const { return memory_; }

  // --- The tag in the LF field ---
  const FieldResponse& Response() const { return response_; }
  void SetResponse(const FieldResponse& r) { response_ = r; }
  // The level from which the tag always answers; a chip whose tuning is off needs more.
  virtual int Threshold() const { return response_.threshold; }
  // Whether the tag gets enough field for one air exchange at `level` (uses up one draw).
  bool Powered(int level);
  // Whether it sends 'I' frames in read-loop mode at `level` (no draw: a streaming tag is either
  // in the field or not).
  bool StreamsAt(int level) const { return Streams() && level >= Threshold(); }
  // A "key=value" setting of a tag spec: threshold, width and seed here, chip settings in the
  // chips. False with the reason when the key or value is not taken.
  virtual bool SetOption(const std::string& key, const std::string& value, std::string& error);

 protected:
  TagMemory memory_;

 private:
  std::string typeName_;
  uint8_t kind_;
  AirInterface air_;
  FieldResponse response_;
  uint64_t draws_ = 0;
};

// The ID read a command asks for; nullopt for any other command or parameter.
std::optional<IdRead> IdReadOf(const TagCommand& cmd);

}  // namespace sim
