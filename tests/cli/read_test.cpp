// qzh900ctl read: the decoded identity of the tag in the field, as lines and as one JSON event
// with numbers, for an animal code, an EM tag and an empty field.
#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

using namespace cli_test;

TEST(CliRead, AnAnimalCodeWithCountryNationalIdAndFlags) {
  CliRig rig({MakeTag("fdxb:392:123456789012")});
  const Result text = rig.Run({"read"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.Lines(), (std::vector<std::string>{
                              "Tag Type: FDX-B", "Kind: animal", "ID: 80 00 62 1C BE 99 1A 14",
                              "Country: 392 Japan", "National ID: 123456789012",
                              "Flags: retag counter 0, user information 0, reserved 0, RUDI 0, "
                              "data block 0"}))
      << text.out;
  EXPECT_EQ(rig.ModuleMode(), 4);

  const Result json = rig.Run({"read", "--json", "--lang", "ja"});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(SchemaProblems(json.out, rig.config), "");
  const auto tags = OfKind(Events(json.out), "tag");
  ASSERT_EQ(tags.size(), 1u) << json.out;
  EXPECT_EQ(tags[0]["country"].toInt(), 392);
  EXPECT_EQ(tags[0]["national"].toInteger(), 123456789012);
  EXPECT_EQ(tags[0]["country_name"].toString(), QString::fromUtf8("日本"));
  EXPECT_EQ(tags[0]["code_kind"].toString(), "animal");
  EXPECT_FALSE(tags[0].contains("em_number"));
}

TEST(CliRead, AnEmTagGivesItsEmNumberAndNoCountry) {
  CliRig rig({MakeTag("em:0504030201")});
  const Result r = rig.Run({"read", "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  const auto tags = OfKind(Events(r.out), "tag");
  ASSERT_EQ(tags.size(), 1u) << r.out;
  EXPECT_EQ(tags[0]["code_kind"].toString(), "em");
  EXPECT_EQ(tags[0]["em_number"].toInteger(), 67305985);
  EXPECT_EQ(tags[0]["em_version"].toInt(), 5);
  EXPECT_FALSE(tags[0].contains("country"));
  EXPECT_FALSE(tags[0].contains("animal_code"));
}

TEST(CliRead, AnEmptyFieldIsVerdictOne) {
  CliRig rig;
  const Result r = rig.Run({"read", "--wait", "0.3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "no tag in the field")) << r.err;
}
