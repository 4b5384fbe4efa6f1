#pragma once
// The control's COM object: one per instance, created by the class factory.

#include <windows.h>
#include <unknwn.h>

namespace pelzorvick {

// A new control instance answering for `riid`; the object lives as long as
// the references handed out.
HRESULT CreateZorvickObject(REFIID riid, void** ppv);

}  // namespace pelzorvick
