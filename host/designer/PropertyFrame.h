#pragma once
// The host as a form designer: the control's property pages in the system's
// own frame (OleCreatePropertyFrame, a real client of the pages), and the
// --frame steps, run on a thread of their own while the modal frame holds
// the host's. With the log on it prints "frame: ..." for the frame and
// each step.

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

#include "host/CommandLine.h"

namespace pelzorvick {

// Returns once the frame has closed; false (with the error printed) when
// the control offers no pages, the frame fails or a step cannot be taken.
bool ShowPropertyFrame(HWND owner, IUnknown* control, const std::u16string& name,
                       const std::vector<FrameStep>& steps);

}  // namespace pelzorvick
