// The README's tables for administrators are the code's: one row per policy
// value and per audit event, word for word, and no other row.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "policy/AuditEvents.h"
#include "policy/PolicyTable.h"

namespace pelzorvick::policy {
namespace {

// The table rows ("| ..." but not the header's rule) of the README section
// whose heading starts with `heading`, up to the next heading of that level.
std::vector<std::string> RowsOfSection(const std::string& heading) {
  std::ifstream in(PZ_README);
  std::vector<std::string> rows;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) inside = line.rfind(heading, 0) == 0;
    if (inside && line.rfind("| ", 0) == 0) rows.push_back(line);
  }
  return rows;
}

const char* Level(AuditSeverity s) {
  return s == AuditSeverity::kInformation ? "Information" : s == AuditSeverity::kWarning ? "Warning" : "Error";
}

TEST(AdministratorsReadme, TablesAreThoseOfTheCode) {
  std::vector<std::string> want = {"| Value | Type | When set | When not set |"};
  for (const PolicyDefinition& p : kPolicies) {
    want.push_back(std::string("| `") + p.name + "` | " + TypeText(p.type) + " | " + p.effect + " | " +
                   p.unset + " |");
  }
  want.push_back("| Event id | Level | Written when |");
  for (const AuditEventDefinition& e : kAuditEvents) {
    want.push_back("| " + std::to_string(static_cast<unsigned>(e.id)) + " | " + Level(e.severity) + " | " +
                   e.when + " |");
  }
  EXPECT_EQ(RowsOfSection("## For administrators"), want);
}

}  // namespace
}  // namespace pelzorvick::policy
