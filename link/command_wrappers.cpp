// The command wrappers of the communication module: one per command code that more than one
// handler sends, with the data bytes after the code as named and the success check of each.
#include <algorithm>
#include <vector>

#include "link/comm_module.h"
#include "link/command_codes.h"

namespace {
// A command's data bytes: the code and its fixed parameters, the variable bytes, then the fixed
// bytes that follow them.
std::vector<uint8_t> CommandBytes(std::initializer_list<uint8_t> head,
                                  std::span<const uint8_t> tail = {},
                                  std::initializer_list<uint8_t> after = {}) {
  std::vector<uint8_t> v(head);
  v.insert(v.end(), tail.begin(), tail.end());
  v.insert(v.end(), after);
  return v;
}
}  // namespace

bool TTirisC1Dlg::ChargeOnlyRead(Response& out, int flag) {
  const bool ok =
      flag != 0 ? Exchange({cmd::ChargeOnlyRead}, out) : Exchange({cmd::ChargeOnlyRead, 0x00}, out);
  return ok && out[0] >= 10 && out[1] == cmd::ChargeOnlyRead;
}

bool TTirisC1Dlg::WriteAndProgram(Response& out, std::span<const uint8_t> bytes) {
  const bool ok = Exchange(
      CommandBytes({cmd::WriteAndProgram, static_cast<uint8_t>(bytes.size())}, bytes), out);
  return ok && out[0] == 10 && out[1] == cmd::WriteAndProgram;
}

bool TTirisC1Dlg::GeneralReadPage(Response& out, uint8_t page) {
  return Exchange({cmd::GeneralReadPage, page}, out) && out[0] == 11 &&
         out[1] == cmd::GeneralReadPage;
}

bool TTirisC1Dlg::ProgramPage(Response& out, uint8_t page, std::span<const uint8_t, 8> bytes) {
  const bool ok = Exchange(CommandBytes({cmd::ProgramPage, page, 0x08}, bytes), out);
  return ok && out[0] == 11 && out[1] == cmd::ProgramPage;
}

bool TTirisC1Dlg::LockPage(Response& out, uint8_t page) {
  return Exchange({cmd::LockPage, page}, out);
}

bool TTirisC1Dlg::Sic279TraceabilityDataRead(Response& out) {
  return Exchange({cmd::Sic279TraceabilityDataRead}, out);
}
bool TTirisC1Dlg::Sic279ChipConfigRead(Response& out) {
  return Exchange({cmd::Sic279ChipConfigRead}, out);
}
bool TTirisC1Dlg::Sic279LockBitReadAll(Response& out) {
  return Exchange({cmd::Sic279LockBitReadAll}, out);
}
bool TTirisC1Dlg::Sic279LockBitRead(Response& out, uint8_t p1) {
  return Exchange({cmd::Sic279LockBitRead, p1}, out);
}
bool TTirisC1Dlg::Sic279ProtectedDirectAccess(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({cmd::Sic279ProtectedDirectAccess, p1, p2}, out);
}
bool TTirisC1Dlg::Sic279ProtectedWrite(Response& out, uint8_t p1, uint8_t p2,
                                       std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({cmd::Sic279ProtectedWrite, p1, p2}, bytes), out);
}
bool TTirisC1Dlg::Sic279IdWrite(Response& out, uint8_t p1, std::span<const uint8_t, 8> bytes,
                                uint8_t p2) {
  return Exchange(CommandBytes({cmd::Sic279IdWrite, p1}, bytes, {p2}), out);
}
bool TTirisC1Dlg::IdReadFdx(Response& out) {
  return Exchange({cmd::IdReadFdx, 0x01}, out);
}
bool TTirisC1Dlg::IdReadAnimal(Response& out) {
  return Exchange({cmd::IdReadAnimal}, out);
}
bool TTirisC1Dlg::IdReadHdxFdx(Response& out) {
  return Exchange({cmd::IdReadAnimal, 0x02}, out);
}
bool TTirisC1Dlg::IdReadFecava(Response& out) {
  return Exchange({cmd::IdReadFecava}, out);
}
bool TTirisC1Dlg::Sic7888GetUid(Response& out, uint8_t p1) {
  return Exchange({cmd::Sic7888GetUid, p1}, out);
}
bool TTirisC1Dlg::Sic7888ReadBlock(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({cmd::Sic7888ReadBlock, p1, p2}, out);
}
bool TTirisC1Dlg::Sic7888ReadPage(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({cmd::Sic7888ReadPage, p1, p2}, out);
}
bool TTirisC1Dlg::Sic7888WriteBlock(Response& out, uint8_t p1, uint8_t p2,
                                    std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({cmd::Sic7888WriteBlock, p1, p2}, bytes), out);
}
bool TTirisC1Dlg::Sic7888WritePage(Response& out, uint8_t p1, uint8_t p2,
                                   std::span<const uint8_t> bytes) {
  return Exchange(CommandBytes({cmd::Sic7888WritePage, p1, p2}, bytes), out);
}
bool TTirisC1Dlg::Sic7888ReadCt(Response& out, uint8_t p1) {
  return Exchange({cmd::Sic7888ReadCt, p1}, out);
}
bool TTirisC1Dlg::Sic7888WriteCt(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({cmd::Sic7888WriteCt, p1, p2}, out);
}
bool TTirisC1Dlg::Sic7888ReadBlock2(Response& out, uint8_t p1, uint8_t p2, uint8_t p3) {
  return Exchange({cmd::Sic7888ReadBlock2, p1, p2, p3}, out);
}
bool TTirisC1Dlg::Sic7888WriteBlock2(Response& out, uint8_t p1, uint8_t p2, uint8_t n,
                                     std::span<const uint8_t> bytes) {
  return Exchange(CommandBytes({cmd::Sic7888WriteBlock2, p1, p2, n},
                               bytes.first(std::min<size_t>(bytes.size(), 4u * n))),
                  out);
}
bool TTirisC1Dlg::GeneralReadPageCmd2(Response& out, uint8_t p1, uint8_t p2) {
  // An ACK without data has no echo to compare.
  return Exchange({cmd::GeneralReadPageCmd2, p1, p2}, out) && out[0] >= 1 &&
         out[1] == cmd::GeneralReadPageCmd2;
}
bool TTirisC1Dlg::WriteAndProgramCmd2(Response& out, uint8_t p1, uint8_t n,
                                      std::span<const uint8_t> bytes) {
  SendCommand(CommandBytes({cmd::WriteAndProgramCmd2, p1, n},
                           bytes.first(std::min<size_t>(bytes.size(), 8u * n))));
  return AwaitResponseFor(out, static_cast<uint16_t>(std::min(n * 310u, 65535u))) && out[0] >= 1 &&
         out[1] == cmd::WriteAndProgramCmd2;
}
bool TTirisC1Dlg::Em4305WriteWord(Response& out, uint8_t word, std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({cmd::Em4305WriteWord, word}, bytes), out);
}
bool TTirisC1Dlg::Em4305ReadWord(Response& out, uint8_t word) {
  return Exchange({cmd::Em4305ReadWord, word}, out);
}
bool TTirisC1Dlg::Em4305Login(Response& out, std::span<const uint8_t, 4> password) {
  return Exchange(CommandBytes({cmd::Em4305Login}, password), out);
}
bool TTirisC1Dlg::Em4305Protect(Response& out, std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({cmd::Em4305Protect}, bytes), out);
}
void TTirisC1Dlg::Em4305Disable() {
  SendCommand({cmd::Em4305Disable});
}
