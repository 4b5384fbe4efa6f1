#include "control/ZorvickCtrl.h"

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "control/ModeText.h"

namespace pelzorvick {

namespace {
constexpr std::u16string_view kReadTag = u"Image";  // compared exactly
constexpr std::u16string_view kLoadFailed = u"Failed loading remote image: ";
constexpr std::u16string_view kCompleteFailed = u"Failed complete loading remote image: ";

std::u16string TrimSpaces(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}
}  // namespace

void ZorvickCtrl::ReportPictureFailure(std::u16string_view prefix) {
  SetControl(mode::kText);
  std::u16string message(prefix);
  message += ImageURL();
  SetText(message);
}

void ZorvickCtrl::AcquirePicture() {
  const std::u16string control = Control();
  const std::u16string address = ImageURL();

  if (mode::Is(control, mode::kImage) && !address.empty()) {
    const std::u16string target = TrimSpaces(ImageURL());
    // Refused by the administrator: fails as an address that cannot be read.
    if (!launch_policy_.AllowsPicture(target)) {
      ReportPictureFailure(kLoadFailed);
      return;
    }
    try {
      container_.AsyncRead(target, kAsyncReadPicture, kReadTag, kAsyncReadSynchronous);
    } catch (const ComError&) {
      ReportPictureFailure(kLoadFailed);
    }
    return;
  }

  if (mode::Is(control, mode::kIcon) || mode::Is(control, mode::kSmallIcon)) {
    const std::u16string program = GetProgram(FindAvailableCommand());
    // A file on another machine is asked for at no load: Windows would sign
    // in to it with the user's credentials, and hold this thread while it
    // answers. It shows no icon; a click still runs it.
    if (!program.empty()) {
      m_Picture = IsNetworkPath(program) ? nullptr : platform_.ExtractIconPicture(program, Control());
    }
  }
}

void ZorvickCtrl::PictureReadComplete(const AsyncReadResult& read) {
  std::u16string name;
  try {
    name = read.PropertyName();
  } catch (const ComError&) {
    ReportPictureFailure(kCompleteFailed);
    // The value may still be good; without a name there is no tag to test.
    name = kReadTag;
  }
  if (name != kReadTag) return;
  try {
    m_Picture = read.Value();
  } catch (const ComError&) {
    ReportPictureFailure(kCompleteFailed);
  }
}

}  // namespace pelzorvick
