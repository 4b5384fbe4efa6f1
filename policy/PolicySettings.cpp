#include "policy/PolicySettings.h"

#include "policy/PolicyTable.h"
#include "text/CaseFold.h"
#include "text/StringUtil.h"

namespace pelzorvick::policy {

namespace {

std::u16string KeyName(PolicyHive hive, std::u16string_view subkey) {
  std::u16string name = hive == PolicyHive::kMachine ? u"HKEY_LOCAL_MACHINE\\" : u"HKEY_CURRENT_USER\\";
  name += Wide(kPolicyKey);
  if (!subkey.empty()) {
    name += u'\\';
    name += subkey;
  }
  return name;
}

std::u16string TypeText(const StoredValue& value) {
  return u"of registry type " + Wide(std::to_string(value.raw_type).c_str());
}

const StoredValue* FindValue(const StoredKey& key, std::u16string_view name) {
  for (const StoredValue& value : key.values) {
    if (EqualsIgnoringAsciiCase(value.name, name)) return &value;
  }
  return nullptr;
}

class Reader {
 public:
  Reader(PolicySource& source, PolicySettings& out) : source_(source), out_(out) {}

  void Read() {
    const StoredKey keys[] = {source_.Read(PolicyHive::kMachine, u""),
                              source_.Read(PolicyHive::kUser, u"")};
    for (const PolicyHive hive : {PolicyHive::kMachine, PolicyHive::kUser}) {
      // Without the policy key there are no pattern keys below it to ask for.
      absent_[static_cast<int>(hive)] = keys[static_cast<int>(hive)].state == StoredKey::State::kAbsent;
      if (keys[static_cast<int>(hive)].state != StoredKey::State::kUnreadable) continue;
      Malformed(KeyName(hive, u""), u"cannot be read: every restriction applies");
      out_.disable_launch = out_.no_interpreter = out_.audit = true;
      out_.image_hosts.in_force = true;
    }
    ReadSwitch(keys, kDisableLaunch, out_.disable_launch);
    ReadList(kAllowedPrograms, out_.allowed);
    ReadList(kDeniedPrograms, out_.denied);
    ReadSwitch(keys, kNoCommandInterpreter, out_.no_interpreter);
    ReadList(kAllowedImageHosts, out_.image_hosts);
    ReadSwitch(keys, kAuditLaunches, out_.audit);
    static_assert(kPolicyCount == 6, "every value of the table is read above");
  }

 private:
  void Malformed(const std::u16string& where, std::u16string_view why) {
    out_.malformed.push_back(where + u": " + std::u16string(why));
  }

  // The first hive with a well-formed value decides; an unreadable key has
  // already turned the switch on.
  void ReadSwitch(const StoredKey (&keys)[2], PolicyIndex index, bool& on) {
    const std::u16string name = NameOf(index);
    for (const PolicyHive hive : {PolicyHive::kMachine, PolicyHive::kUser}) {
      const StoredValue* value = FindValue(keys[static_cast<int>(hive)], name);
      if (!value) continue;
      if (value->type != StoredValue::Type::kDword) {
        Malformed(KeyName(hive, u"") + u", value " + name, u"a value " + TypeText(*value) + u", not REG_DWORD");
        continue;
      }
      on = on || value->number != 0;
      return;
    }
  }

  // The machine's key wins as soon as it holds a value.
  void ReadList(PolicyIndex index, PatternList& list) {
    const std::u16string name = NameOf(index);
    const bool deny = index == kDeniedPrograms;
    for (const PolicyHive hive : {PolicyHive::kMachine, PolicyHive::kUser}) {
      if (absent_[static_cast<int>(hive)]) continue;
      const StoredKey key = source_.Read(hive, name);
      if (key.state == StoredKey::State::kUnreadable) {
        Malformed(KeyName(hive, name), deny ? u"cannot be read: every command is refused"
                                            : u"cannot be read: nothing is allowed");
        list.in_force = true;
        list.everything = list.everything || deny;
        return;
      }
      if (key.values.empty()) continue;
      list.in_force = true;
      for (const StoredValue& value : key.values) {
        const std::u16string where = KeyName(hive, name) + u", value " + value.name;
        if (value.type != StoredValue::Type::kString) {
          Malformed(where, u"a value " + TypeText(value) + u", not REG_SZ");
          continue;
        }
        auto parsed = Pattern::Parse(value.text);
        if (auto* why = std::get_if<std::u16string>(&parsed)) {
          Malformed(where, *why);
        } else {
          list.patterns.push_back(std::get<Pattern>(std::move(parsed)));
        }
      }
      return;
    }
  }

  PolicySource& source_;
  PolicySettings& out_;
  bool absent_[2] = {};
};

}  // namespace

bool PatternList::Matches(const Target& target) const {
  if (everything) return true;
  const std::u16string folded = FoldCase(target.text);
  for (const Pattern& pattern : patterns) {
    if (pattern.MatchesFolded(target.kind, folded)) return true;
  }
  return false;
}

PolicySettings ReadPolicySettings(PolicySource& source) {
  PolicySettings settings;
  Reader(source, settings).Read();
  return settings;
}

}  // namespace pelzorvick::policy
