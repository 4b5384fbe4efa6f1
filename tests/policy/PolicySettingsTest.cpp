// The policy of this moment from both hives: the machine's value wins, a
// malformed value is ignored and named, and neither a malformed value nor
// a key that cannot be read lifts a restriction.

#include <gtest/gtest.h>

#include "policy/PolicySettings.h"
#include "tests/support/PolicyFakes.h"

namespace pelzorvick::policy {
namespace {

using test::MapPolicySource;
constexpr PolicyHive kMachine = PolicyHive::kMachine;
constexpr PolicyHive kUser = PolicyHive::kUser;

StoredValue Text(std::u16string name, std::u16string text) {
  return {std::move(name), StoredValue::Type::kString, 0, std::move(text), 1};
}
StoredValue Other(std::u16string name, uint32_t raw_type) {
  return {std::move(name), StoredValue::Type::kOther, 0, {}, raw_type};
}
Target Path(std::u16string path) { return {Target::Kind::kPath, std::move(path), false}; }

TEST(PolicySettings, TheMachinesWellFormedValueWins) {
  const struct {
    const char* name;
    std::function<void(MapPolicySource&)> set;
    bool on;
    std::size_t malformed;
  } rows[] = {
      {"nothing set", [](MapPolicySource&) {}, false, 0},
      {"the user's alone", [](MapPolicySource& s) { s.Switch(kUser, u"DisableLaunch", 1); }, true, 0},
      {"any number but 0", [](MapPolicySource& s) { s.Switch(kMachine, u"DisableLaunch", 7); }, true, 0},
      {"the machine's 0 over the user's 1",
       [](MapPolicySource& s) {
         s.Switch(kMachine, u"DisableLaunch", 0);
         s.Switch(kUser, u"DisableLaunch", 1);
       },
       false, 0},
      {"the machine's text is ignored, the user's counts",
       [](MapPolicySource& s) {
         s.Add(kMachine, u"", Text(u"disablelaunch", u"0"));
         s.Switch(kUser, u"DisableLaunch", 1);
       },
       true, 1},
  };
  for (const auto& row : rows) {
    MapPolicySource source;
    row.set(source);
    const PolicySettings settings = ReadPolicySettings(source);
    EXPECT_EQ(settings.disable_launch, row.on) << row.name;
    EXPECT_EQ(settings.malformed.size(), row.malformed) << row.name;
  }
}

TEST(PolicySettings, APatternKeyOfTheMachineReplacesTheUsers) {
  MapPolicySource source;
  source.Patterns(kMachine, u"AllowedPrograms", {u"C:\\A\\"});
  source.Patterns(kUser, u"AllowedPrograms", {u"C:\\B\\"});
  source.keys[{kMachine, u"DeniedPrograms"}] = {StoredKey::State::kRead, {}};  // empty: the user's counts
  source.Patterns(kUser, u"DeniedPrograms", {u"C:\\A\\x.exe"});
  const PolicySettings settings = ReadPolicySettings(source);
  EXPECT_TRUE(settings.allowed.Matches(Path(u"C:\\A\\y.exe")));
  EXPECT_FALSE(settings.allowed.Matches(Path(u"C:\\B\\y.exe")));
  EXPECT_TRUE(settings.denied.Matches(Path(u"C:\\A\\x.exe")));
}

TEST(PolicySettings, MalformedValuesAreNamedAndAllowNothing) {
  MapPolicySource source;
  source.Add(kMachine, u"AllowedPrograms", Other(u"binary", 3));
  source.Add(kMachine, u"AllowedPrograms", Other(u"expandable", 2));
  source.Add(kMachine, u"AllowedPrograms", Text(u"empty", u""));
  source.Add(kMachine, u"AllowedPrograms", Text(u"long", std::u16string(40000, u'x')));
  source.Add(kMachine, u"AllowedPrograms", Text(u"relative", u"app.exe"));
  const PolicySettings settings = ReadPolicySettings(source);
  EXPECT_TRUE(settings.allowed.in_force);
  EXPECT_TRUE(settings.allowed.patterns.empty());
  ASSERT_EQ(settings.malformed.size(), 5u);
  EXPECT_EQ(settings.malformed[0],
            u"HKEY_LOCAL_MACHINE\\Software\\Policies\\PelZorvick\\AllowedPrograms, value binary: a value of "
            u"registry type 3, not REG_SZ");
  EXPECT_NE(settings.malformed[3].find(u"more than 2048"), std::u16string::npos);
}

TEST(PolicySettings, AKeyThatCannotBeReadRestrictsAsMuchAsItCould) {
  const StoredKey unreadable{StoredKey::State::kUnreadable, {}};
  {
    MapPolicySource source;
    source.keys[{kMachine, u"AllowedPrograms"}] = unreadable;
    source.keys[{kUser, u"DeniedPrograms"}] = unreadable;
    source.keys[{kMachine, u"AllowedImageHosts"}] = unreadable;
    const PolicySettings settings = ReadPolicySettings(source);
    EXPECT_TRUE(settings.allowed.in_force && settings.allowed.patterns.empty());
    EXPECT_TRUE(settings.denied.Matches(Path(u"C:\\anything.exe")));
    EXPECT_TRUE(settings.image_hosts.in_force && settings.image_hosts.patterns.empty());
    EXPECT_FALSE(settings.disable_launch);
    EXPECT_EQ(settings.malformed.size(), 3u);
  }
  MapPolicySource source;
  source.keys[{kUser, u""}] = unreadable;
  source.Switch(kMachine, u"DisableLaunch", 0);
  const PolicySettings settings = ReadPolicySettings(source);
  EXPECT_TRUE(settings.disable_launch && settings.no_interpreter && settings.audit);
  EXPECT_TRUE(settings.image_hosts.in_force);
}

}  // namespace
}  // namespace pelzorvick::policy
