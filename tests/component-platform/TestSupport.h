#pragma once
// Shared by the platform tests: COM for the test thread, a scratch folder,
// small file helpers.

#include <windows.h>

#include <chrono>
#include <string>

#include "tests/support/FileBytes.h"

namespace pelzorvick::test {

// A fresh folder under the temporary folder, removed with its files at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name);
  ~ScratchFolder();
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Polls until the file exists and is not empty.
bool WaitForFile(const std::wstring& path, std::chrono::milliseconds limit = std::chrono::seconds(15));

// A 24-bit bottom-up BMP of width x height pixels, all one colour.
std::string MakeBmp(int width, int height);

std::wstring ModulePath();

inline std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace pelzorvick::test
