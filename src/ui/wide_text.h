// The one place where the window's texts cross between the plug-in and Windows: the plug-in holds
// UTF-8, every control is a wide window driven with the wide (UTF-16) functions, so that every
// character a user types or reads survives, whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "settings/plugin_settings.h"

namespace tandrel {

// UTF-8 text of at most STATION_URL_SIZE - 1 bytes as UTF-16 for a wide call: never more units than
// bytes, so it always fits. Text that does not convert gives an empty text.
class WideText {
  public:
    explicit WideText(const char* utf8);
    const wchar_t* get() const { return text_; }

  private:
    wchar_t text_[STATION_URL_SIZE];
};

// A control's whole text, held in UTF-16 while its control is made anew (a DPI change rebuilds
// every control); nothing is held when the control is missing or the heap is exhausted.
class HeldWindowText {
  public:
    explicit HeldWindowText(HWND control);
    // Gives the text to control, when there is one and a text was held.
    void restoreTo(HWND control) const;

  private:
    // From the C heap: the C++ allocation functions would link the exception runtime, whose
    // emergency pool is allocated at every load of the DLL and never given back at unload.
    struct FreeText {
        void operator()(wchar_t* text) const { std::free(text); }
    };
    std::unique_ptr<wchar_t[], FreeText> text_;
};

// Reads a control's text as UTF-8 into a field of size bytes (at most STATION_URL_SIZE), cut at a
// character boundary to fit.
void readWindowTextUtf8(HWND window, char* out, std::size_t size);

template <std::size_t N>
void readWindowTextUtf8(HWND window, char (&out)[N]) {
    static_assert(N <= STATION_URL_SIZE, "a station text");
    readWindowTextUtf8(window, out, N);
}

}  // namespace tandrel
