#pragma once
// The launch policy's seams as a test sets them: registry keys by hive and
// name, a current directory with short names, search results, and every
// audit record kept.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "component/seams/AuditLog.h"
#include "component/seams/PathNames.h"
#include "component/seams/PolicySource.h"
#include "policy/LaunchPolicy.h"

namespace pelzorvick::test {

class MapPolicySource : public PolicySource {
 public:
  std::map<std::pair<PolicyHive, std::u16string>, StoredKey> keys;  // subkey "" is the policy key
  int reads = 0;

  StoredKey Read(PolicyHive hive, std::u16string_view subkey) override {
    ++reads;
    const auto found = keys.find({hive, std::u16string(subkey)});
    if (found != keys.end()) return found->second;
    // The policy key is there as soon as a key below it is.
    const auto below = keys.lower_bound({hive, u""});
    if (subkey.empty() && below != keys.end() && below->first.first == hive) return {StoredKey::State::kRead, {}};
    return {};
  }
  void Switch(PolicyHive hive, std::u16string name, uint32_t on) {
    Add(hive, u"", {std::move(name), StoredValue::Type::kDword, on, {}, 4});
  }
  void Patterns(PolicyHive hive, const std::u16string& key, std::vector<std::u16string> patterns) {
    int n = 0;
    for (std::u16string& p : patterns) {
      Add(hive, key, {std::u16string(1, static_cast<char16_t>(u'1' + n++)), StoredValue::Type::kString, 0,
                      std::move(p), 1});
    }
  }
  void Add(PolicyHive hive, const std::u16string& key, StoredValue value) {
    StoredKey& k = keys[{hive, key}];
    k.state = StoredKey::State::kRead;
    k.values.push_back(std::move(value));
  }
};

// Relative paths resolve against `cwd`; `long_names` replaces a short
// spelling's prefix by its long one, as the file system would.
class FakePathNames : public PathNames {
 public:
  std::u16string cwd = u"C:\\Work";
  std::map<std::u16string, std::u16string> long_names;
  std::map<std::u16string, std::u16string> found;  // bare name -> file

  std::optional<std::u16string> FullName(std::u16string_view path) override {
    std::u16string full(path);
    const bool absolute = (full.size() >= 3 && full[1] == u':' && full[2] == u'\\') ||
                          full.rfind(u"\\\\", 0) == 0;
    if (!absolute) full = cwd + u"\\" + full;
    for (const auto& [short_name, long_name] : long_names) {
      if (full.rfind(short_name, 0) == 0) full = long_name + full.substr(short_name.size());
    }
    return full;
  }
  std::optional<std::u16string> Search(std::u16string_view name) override {
    const auto it = found.find(std::u16string(name));
    if (it == found.end()) return std::nullopt;
    return it->second;
  }
};

class RecordingAuditLog : public AuditLog {
 public:
  std::vector<AuditRecord> records;
  void Write(const AuditRecord& record) override { records.push_back(record); }
};

// A launch policy over the three fakes: no policy until a test sets one.
struct PolicyRig {
  MapPolicySource source;
  FakePathNames names;
  RecordingAuditLog audit;
  policy::LaunchPolicy policy{source, names, audit};
};

}  // namespace pelzorvick::test
