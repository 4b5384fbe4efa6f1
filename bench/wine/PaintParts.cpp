// What each part of a paint costs when it is made alone, the way a paint
// makes it: raw calls on purpose, as the parts are priced bare.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "bench/wine/BenchSupport.h"
#include "bench/wine/DirectPaint.h"
#include "command/CommandUtil.h"
#include "component/surface/Units.h"
#include "tests/hardening/Support.h"

namespace pelzorvick::test {

void MeasureParts(HWND parent, const LifeSetup& setup) {
  constexpr int kRuns = 100;
  Report("part: child window made and destroyed", MedianOf(kRuns, [&] {
           return Timed([&] {
             DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 80, 30,
                                           parent, nullptr, nullptr, nullptr));
           });
         }));
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  Report("part: tooltip made with its tool, destroyed", MedianOf(kRuns, [&] {
           return Timed([&] {
             HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                        WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, nullptr,
                                        nullptr);
             TTTOOLINFOW ti{};
             ti.cbSize = TTTOOLINFOW_V2_SIZE;
             ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
             ti.hwnd = parent;
             ti.uId = reinterpret_cast<UINT_PTR>(parent);
             ti.lpszText = const_cast<wchar_t*>(L"tip");
             SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
             DestroyWindow(tip);
           });
         }));
  // What every paint asks of the system before it draws.
  Report("part: the window's DPI and the high-contrast switch asked", MedianOf(kRuns, [&] {
           return Timed([&] {
             WindowResolution(parent);
             HIGHCONTRASTW hc{};
             hc.cbSize = sizeof hc;
             SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0);
           });
         }));
  HDC screen = GetDC(nullptr);
  Report("part: font made, selected, measured once", MedianOf(kRuns, [&] {
           return Timed([&] {
             LOGFONTW lf{};
             lf.lfHeight = -12;
             lf.lfWeight = FW_BOLD;
             lstrcpyW(lf.lfFaceName, L"MS Shell Dlg");
             HFONT font = CreateFontIndirectW(&lf);
             HDC dc = CreateCompatibleDC(screen);
             HGDIOBJ old = SelectObject(dc, font);
             TEXTMETRICW tm;
             GetTextMetricsW(dc, &tm);
             SelectObject(dc, old);
             DeleteDC(dc);
             DeleteObject(font);
           });
         }));
  Report("part: two backing bitmaps with their DCs", MedianOf(kRuns, [&] {
           return Timed([&] {
             for (int k = 0; k < 2; ++k) {
               HDC dc = CreateCompatibleDC(screen);
               HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 30);
               HGDIOBJ old = SelectObject(dc, bitmap);
               SelectObject(dc, old);
               DeleteObject(bitmap);
               DeleteDC(dc);
             }
           });
         }));
  {
    HDC dc = CreateCompatibleDC(screen);
    Report("part: one text measured", MedianOf(kRuns, [&] {
             return Timed([&] {
               SIZE s;
               TEXTMETRICW tm;
               GetTextMetricsW(dc, &tm);
               GetTextExtentPoint32W(dc, L"A life", 6, &s);
             });
           }));
    DeleteDC(dc);
  }
  ReleaseDC(nullptr, screen);
  Report("part: the command lookup's file probes", MedianOf(kRuns, [&] {
           return Timed([&] {
             CommandExists(std::u16string(setup.command.begin(), setup.command.end()));
           });
         }));
  {
    // What drawing through one buffer per thread would cost beside drawing
    // straight onto the window, as the surface does.
    DirectPaint face(parent, SIZE{80, 30}, L"A life");
    face.DrawOnce();
    face.DrawOnceThroughBuffer();
    Report("part: a face drawn through a kept buffer, against drawing it directly",
           Interleaved(kRuns, [&] { return Timed([&] { face.DrawOnce(); }); },
                       [&] { return Timed([&] { face.DrawOnceThroughBuffer(); }); }),
           "drawn directly");
  }
  const std::wstring program = MarkerPath();
  Report("part: the shell's icon lookup, large", MedianOf(kRuns, [&] {
           return Timed([&] {
             SHFILEINFOW info{};
             if (SHGetFileInfoW(program.c_str(), 0, &info, sizeof info, 0x700) && info.hIcon) {
               DestroyIcon(info.hIcon);
             }
           });
         }));
}

}  // namespace pelzorvick::test
