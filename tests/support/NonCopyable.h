#pragma once
// A base for the tests' owners of a window, a library or a bitmap: a copy
// would give back what it holds a second time.

namespace pelzorvick::test {

class NonCopyable {
 public:
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;

 protected:
  NonCopyable() = default;
  ~NonCopyable() = default;
};

}  // namespace pelzorvick::test
