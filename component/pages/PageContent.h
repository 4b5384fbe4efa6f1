#pragma once
// What sets one property page apart from the other: its dialog and title,
// its group of properties, and how it dresses its fields (swatches,
// previews, a file picker). The page (PropertyPage) does the rest.

#include <windows.h>

#include <memory>
#include <string_view>

#include "component/pages/PageFields.h"

namespace pelzorvick {

class PageContent {
 public:
  virtual ~PageContent() = default;
  virtual int DialogId() const = 0;
  virtual std::u16string_view Title() const = 0;
  virtual PropertyGroup Group() const = 0;

  // The dialog has been made, its lists filled.
  virtual void Prepare(HWND /*dialog*/) {}
  // The fields have been shown or edited.
  virtual void Update(HWND /*dialog*/, const PageFields& /*fields*/) {}
  // WM_COMMAND of a control that is no field; true when taken.
  virtual bool Command(HWND /*dialog*/, int /*id*/, int /*code*/) { return false; }
  // WM_DRAWITEM of an owner-drawn control; true when drawn.
  virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/, const PageFields& /*fields*/) { return false; }
};

std::unique_ptr<PageContent> MakeGeneralContent();
std::unique_ptr<PageContent> MakeCommandsContent();

}  // namespace pelzorvick
