// The platform file system and the lookup over real files in a fresh
// temporary folder, with "PATHEXT" set in the process environment.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

#include "command/CommandUtil.h"
#include "common/Utf8.h"
#include "tests/support/Rows.h"

namespace pelzorvick {
namespace {

namespace stdfs = std::filesystem;

#ifdef _WIN32
constexpr char16_t kSeparator = u'\\';
void SetVariable(const std::u16string& name, const std::optional<std::u16string>& value) {
  const auto* wide_name = reinterpret_cast<const wchar_t*>(name.c_str());
  ASSERT_TRUE(SetEnvironmentVariableW(
      wide_name, value ? reinterpret_cast<const wchar_t*>(value->c_str()) : nullptr) ||
      !value);
}
#else
constexpr char16_t kSeparator = u'/';
void SetVariable(const std::u16string& name, const std::optional<std::u16string>& value) {
  const std::string bytes = *ToUtf8(name);
  if (value) {
    ASSERT_EQ(setenv(bytes.c_str(), ToUtf8(*value)->c_str(), 1), 0);
  } else {
    ASSERT_EQ(unsetenv(bytes.c_str()), 0);
  }
}
#endif

std::optional<std::u16string> ReadVariable(const std::u16string& name) {
#ifdef _WIN32
  const auto* wide_name = reinterpret_cast<const wchar_t*>(name.c_str());
  SetLastError(ERROR_SUCCESS);
  const DWORD size = GetEnvironmentVariableW(wide_name, nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::u16string();
  }
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(wide_name, value.data(), size));
  return std::u16string(reinterpret_cast<const char16_t*>(value.c_str()), value.size());
#else
  const char* value = std::getenv(ToUtf8(name)->c_str());
  if (!value) return std::nullopt;
  return FromUtf8(value);
#endif
}

// Unset, empty, or a value: what "PATHEXT" holds for one row.
using Pathext = std::optional<std::u16string>;

class RealFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_pathext_ = ReadVariable(u"PATHEXT");
    saved_cwd_ = stdfs::current_path();
    std::random_device random;
    const stdfs::path root = stdfs::temp_directory_path() /
                             ("pz-command-" + std::to_string(random()) + "-" + std::to_string(random()));
    ASSERT_TRUE(stdfs::create_directory(root));
    root_ = root.u16string();
    while (!root_.empty() && (root_.back() == u'/' || root_.back() == u'\\')) root_.pop_back();
    // Relative paths resolve here.
    stdfs::current_path(root);
  }

  void TearDown() override {
    stdfs::current_path(saved_cwd_);
    SetVariable(u"PATHEXT", saved_pathext_);
    std::error_code ignored;
    stdfs::remove_all(stdfs::path(root_), ignored);
  }

  std::u16string Path(std::u16string_view name) const {
    return root_ + kSeparator + std::u16string(name);
  }
  // A name relative to the folder, or a full path.
  void MakeFile(std::u16string_view name) const {
    std::ofstream out{stdfs::path(name)};
    out << "x";
    ASSERT_TRUE(out.good());
  }
  void MakeFolder(std::u16string_view name) const {
    ASSERT_TRUE(stdfs::create_directory(stdfs::path(name)));
  }

  std::u16string root_;

 private:
  std::optional<std::u16string> saved_pathext_;
  stdfs::path saved_cwd_;
};

TEST_F(RealFolder, FileExistsCountsRegularFilesOnly) {
  MakeFile(u"app.exe");
  MakeFolder(u"folder");
  MakeFile(u"\u00e9\U0001D11E.exe");
  FileSystem& fs = SystemFileSystem();
  EXPECT_TRUE(fs.FileExists(Path(u"app.exe")));
  EXPECT_TRUE(fs.FileExists(u"app.exe"));  // relative to the current folder
  EXPECT_TRUE(fs.FileExists(Path(u"\u00e9\U0001D11E.exe")));
  EXPECT_FALSE(fs.FileExists(Path(u"folder")));
  EXPECT_FALSE(fs.FileExists(Path(u"missing.exe")));
  EXPECT_FALSE(fs.FileExists(Path(u"app.exe") + kSeparator + u"x"));
  EXPECT_FALSE(fs.FileExists(u""));
  // A NUL must not cut the name down to an existing file's.
  EXPECT_FALSE(fs.FileExists(Path(u"app.exe") + std::u16string(1, u'\0') + u"x"));
  const char16_t lone_surrogate[] = {0xD834, u'.', u'e', u'x', u'e', 0};
  EXPECT_FALSE(fs.FileExists(Path(lone_surrogate)));
}

TEST_F(RealFolder, FileExistsDoesNotSearchTheProgramPath) {
  SetVariable(u"PATHEXT", u".EXE");
#ifdef _WIN32
  EXPECT_FALSE(SystemFileSystem().FileExists(u"cmd.exe"));
#else
  EXPECT_FALSE(SystemFileSystem().FileExists(u"sh"));
#endif
}

TEST_F(RealFolder, GetEnvironmentReadsTheProcessEnvironment) {
  FileSystem& fs = SystemFileSystem();
  SetVariable(u"PATHEXT", std::nullopt);
  EXPECT_EQ(fs.GetEnvironment(u"PATHEXT"), u"");
  SetVariable(u"PATHEXT", u"");
  EXPECT_EQ(fs.GetEnvironment(u"PATHEXT"), u"");
  SetVariable(u"PATHEXT", u".\u00e9\U0001D11E;.EXE");
  EXPECT_EQ(fs.GetEnvironment(u"PATHEXT"), u".\u00e9\U0001D11E;.EXE");
  // Longer than any first buffer: the size has to be asked for.
  std::u16string long_value;
  for (int i = 0; i < 3000; ++i) long_value += u".X" + std::u16string(1, u'A' + i % 26) + u";";
  SetVariable(u"PATHEXT", long_value);
  EXPECT_EQ(fs.GetEnvironment(u"PATHEXT"), long_value);
}

struct RealExecutableRow {
  const char* name;
  Pathext pathext;
  std::u16string program;
  bool executable;
};

class RealExecutable : public RealFolder, public ::testing::WithParamInterface<RealExecutableRow> {
 protected:
  void SetUp() override {
    RealFolder::SetUp();
    for (const char16_t* file : {u"run.bat", u"readme.txt", u"fooexe", u"app.EXE", u"folder2.COM",
                                 u"x .BAT", u"Mixed.ExE"}) {
      MakeFile(file);
    }
    MakeFolder(u"folder");
    MakeFolder(u"folder2");
  }
};

TEST_P(RealExecutable, JudgesRealFiles) {
  const RealExecutableRow& row = GetParam();
  SetVariable(u"PATHEXT", row.pathext);
  EXPECT_EQ(IsExecutableFile(Path(row.program)), row.executable) << "absolute";
  EXPECT_EQ(IsExecutableFile(row.program), row.executable) << "relative";
}

const std::u16string kList = u".COM;.EXE;.BAT";

INSTANTIATE_TEST_SUITE_P(
    Pathext, RealExecutable,
    ::testing::Values(RealExecutableRow{"UnsetBatch", std::nullopt, u"run.bat", false},
                      RealExecutableRow{"UnsetMissing", std::nullopt, u"app", false},
                      RealExecutableRow{"EmptyBatch", u"", u"run.bat", false},
                      RealExecutableRow{"Batch", kList, u"run.bat", true},
                      RealExecutableRow{"Text", kList, u"readme.txt", false},
                      RealExecutableRow{"AppendsExe", kList, u"app", true},
                      RealExecutableRow{"Missing", kList, u"missing", false},
                      RealExecutableRow{"Folder", kList, u"folder", false},
                      RealExecutableRow{"FolderBesideFile", kList, u"folder2", true},
                      RealExecutableRow{"MixedCaseName", kList, u"Mixed.ExE", true},
                      RealExecutableRow{"LowerCaseList", u".com;.exe", u"Mixed.ExE", true},
                      RealExecutableRow{"TrailingEmptyEntry", u".COM;", u"readme.txt", true},
                      RealExecutableRow{"MiddleEmptyEntry", u".BAT;;.EXE", u"readme.txt", true},
                      RealExecutableRow{"EmptyEntryMissing", u".COM;", u"missing", false},
                      RealExecutableRow{"EmptyEntryFolder", u".COM;", u"folder", false},
                      RealExecutableRow{"EntryWithoutDot", u"EXE", u"fooexe", true},
                      RealExecutableRow{"BlankEntry", u" .BAT", u"run.bat", false},
                      RealExecutableRow{"BlankEntryBlankName", u" .BAT", u"x .BAT", true}),
    test::RowName());

// Drive paths: under Windows the temporary folder is itself on a drive; the
// native build has no drives, so there the name "c:" plus the file's name is
// made in the current folder and is looked up as the relative path it is.
class RealDrivePaths : public RealFolder {
 protected:
  std::u16string DrivePath(std::u16string_view name) const {
#ifdef _WIN32
    return Path(name);
#else
    return u"c:" + std::u16string(name);
#endif
  }
  void MakeDriveFile(std::u16string_view name) const { MakeFile(DrivePath(name)); }
  void MakeDriveFolder(std::u16string_view name) const { MakeFolder(DrivePath(name)); }
};

TEST_F(RealDrivePaths, CommandExistsLooksOnDisk) {
#ifdef _WIN32
  ASSERT_GE(root_.size(), 3u);
  ASSERT_EQ(root_[1], u':') << "the temporary folder is not on a drive";
#endif
  MakeDriveFile(u"app.EXE");
  MakeDriveFile(u"readme.txt");
  MakeDriveFile(u"with space.COM");
  MakeDriveFolder(u"folder");
  MakeDriveFolder(u"folder2");
  MakeDriveFile(u"folder2.EXE");

  SetVariable(u"PATHEXT", u".COM;.EXE");
  EXPECT_TRUE(CommandExists(DrivePath(u"app") + u" /s"));
  EXPECT_TRUE(CommandExists(DrivePath(u"app.EXE") + u" /s"));
  EXPECT_TRUE(CommandExists(u"\"" + DrivePath(u"with space") + u"\" /s"));
  EXPECT_TRUE(CommandExists(DrivePath(u"readme.txt")));
  EXPECT_FALSE(CommandExists(DrivePath(u"folder")));
  EXPECT_TRUE(CommandExists(DrivePath(u"folder2")));
  EXPECT_FALSE(CommandExists(DrivePath(u"missing") + u" /s"));
  EXPECT_FALSE(CommandExists(u""));
  // Not a drive path: found without looking.
  EXPECT_TRUE(CommandExists(u"tools\\missing.exe"));
  EXPECT_TRUE(CommandExists(u"CC:\\missing.exe"));

  SetVariable(u"PATHEXT", std::nullopt);
  EXPECT_FALSE(CommandExists(DrivePath(u"app")));
  EXPECT_TRUE(CommandExists(DrivePath(u"app.EXE")));
  EXPECT_FALSE(IsExecutableFile(DrivePath(u"app.EXE")));
  EXPECT_TRUE(CommandExists(DrivePath(u"readme.txt")));
  SetVariable(u"PATHEXT", u"");
  EXPECT_FALSE(CommandExists(DrivePath(u"app")));
}

}  // namespace
}  // namespace pelzorvick
