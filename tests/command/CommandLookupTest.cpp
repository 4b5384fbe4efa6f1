#include <gtest/gtest.h>

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "tests/support/RecordingFileSystem.h"
#include "tests/support/ErrorCode.h"
#include "tests/support/Rows.h"

namespace pelzorvick {
namespace {

using test::ErrorCodeOf;

using Paths = std::vector<std::u16string>;
using test::RecordingFileSystem;

const test::TextRow kSchemes[] = {
    {u"C:\\Windows\\notepad.exe", u"C"}, {u"c:x", u"c"}, {u"CC:\\x", u"CC"},
    {u"shell:Startup", u"shell"}, {u"mailto:", u"mailto"}, {u"file:///C:/x.txt", u"file"},
    {u"x:y:z", u"x"}, {u"my-app:open", u""}, {u"a1:b", u""}, {u":abc", u""},
    {u"\u00e9:x", u""}, {u"notepad.exe", u""}, {u"\\\\server\\share\\x.exe", u""}, {u"", u""}};

class GetSchemeRows : public ::testing::TestWithParam<test::TextRow> {};

TEST_P(GetSchemeRows, TakesTheLettersBeforeTheFirstColon) {
  EXPECT_EQ(GetScheme(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Table, GetSchemeRows, ::testing::ValuesIn(kSchemes));

TEST(GetSchemeLimits, FirstColonBeyond32767Overflows) {
  EXPECT_EQ(GetScheme(std::u16string(32766, u'-') + u":"), u"");
  EXPECT_EQ(ErrorCodeOf([&] { GetScheme(std::u16string(32767, u'-') + u":"); }), errc::kOverflow);
  EXPECT_EQ(GetScheme(std::u16string(40000, u'a')), u"");
}

// Network paths would have Windows sign in to their host; every way of
// writing one counts, and a local drive in any spelling does not.
TEST(NetworkPaths, EverySpellingOfAHostAndNoLocalDrive) {
  for (std::u16string_view path :
       {u"\\\\host\\share\\x.exe", u"//host/share/x.exe", u"\\/host\\x.exe", u"/\\host/x.exe",
        u"\\\\?\\UNC\\host\\share\\x.exe", u"\\\\.\\UNC\\host\\x.exe",
        u"\\\\?\\GLOBALROOT\\Device\\Mup\\host\\x.exe", u"\\\\", u"file://host/share/x.exe",
        u"FILE://host/x.exe", u"file:\\\\host\\x.exe", u"file:////host/share/x.exe",
        u"file:///\\\\host\\x.exe", u"file://localhost//host/x.exe"}) {
    EXPECT_TRUE(IsNetworkPath(path)) << std::string(path.begin(), path.end());
  }
  for (std::u16string_view path :
       {u"C:\\Tools\\x.exe", u"\\\\?\\C:\\x.exe", u"\\\\.\\c:\\x.exe", u"x.exe", u"\\x.exe", u"/x.exe",
        u"file:///C:/x.exe", u"file://localhost/C:/x.exe", u"file:/C:/x.exe", u"file:C:/x.exe",
        u"https://host/x.exe", u"shell:Startup", u""}) {
    EXPECT_FALSE(IsNetworkPath(path)) << std::string(path.begin(), path.end());
  }
}

// One CommandExists question: the files that exist, the line, the answer,
// and every path the lookup is expected to test, in order.
struct LookupRow {
  const char* name;
  std::u16string pathext;
  Paths files;
  std::u16string line;
  bool found;
  Paths probes;
};

class CommandExistsRows : public ::testing::TestWithParam<LookupRow> {};

TEST_P(CommandExistsRows, AnswersAndProbesExactly) {
  const LookupRow& row = GetParam();
  RecordingFileSystem fs;
  fs.environment[u"PATHEXT"] = row.pathext;
  fs.files.insert(row.files.begin(), row.files.end());
  EXPECT_EQ(CommandExists(row.line, fs), row.found);
  EXPECT_EQ(fs.probes, row.probes);
}

const std::u16string kComExe = u".COM;.EXE";
const std::u16string kApp = u"C:\\Program Files\\App\\app.exe";

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, CommandExistsRows,
    ::testing::Values(
        LookupRow{"Empty", kComExe, {}, u"", false, {}},
        LookupRow{"BareName", kComExe, {}, u"notepad.exe readme.txt", true, {}},
        LookupRow{"RelativeMissing", kComExe, {}, u"tools\\missing.exe", true, {}},
        LookupRow{"NetworkPath", kComExe, {}, u"\\\\server\\share\\tool.exe /q", true, {}},
        LookupRow{"LongScheme", kComExe, {}, u"shell:Startup", true, {}},
        LookupRow{"HyphenScheme", kComExe, {}, u"my-app:open", true, {}},
        LookupRow{"LoneQuote", kComExe, {}, u"\"", true, {}},
        LookupRow{"TwoLetterScheme", kComExe, {}, u"CC:\\x", true, {}},
        LookupRow{"QuotedExists", kComExe, {kApp}, u"\"" + kApp + u"\" /s", true, {kApp}},
        LookupRow{"QuotedWithCom", kComExe, {kApp + u".COM"}, u"\"" + kApp + u"\" /s", true,
                  {kApp, kApp + u".COM"}},
        LookupRow{"QuotedWithExe", kComExe, {kApp + u".EXE"}, u"\"" + kApp + u"\" /s", true,
                  {kApp, kApp + u".COM", kApp + u".EXE"}},
        LookupRow{"QuotedNothing", kComExe, {}, u"\"" + kApp + u"\" /s", false,
                  {kApp, kApp + u".COM", kApp + u".EXE"}},
        LookupRow{"NoExtensionExists", kComExe, {u"C:\\Tools\\app"}, u"C:\\Tools\\app /s", true,
                  {u"C:\\Tools\\app"}},
        LookupRow{"NoExtensionExe", kComExe, {u"C:\\Tools\\app.EXE"}, u"C:\\Tools\\app /s", true,
                  {u"C:\\Tools\\app", u"C:\\Tools\\app.COM", u"C:\\Tools\\app.EXE"}},
        // Found but not executable: the file is asked about once, not twice.
        LookupRow{"DocumentFound", kComExe, {u"C:\\Tools\\readme.txt"}, u"C:\\Tools\\readme.txt",
                  true, {u"C:\\Tools\\readme.txt"}},
        LookupRow{"Folder", kComExe, {}, u"C:\\Windows", false,
                  {u"C:\\Windows", u"C:\\Windows.COM", u"C:\\Windows.EXE"}},
        LookupRow{"FolderWithExe", kComExe, {u"C:\\Windows.EXE"}, u"C:\\Windows", true,
                  {u"C:\\Windows", u"C:\\Windows.COM", u"C:\\Windows.EXE"}},
        LookupRow{"OneLetterRelative", kComExe, {}, u"c:x", false, {u"c:x", u"c:x.COM", u"c:x.EXE"}},
        LookupRow{"PathextUnsetFound", u"", {u"C:\\a.exe"}, u"C:\\a.exe", true, {u"C:\\a.exe"}},
        LookupRow{"PathextUnsetMissing", u"", {}, u"C:\\a.exe", false, {u"C:\\a.exe"}},
        // The empty entry repeats the program's own test; it is answered once.
        LookupRow{"EmptyEntryMissing", u".COM;", {}, u"C:\\a", false, {u"C:\\a", u"C:\\a.COM"}}),
    test::RowName());

// IsExecutableFile on its own, over existing and missing program files.
struct ExecutableRow {
  const char* name;
  std::u16string pathext;
  Paths files;
  std::u16string program;
  bool executable;
  std::size_t probe_count;
};

class IsExecutableFileRows : public ::testing::TestWithParam<ExecutableRow> {};

TEST_P(IsExecutableFileRows, JudgesByThePathextList) {
  const ExecutableRow& row = GetParam();
  RecordingFileSystem fs;
  if (!row.pathext.empty()) fs.environment[u"PATHEXT"] = row.pathext;
  fs.files.insert(row.files.begin(), row.files.end());
  EXPECT_EQ(IsExecutableFile(row.program, fs), row.executable);
  EXPECT_EQ(fs.probes.size(), row.probe_count);
  ASSERT_FALSE(fs.probes.empty());
  EXPECT_EQ(fs.probes.front(), row.program);
  // The file found is the one whose test said yes: the last probe.
  const std::optional<std::u16string> found = FindExecutableFile(row.program, fs);
  EXPECT_EQ(found.has_value(), row.executable);
  if (found) {
    EXPECT_EQ(*found, fs.probes.back());
  }
}

const std::u16string kComExeBat = u".COM;.EXE;.BAT";

INSTANTIATE_TEST_SUITE_P(
    Cases, IsExecutableFileRows,
    ::testing::Values(
        ExecutableRow{"Batch", kComExeBat, {u"C:\\Tools\\run.bat"}, u"C:\\Tools\\run.bat", true, 1},
        ExecutableRow{"Text", kComExeBat, {u"C:\\Tools\\readme.txt"}, u"C:\\Tools\\readme.txt", false, 1},
        ExecutableRow{"MissingTriesAll", kComExeBat, {}, u"C:\\Tools\\app", false, 4},
        ExecutableRow{"UpperFile", u".EXE", {u"C:\\WINDOWS\\NOTEPAD.exe"}, u"C:\\WINDOWS\\NOTEPAD.exe", true, 1},
        ExecutableRow{"LowerEntry", u".exe", {u"c:\\windows\\notepad.EXE"}, u"c:\\windows\\notepad.EXE", true, 1},
        ExecutableRow{"NonAsciiNotFolded", u".\u00c9XE", {u"C:\\a.\u00e9xe"}, u"C:\\a.\u00e9xe", false, 1},
        ExecutableRow{"EmptyEntryExisting", u".COM;", {u"C:\\readme.txt"}, u"C:\\readme.txt", true, 1},
        ExecutableRow{"LeadingEmptyEntry", u";.COM", {u"C:\\readme.txt"}, u"C:\\readme.txt", true, 1},
        // Without CommandExists around it, the empty entry tests the program again.
        ExecutableRow{"EmptyEntryMissing", u".COM;;.EXE", {}, u"C:\\a", false, 4},
        ExecutableRow{"EntryWithoutDot", u"EXE", {u"C:\\Tools\\fooexe"}, u"C:\\Tools\\fooexe", true, 1},
        ExecutableRow{"EntryWithoutDotAppended", u"EXE", {u"C:\\Tools\\fooEXE"}, u"C:\\Tools\\foo", true, 2},
        ExecutableRow{"BlankEntryNeedsBlank", u" .EXE", {u"C:\\a.exe"}, u"C:\\a.exe", false, 1},
        ExecutableRow{"BlankEntryMatchesBlank", u" .EXE", {u"C:\\a .exe"}, u"C:\\a .exe", true, 1},
        ExecutableRow{"EntryLongerThanProgram", u".LONGER", {u"C:"}, u"C:", false, 1},
        ExecutableRow{"ExtensionAppendedAfterExtension", u".COM;.EXE", {u"app.exe.EXE"}, u"app.exe", true, 3},
        ExecutableRow{"FirstMatchStops", u".EXE;.COM", {u"C:\\a.EXE", u"C:\\a.COM"}, u"C:\\a", true, 2},
        ExecutableRow{"UnsetMissing", u"", {}, u"C:\\a.exe", false, 1},
        ExecutableRow{"UnsetExisting", u"", {u"C:\\a.exe"}, u"C:\\a.exe", false, 1},
        ExecutableRow{"OnlySeparator", u";", {}, u"C:\\a", false, 3}),
    test::RowName());

TEST(IsExecutableFileProbes, AppendsEntriesAsWrittenInOrder) {
  RecordingFileSystem fs;
  fs.environment[u"PATHEXT"] = u".com;EXE; .Bat";
  EXPECT_FALSE(IsExecutableFile(u"notepad.exe", fs));
  EXPECT_EQ(fs.probes, (Paths{u"notepad.exe", u"notepad.exe.com", u"notepad.exeEXE", u"notepad.exe .Bat"}));
}

TEST(IsExecutableFileProbes, ReadsPathextAtEveryCall) {
  RecordingFileSystem fs;
  fs.files.insert(u"C:\\a.exe");
  fs.environment[u"PATHEXT"] = u".EXE";
  EXPECT_TRUE(IsExecutableFile(u"C:\\a.exe", fs));
  fs.environment[u"PATHEXT"] = u".COM";
  EXPECT_FALSE(IsExecutableFile(u"C:\\a.exe", fs));
}

TEST(CommandExistsLimits, ColonBeyond32767Overflows) {
  RecordingFileSystem fs;
  EXPECT_EQ(ErrorCodeOf([&] { CommandExists(std::u16string(32767, u'a') + u":x", fs); }),
            errc::kOverflow);
  EXPECT_TRUE(fs.probes.empty());
}

TEST(CommandExistsErrors, FailedExistenceTestReachesTheCaller) {
  class FailingFileSystem : public RecordingFileSystem {
    bool FileExists(std::u16string_view) override { throw ComError(errc::kFail, u"disk"); }
  } fs;
  EXPECT_THROW(CommandExists(u"C:\\a.exe", fs), ComError);
  EXPECT_TRUE(CommandExists(u"a.exe", fs));
}

}  // namespace
}  // namespace pelzorvick
