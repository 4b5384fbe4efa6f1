// The "Commands" page: the ten command lines, each with what a click would
// do with it, updated as it is typed, the line a click would run marked; a
// file picker beside each.

#include <windows.h>
#include <commdlg.h>

#include <array>

#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "component/pages/PageContent.h"
#include "component/pages/PageIds.h"
#include "control/CommandPreview.h"

namespace pelzorvick {
namespace {

constexpr std::u16string_view kMark = u"\u25BA ";
constexpr std::size_t kLines = 10;

class CommandsContent : public PageContent {
 public:
  int DialogId() const override { return PZ_COMMANDS_PAGE; }
  std::u16string_view Title() const override { return u"Commands"; }
  PropertyGroup Group() const override { return PropertyGroup::kCommands; }

  void Prepare(HWND dialog) override {
    LOGFONTW face{};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    face.lfWeight = FW_BOLD;
    bold_.reset(CreateFontIndirectW(&face));
  }

  void Update(HWND dialog, const PageFields& fields) override {
    std::array<std::optional<std::u16string>, kLines> lines;
    for (std::size_t i = 0; i < kLines; ++i) lines[i] = fields.Text(i);
    const std::vector<CommandPreview> previews = PreviewCommands(lines, SystemFileSystem());
    const auto normal = SendMessageW(dialog, WM_GETFONT, 0, 0);
    for (std::size_t i = 0; i < kLines; ++i) {
      HWND preview = GetDlgItem(dialog, PZ_FIRST_PREVIEW + static_cast<int>(i));
      const bool marked = previews[i].runs_on_click;
      const std::u16string text = marked ? std::u16string(kMark) + previews[i].text : previews[i].text;
      SendMessageW(preview, WM_SETFONT, marked && bold_ ? reinterpret_cast<WPARAM>(bold_.get()) : normal,
                   FALSE);
      SetWindowTextW(preview, AsWide(text.c_str()));
    }
  }

  bool Command(HWND dialog, int id, int code) override {
    const int line = id - PZ_FIRST_BROWSE;
    if (code != BN_CLICKED || line < 0 || line >= static_cast<int>(kLines)) return false;
    Browse(dialog, line);
    return true;
  }

 private:
  // The chosen file becomes the line; the field's own notification then
  // makes it an edit like any typed one.
  static void Browse(HWND dialog, int line) {
    std::u16string file(32768, u'\0');
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = GetAncestor(dialog, GA_ROOT);
    open.lpstrFilter = L"Programs\0*.exe;*.com;*.bat;*.cmd\0All files\0*.*\0";
    open.lpstrFile = AsWide(file.data());
    open.nMaxFile = static_cast<DWORD>(file.size());
    open.lpstrTitle = L"Choose the program";
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open)) return;
    file.resize(std::char_traits<char16_t>::length(file.c_str()));
    SetDlgItemTextW(dialog, PZ_FIRST_FIELD + line, AsWide(CommandLineForFile(file).c_str()));
  }

  UniqueFont bold_;
};

}  // namespace

std::unique_ptr<PageContent> MakeCommandsContent() { return std::make_unique<CommandsContent>(); }

}  // namespace pelzorvick
