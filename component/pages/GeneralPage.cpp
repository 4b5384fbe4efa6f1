// The "General" page: the mode and colours from lists (any other text may be
// typed), each colour with a swatch of what the text reads as.

#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "component/pages/PageContent.h"
#include "component/pages/PageIds.h"
#include "component/surface/WinCanvas.h"
#include "text/ColorUtil.h"

namespace pelzorvick {
namespace {

constexpr int32_t kNoColor = -1;  // ParseColor never gives it of its own

// A swatch of the colour `text` reads as; an empty frame for text that reads
// as none (empty, or unreadable: the mode's own colour then).
void DrawSwatch(HDC dc, RECT rc, const std::optional<std::u16string>& text) {
  const int32_t color = text ? ParseColor(*text, kNoColor) : kNoColor;
  FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWTEXT));
  InflateRect(&rc, -1, -1);
  if (color == kNoColor) {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const UniqueBrush brush(CreateSolidBrush(ToColorRef(color)));
  FillRect(dc, &rc, brush.get());
}

std::u16string ItemText(HWND combo, UINT item) {
  std::u16string text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, item, 0)) + 1,
                      u'\0');
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length == CB_ERR ? 0 : static_cast<std::size_t>(length));
  return text;
}

// A colour list's item: its swatch, then its name.
void DrawColorItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  RECT rc = item.rcItem;
  FillRect(item.hDC, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID != static_cast<UINT>(-1)) {
    const std::u16string text = ItemText(item.hwndItem, item.itemID);
    const int side = rc.bottom - rc.top - 4;
    DrawSwatch(item.hDC, {rc.left + 2, rc.top + 2, rc.left + 2 + side, rc.top + 2 + side}, text);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT label = rc;
    label.left += side + 6;
    DrawTextW(item.hDC, AsWide(text.c_str()), static_cast<int>(text.size()), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &rc);
}

class GeneralContent : public PageContent {
 public:
  int DialogId() const override { return PZ_GENERAL_PAGE; }
  std::u16string_view Title() const override { return u"General"; }
  PropertyGroup Group() const override { return PropertyGroup::kAppearance; }

  void Update(HWND dialog, const PageFields&) override {
    for (const Swatch& swatch : kSwatches) {
      InvalidateRect(GetDlgItem(dialog, swatch.id), nullptr, FALSE);
    }
  }

  bool DrawItem(const DRAWITEMSTRUCT& item, const PageFields& fields) override {
    if (item.CtlType == ODT_COMBOBOX) {
      DrawColorItem(item);
      return true;
    }
    for (const Swatch& swatch : kSwatches) {
      if (item.CtlType == ODT_STATIC && item.CtlID == static_cast<UINT>(swatch.id)) {
        DrawSwatch(item.hDC, item.rcItem, fields.Text(*fields.IndexOf(swatch.property->dispid)));
        return true;
      }
    }
    return false;
  }

 private:
  struct Swatch {
    int id;
    const Property* property;
  };
  static constexpr Swatch kSwatches[] = {{PZ_FORE_SWATCH, &ZorvickCtrl::PropertyNamed(u"ForeColor")},
                                         {PZ_BACK_SWATCH, &ZorvickCtrl::PropertyNamed(u"BackColor")}};
};

}  // namespace

std::unique_ptr<PageContent> MakeGeneralContent() { return std::make_unique<GeneralContent>(); }

}  // namespace pelzorvick
