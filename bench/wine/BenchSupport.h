#pragma once
// What the Wine benchmark's measurements share: timing and medians, the
// table every row goes into, one placed and painted control, and the
// process's GDI and USER handle counts.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "component/com/ComPtr.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/ControlLife.h"

namespace pelzorvick::test {

double Timed(const std::function<void()>& f);
double Median(std::vector<double> v);
double MedianOf(int runs, const std::function<double()>& one);

// A subject timed beside its reference, the two in turn (reference, subject,
// reference, ...), so that the machine's drift and other work fall on both
// sides alike; the ratio is the median of the ratios of each pair.
class Pairs {
 public:
  void Add(double reference, double subject);
  double Subject() const { return Median(subject_); }
  double Reference() const { return Median(reference_); }
  double Ratio() const { return Median(ratio_); }

 private:
  std::vector<double> reference_, subject_, ratio_;
};

// `runs` pairs of `reference()` then `subject()`, each returning its time.
Pairs Interleaved(int runs, const std::function<double()>& reference,
                  const std::function<double()>& subject);

// One row of the table; `goal`: the most the ratio to the reference may be,
// 0 for a row without one, -1 for a count that must stay flat.
void Report(const std::string& name, double median, const std::string& reference = "",
            double reference_median = 0, double goal = 0);
void Report(const std::string& name, const Pairs& pairs, const std::string& reference,
            double goal = 0);
// The table, then each row as a "row|" line for scripts/bench.
void PrintTable();

// One control of `mode`, loaded as a form loads it and active in place in
// `parent`, painted once; torn down at the end of its scope.
class ActiveControl {
 public:
  ActiveControl(IClassFactory* factory, HWND parent, const LifeSetup& setup, const wchar_t* mode,
                bool auto_size = true) {
    factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(ole_.GetAddressOf()));
    ole_.As(&inplace_);
    site_ = new FakeSite(parent, Ambient::kRunning);
    site_->calls.Expect(kSiteOfAPlacedControl);
    site_->object = inplace_.Get();
    ole_->SetClientSite(site_.Get());
    ComPtr<IPersistPropertyBag> persist;
    ole_.As(&persist);
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    PutLifeProperties(*bag.Get(), setup, mode);
    if (!auto_size) bag->PutText(L"AutoSize", L"0");
    persist->Load(bag.Get(), nullptr);
    ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, parent, &site_->rect);
    inplace_->GetWindow(&window_);
    surface_ = MouseTarget(window_);
  }
  ~ActiveControl() {
    inplace_->InPlaceDeactivate();
    ole_->Close(OLECLOSE_NOSAVE);
    ole_->SetClientSite(nullptr);
    site_->object = nullptr;
  }
  HWND window() const { return window_; }
  HWND surface() const { return surface_; }
  void Paint() {
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
  }
  void Press() { SendMessageW(surface_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }
  void Release() { SendMessageW(surface_, WM_LBUTTONUP, 0, MAKELPARAM(-5, -5)); }  // outside: no click
  void PressAndRelease() {
    Press();
    Release();
  }

 private:
  ComPtr<IOleObject> ole_;
  ComPtr<IOleInPlaceObject> inplace_;
  ComPtr<FakeSite> site_;
  HWND window_ = nullptr;
  HWND surface_ = nullptr;
};

// The process's GDI objects and this thread's USER objects now.
struct Handles {
  DWORD gdi, user;
  static Handles Now();
};

// What each part of a paint costs made alone (PaintParts.cpp).
void MeasureParts(HWND parent, const LifeSetup& setup);

// The launch policy's read at a click, for the program started (PolicyRead.cpp).
void MeasurePolicyRead(const std::wstring& program);

}  // namespace pelzorvick::test
