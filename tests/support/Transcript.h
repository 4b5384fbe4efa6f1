#pragma once
// What a fake was asked, one readable line a call ("OnChanged(Text)"), and
// which calls the running test expects. A call whose name (the line up to
// its parenthesis) the test did not expect fails the test with its line, so
// a control that starts asking its container something new is noticed.

#include <algorithm>
#include <initializer_list>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace pelzorvick::test {

class Transcript {
 public:
  // Adds names to what may be called.
  void Expect(std::initializer_list<std::string_view> names) { Expect(std::vector(names)); }
  void Expect(const std::vector<std::string_view>& names) {
    std::lock_guard lock(mutex_);
    for (std::string_view name : names) expected_.emplace(name);
  }

  // Records the call and fails the running test if its name is unexpected.
  void Record(std::string line) {
    std::lock_guard lock(mutex_);
    if (expected_.count(NameOf(line)) == 0) ADD_FAILURE() << "unexpected call: " << line;
    lines_.push_back(std::move(line));
  }

  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // The lines so far; the transcript starts empty again.
  std::vector<std::string> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
  }
  int Count(std::string_view name) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(lines_.begin(), lines_.end(),
                                          [&](const std::string& l) { return NameOf(l) == name; }));
  }

 private:
  static std::string_view NameOf(std::string_view line) { return line.substr(0, line.find('(')); }

  mutable std::mutex mutex_;  // a call may come from a download's thread
  std::set<std::string, std::less<>> expected_;
  std::vector<std::string> lines_;
};

}  // namespace pelzorvick::test
