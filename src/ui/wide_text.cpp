#include "ui/wide_text.h"

#include "base/bounded_copy.h"

namespace tandrel {
namespace {

// A UTF-16 unit never takes more than three bytes of UTF-8 (a surrogate pair takes four for two).
constexpr std::size_t UTF8_BYTES_PER_UNIT = 3;

}  // namespace

WideText::WideText(const char* utf8) {
    text_[0] = L'\0';
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text_, static_cast<int>(STATION_URL_SIZE)) == 0) {
        text_[0] = L'\0';
    }
}

void readWindowTextUtf8(HWND window, char* out, std::size_t size) {
    // Every UTF-16 unit is at least one byte of UTF-8, so size - 1 units give enough text for the cut.
    // A pair whose second half lay beyond them converts to a replacement character, which always
    // lies beyond the cut.
    wchar_t wide[STATION_URL_SIZE] = {};
    int units = GetWindowTextW(window, wide, static_cast<int>(size));
    char utf8[UTF8_BYTES_PER_UNIT * STATION_URL_SIZE] = {};
    if (units > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, static_cast<int>(sizeof utf8 - 1), nullptr,
                            nullptr);
    }
    copyBounded(out, size, utf8);
}

HeldWindowText::HeldWindowText(HWND control) {
    if (control == nullptr) {
        return;
    }
    const int length = GetWindowTextLengthW(control);
    text_.reset(static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (static_cast<std::size_t>(length) + 1))));
    if (text_ != nullptr) {
        const int copied = GetWindowTextW(control, text_.get(), length + 1);
        text_[copied > 0 ? copied : 0] = L'\0';
    }
}

void HeldWindowText::restoreTo(HWND control) const {
    if (control != nullptr && text_ != nullptr) {
        SetWindowTextW(control, text_.get());
    }
}

}  // namespace tandrel
