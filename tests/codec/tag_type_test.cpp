// The tag type table: every byte the module reports, through each of its three labels.
#include "codec/tag_type.h"

#include <gtest/gtest.h>

#include "core/messages.h"

namespace {

TEST(TagTypes, EveryTypeByteHasItsLogLabelAndOtherBytesAreUnknown) {
  SetMessageLanguage(Language::English);
  const char* const labels[] = {"R/W Tag",    "Read Only Tag", "Multi Page Tag", "AES Tag",
                                "SIC279 Tag", "EM Tag",        "FDX-B Tag",      "SIC7888 Tag",
                                "FECAVA Tag", "BDE Tag"};
  for (uint8_t b = 0; b < 10; ++b) {
    ASSERT_TRUE(TagTypeOf(b)) << int{b};
    EXPECT_EQ(static_cast<uint8_t>(*TagTypeOf(b)), b);
    EXPECT_EQ(TagTypeLabel(b), labels[b]) << int{b};
  }
  for (uint8_t b : {10, 0x30, 0xFF}) {
    EXPECT_FALSE(TagTypeOf(b));
    EXPECT_EQ(TagTypeLabel(b), LoadMessage(Msg::UnkownTagMsg));
  }
}

TEST(TagTypes, TheTallyNamesTheSevenKindsOfReadLoopModeAndNoOthers) {
  const char* const expected[] = {"RW", "RO",    "MPT", "AES", "SIC279",
                                  "EM", "FDX-B", "??",  "??",  "??"};
  for (int k = 0; k < 10; ++k)
    EXPECT_STREQ(TallyTagLabel("0" + std::to_string(k)), expected[k]) << k;
  for (const char* kind : {"0A", "10", "6", "006", "", "xx"})
    EXPECT_STREQ(TallyTagLabel(kind), "??");
}

TEST(TagTypes, TheMakerIsNamedOnlyWhereTheTypeAloneTellsIt) {
  EXPECT_STREQ(TagTypeMaker(TagType::Em), "EM");
  EXPECT_STREQ(TagTypeMaker(TagType::Sic7888), "SIC7888");
  EXPECT_STREQ(TagTypeMaker(TagType::Fecava), "FECAVA");
  for (TagType t : {TagType::ReadWrite, TagType::MultiPage, TagType::FdxB, TagType::Bde})
    EXPECT_STREQ(TagTypeMaker(t), "");
}

}  // namespace
