#include "policy/LaunchPolicy.h"

#include "command/CommandUtil.h"
#include "policy/Address.h"
#include "policy/PathSpelling.h"
#include "policy/PolicyTable.h"
#include "text/StringUtil.h"

namespace pelzorvick::policy {

namespace {

Target Unknown(std::u16string_view text) { return {Target::Kind::kUnknown, std::u16string(text), false}; }

bool IsDrivePath(std::u16string_view p) {
  return p.size() >= 2 && p[1] == u':' && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
}

}  // namespace

std::u16string_view WithoutLeadingBlanks(std::u16string_view line) {
  while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) line.remove_prefix(1);
  return line;
}

PolicySettings LaunchPolicy::Read(std::u16string_view command_line) {
  PolicySettings settings = ReadPolicySettings(source_);
  for (const std::u16string& line : settings.malformed) {
    log_.Write({AuditEvent::kMalformedValue, std::u16string(command_line), {}, line});
  }
  return settings;
}

Target LaunchPolicy::PathTarget(std::u16string_view path) {
  const CleanPath clean = CleanPathSpelling(path);
  const std::optional<std::u16string> full = names_.FullName(clean.path);
  // Resolving may bring back what the cleaning took away (a short name's
  // long form ending in a dot cannot, but a relative path's base can).
  return {Target::Kind::kPath, CleanPathSpelling(full ? *full : clean.path).path, !clean.stream.empty()};
}

Target LaunchPolicy::FileTarget(std::u16string_view file) { return PathTarget(file); }

Target LaunchPolicy::AddressTarget(std::u16string_view address) {
  const std::u16string_view scheme = SchemeOf(address);
  if (EqualsIgnoringAsciiCase(scheme, u"file")) {
    const std::optional<std::u16string> path = PathOfFileAddress(address);
    return path ? PathTarget(*path) : Unknown(address);
  }
  if (!scheme.empty()) {
    const std::optional<std::u16string> canonical = CanonicalAddress(address);
    return canonical ? Target{Target::Kind::kAddress, *canonical, false} : Unknown(address);
  }
  if (IsDrivePath(address) || address.find_first_of(u"\\/") != std::u16string_view::npos) {
    return PathTarget(address);
  }
  return Unknown(address);
}

Target LaunchPolicy::CommandTarget(std::u16string_view command_line) {
  const std::u16string_view line = WithoutLeadingBlanks(command_line);
  // A switch of the start command ("/b", "/d dir") hides what it starts.
  if (line.empty() || line.front() == u'/') return Unknown(line.substr(0, line.find(u' ')));
  const std::u16string program = GetProgram(line);
  if (program.empty()) return Unknown(line);
  if (!SchemeOf(program).empty() || IsDrivePath(program) ||
      program.find_first_of(u"\\/") != std::u16string::npos) {
    return AddressTarget(program);
  }
  const std::optional<std::u16string> found = names_.Search(program);
  return found ? PathTarget(*found) : Unknown(program);
}

std::u16string_view LaunchPolicy::Refusal(const PolicySettings& settings, const Target& target) {
  static const std::u16string names[] = {NameOf(kDisableLaunch), NameOf(kDeniedPrograms),
                                         NameOf(kAllowedPrograms)};
  if (settings.disable_launch) return names[0];
  if (settings.denied.Matches(target)) return names[1];
  // A stream of an allowed file is another program than the file.
  if (settings.allowed.in_force && (target.names_stream || !settings.allowed.Matches(target))) {
    return names[2];
  }
  return {};
}

bool LaunchPolicy::AllowsPicture(std::u16string_view address) {
  const PolicySettings settings = Read(address);
  if (!settings.image_hosts.in_force) return true;
  const Target target = AddressTarget(address);
  if (!target.names_stream && settings.image_hosts.Matches(target)) return true;
  Record(AuditEvent::kImageRefused, address, target, NameOf(kAllowedImageHosts));
  return false;
}

void LaunchPolicy::Record(AuditEvent event, std::u16string_view command_line, const Target& target,
                          std::u16string_view detail) {
  log_.Write({event, std::u16string(command_line), target.text, std::u16string(detail)});
}

}  // namespace pelzorvick::policy
