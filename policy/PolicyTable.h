#pragma once
// Every value an administrator may set, once: the reader walks it, and the
// README's table and the administrative template are written from it, so
// that the three never disagree. Plain C++17 and ASCII, for the build tool.

#include <cstddef>
#include <string>

namespace pelzorvick::policy {

// Below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER alike; the machine's wins.
inline constexpr char kPolicyKey[] = "Software\\Policies\\PelZorvick";

enum class PolicyType {
  kSwitch,    // a REG_DWORD value of the policy key: 0 off, anything else on
  kPatterns,  // a subkey; the REG_SZ data of each of its values is a pattern
};

struct PolicyDefinition {
  const char* name;  // the value's or subkey's name, and the template's policy
  PolicyType type;
  const char* title;   // the template's display name
  const char* effect;  // what it does when set: the README's and the template's text
  const char* unset;   // what holds while it is not set
};

// How the README and the template name a value's registry type.
constexpr const char* TypeText(PolicyType type) {
  return type == PolicyType::kSwitch ? "REG_DWORD, 1 = on" : "subkey; each value's REG_SZ data is one pattern";
}

enum PolicyIndex : std::size_t {
  kDisableLaunch,
  kAllowedPrograms,
  kDeniedPrograms,
  kNoCommandInterpreter,
  kAllowedImageHosts,
  kAuditLaunches,
  kPolicyCount,
};

inline constexpr PolicyDefinition kPolicies[kPolicyCount] = {
    {"DisableLaunch", PolicyType::kSwitch, "Start no commands",
     "a click or `Execute` starts nothing; the user is told the command was blocked",
     "commands start"},
    {"AllowedPrograms", PolicyType::kPatterns, "Allow only these programs",
     "when it holds at least one value, only a command whose target matches one of its "
     "patterns starts; a key whose every value is malformed allows nothing",
     "every target may start"},
    {"DeniedPrograms", PolicyType::kPatterns, "Never start these programs",
     "a command whose target matches one of its patterns never starts; deny wins over allow",
     "nothing is denied"},
    {"NoCommandInterpreter", PolicyType::kSwitch, "Open without the command interpreter",
     "documents, folders, addresses, bare names and scripts open through the shell's own "
     "\"open\" instead of `cmd /c Start`; the control never starts the command interpreter",
     "they go to `cmd /c Start`"},
    {"AllowedImageHosts", PolicyType::kPatterns, "Fetch pictures only from these addresses",
     "when it holds at least one value, \"Image\" mode fetches only an `ImageURL` that matches "
     "one of its patterns; any other fails as \"Failed loading remote image: \" and the address",
     "any address the control can fetch"},
    {"AuditLaunches", PolicyType::kSwitch, "Record every start",
     "every start, and every start that fails, is written to the event log (refusals always are)",
     "only refusals and malformed values are written"},
};

// ASCII text of the table in the core's strings.
inline std::u16string Wide(const char* ascii) {
  return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii));
}

// A value's name as the registry and the audit trail spell it.
inline std::u16string NameOf(PolicyIndex index) { return Wide(kPolicies[index].name); }

}  // namespace pelzorvick::policy
