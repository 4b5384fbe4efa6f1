#include "icons/ExtractIconUtil.h"

#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "icons/OlePicture.h"
#include "tests/component-platform/TestSupport.h"

namespace pelzorvick {
namespace {

using test::U16;

std::u16string SystemProgram(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return U16(std::wstring(dir) + L"\\" + name);
}

HICON IconHandleOf(const PicturePtr& picture) {
  IPicture* ole = OlePictureOf(picture.get());
  OLE_HANDLE handle = 0;
  if (!ole || FAILED(ole->get_Handle(&handle))) return nullptr;
  return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return true;
}

TEST(ExtractIconTest, ModeChoosesTheSizeByTheWholeTextInAnyCase) {
  struct Case {
    std::u16string_view mode;
    bool small;
  };
  const Case cases[] = {
      {u"SmallIcon", true}, {u"smallicon", true}, {u"SMALLICON", true}, {u"sMaLlIcOn", true},
      {u"Icon", false},     {u"", false},         {u"Image", false},    {u"SmallIcon ", false},
      {u" SmallIcon", false}, {u"SmallIco", false}, {u"SmallIcons", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSmallIconMode(c.mode), c.small) << std::string(c.mode.begin(), c.mode.end());
    EXPECT_EQ(IconFlagsForMode(c.mode), c.small ? 0x701u : 0x700u);
  }
}

TEST(ExtractIconTest, ProgramIconsComeInTheTwoSizes) {
  const auto notepad = SystemProgram(L"notepad.exe");
  auto large = ExtractIconPicture(notepad, u"Icon");
  ASSERT_TRUE(large);
  EXPECT_EQ(large->Width(), 847);  // 32 pixels at 96 DPI
  EXPECT_EQ(large->Height(), 847);
  short type = 0;
  ASSERT_TRUE(SUCCEEDED(OlePictureOf(large.get())->get_Type(&type)));
  EXPECT_EQ(type, PICTYPE_ICON);

  auto small = ExtractIconPicture(notepad, u"sMALLiCON");
  ASSERT_TRUE(small);
  EXPECT_EQ(small->Width(), 423);  // 16 pixels
  EXPECT_EQ(small->Height(), 423);

  auto spaced = ExtractIconPicture(notepad, u"SmallIcon ");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->Width(), 847);
}

TEST(ExtractIconTest, MissingPathsGiveNone) {
  EXPECT_FALSE(ExtractIconPicture(u"C:\\no\\such\\program.exe", u"Icon"));
  EXPECT_FALSE(ExtractIconPicture(u"C:\\no\\such\\program.exe", u"SmallIcon"));
  // Longer than MAX_PATH: the fallback's buffer must hold it all.
  std::u16string long_path = u"C:\\" + std::u16string(600, u'a') + u".exe";
  EXPECT_FALSE(ExtractIconPicture(long_path, u"Icon"));
}

TEST(ExtractIconTest, UnicodePathsAreFound) {
  test::ScratchFolder folder(L"icons-\u65E5\u672C-\u00E9");
  const std::wstring copy = folder.File(L"\u30E1\u30E2\u5E33.exe");
  ASSERT_TRUE(CopyFileW(reinterpret_cast<const wchar_t*>(SystemProgram(L"notepad.exe").c_str()), copy.c_str(), FALSE));
  auto picture = ExtractIconPicture(U16(copy), u"Icon");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), 847);
}

TEST(ExtractIconTest, TheLastReleaseDestroysTheIcon) {
  auto picture = ExtractIconPicture(SystemProgram(L"notepad.exe"), u"Icon");
  ASSERT_TRUE(picture);
  HICON icon = IconHandleOf(picture);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(IconAlive(icon));
  PicturePtr second = picture;
  picture.reset();
  EXPECT_TRUE(IconAlive(icon));
  second.reset();
  EXPECT_FALSE(IconAlive(icon));
}

TEST(ExtractIconTest, IconToPictureOwnsWhatItIsGiven) {
  EXPECT_FALSE(IconToPicture(nullptr));

  BYTE and_mask[32 * 4];
  BYTE xor_mask[32 * 4];
  memset(and_mask, 0xFF, sizeof and_mask);
  memset(xor_mask, 0x00, sizeof xor_mask);
  HICON icon = CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, and_mask, xor_mask);
  ASSERT_NE(icon, nullptr);
  auto picture = IconToPicture(icon);
  ASSERT_TRUE(picture);
  EXPECT_EQ(IconHandleOf(picture), icon);
  EXPECT_EQ(picture->Width(), 847);
  picture.reset();
  EXPECT_FALSE(IconAlive(icon));
}

TEST(ExtractIconTest, PicturesAreOfferedAsPictureDisp) {
  auto picture = ExtractIconPicture(SystemProgram(L"notepad.exe"), u"Icon");
  ASSERT_TRUE(picture);
  auto* ole = dynamic_cast<OlePicture*>(picture.get());
  ASSERT_NE(ole, nullptr);
  ComPtr<IPictureDisp> disp;
  ASSERT_EQ(S_OK, ole->GetPicture()->QueryInterface(IID_PPV_ARGS(&disp)));
  // Another PicturePtr over the same object, reached through IPictureDisp.
  auto again = MakeOlePicture(disp.Get());
  ASSERT_TRUE(again);
  EXPECT_EQ(OlePictureOf(again.get()), ole->GetPicture());
  EXPECT_FALSE(MakeOlePicture(nullptr));
}

}  // namespace
}  // namespace pelzorvick
