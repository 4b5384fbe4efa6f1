#include <gtest/gtest.h>

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "tests/support/ErrorCode.h"
#include "tests/support/Rows.h"

namespace pelzorvick {
namespace {

using test::ErrorCodeOf;

class GetProgramRows : public ::testing::TestWithParam<test::TextRow> {};

TEST_P(GetProgramRows, PicksTheProgramText) {
  EXPECT_EQ(GetProgram(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, GetProgramRows,
    ::testing::ValuesIn(std::vector<test::TextRow>{
        {u"", u""},
        {u"notepad.exe", u"notepad.exe"},
        {u"notepad.exe readme.txt", u"notepad.exe"},
        {u"notepad.exe ", u"notepad.exe"},
        {u" notepad.exe x", u" notepad.exe x"},
        {u"notepad.exe\treadme.txt", u"notepad.exe\treadme.txt"},
        {u"C:\\Tools\\app.exe /s", u"C:\\Tools\\app.exe"},
        {u"a\"b c", u"a\"b"},
        {u"\"C:\\Program Files\\App\\app.exe\" /s", u"C:\\Program Files\\App\\app.exe"},
        {u"'C:\\Program Files\\App\\app.exe' /s", u"C:\\Program Files\\App\\app.exe"},
        {u"\"x\"", u"x"},
        {u"\"abc\"def ghi", u"abc"},
        {u"'abc\" def'", u"abc\" def"},
        {u"\"C:\\Tools\\app.exe /s", u"C:\\Tools\\app.exe"},
        {u"\"abc' def", u"abc'"},
        {u"\"\" x", u"\""},
        {u"\"C:\\Tools\\app.exe", u"C:\\Tools\\app.exe"},
        {u"\" abc", u" abc"},
        {u"\"\"abc", u"\"abc"},
        {u"\"\"", u"\""},
        {u"\"", u""},
        {u"'", u""}}));

// What follows the program text, as a batch file found by the lookup is
// handed its arguments.
TEST(ArgumentsAfterProgram, StartWhereTheProgramTextEnds) {
  const struct {
    std::u16string line;
    std::u16string arguments;
  } rows[] = {
      {u"", u""},
      {u"run.bat", u""},
      {u"run.bat /x y", u" /x y"},
      {u"\"C:\\a b\\run.bat\" /x", u" /x"},
      {u"'C:\\a b\\run.bat'&x", u"&x"},
      {u"\"abc\"def ghi", u"def ghi"},
      {u"\"C:\\Tools\\run.bat /s", u" /s"},
      {u"\"C:\\Tools\\run.bat", u""},
      {u"\"\" x", u" x"},
      {u"\"", u""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ArgumentsAfterProgram(row.line), row.arguments);
  }
}

std::u16string Repeat(char16_t c, std::size_t n) { return std::u16string(n, c); }

void ExpectOverflow(const std::u16string& line) {
  EXPECT_EQ(ErrorCodeOf([&] { GetProgram(line); }), errc::kOverflow)
      << line.size() << " characters";
}

TEST(GetProgramLimits, DecidingCharacterAtPosition32767IsStillRead) {
  // Space at position 32,767.
  EXPECT_EQ(GetProgram(Repeat(u'a', 32766) + u" x"), Repeat(u'a', 32766));
  // Closing quote at position 32,767.
  EXPECT_EQ(GetProgram(u"\"" + Repeat(u'a', 32765) + u"\""), Repeat(u'a', 32765));
}

TEST(GetProgramLimits, DecidingCharacterBeyond32767Overflows) {
  ExpectOverflow(Repeat(u'a', 32767) + u" x");                    // step 3
  ExpectOverflow(u"\"" + Repeat(u'a', 32766) + u"\" x");          // step 2a
  ExpectOverflow(u"\"" + Repeat(u'a', 32766) + u" x");            // step 2b
  // The closing quote is near but empty, so the far space decides.
  ExpectOverflow(u"\"\"" + Repeat(u'a', 32766) + u" x");
}

TEST(GetProgramLimits, LongLineWithoutDecidingCharacterIsFine) {
  const std::u16string plain = Repeat(u'a', 40000);
  EXPECT_EQ(GetProgram(plain), plain);
  EXPECT_EQ(GetProgram(u"\"" + plain), plain);
  // The quote closes early; the space far behind it is never looked for.
  EXPECT_EQ(GetProgram(u"\"ab\"" + plain + u" x"), u"ab");
}

// What the command interpreter needs to hand the start command exactly the
// line: a caret before each character it would act on, outside quotes only.
TEST(EscapeForInterpreter, MarksWhatTheInterpreterWouldActOnOutsideQuotes) {
  const test::TextRow rows[] = {
      {u"C:\\Docs\\a.txt", u"C:\\Docs\\a.txt"},
      {u"https://h/?a=1&b=2", u"https://h/?a=1^&b=2"},
      {u"x & echo ran>f", u"x ^& echo ran^>f"},
      {u"a|b<c>d^e(f)", u"a^|b^<c^>d^^e^(f^)"},
      {u"%PATH% 100%", u"^%PATH^% 100^%"},
      {u"\"a & b %X%\" & c", u"\"a & b %X%\" ^& c"},
      {u"\"open & x", u"\"open & x"},
  };
  for (const auto& row : rows) EXPECT_EQ(EscapeForInterpreter(row.in), row.out);
}

}  // namespace
}  // namespace pelzorvick
