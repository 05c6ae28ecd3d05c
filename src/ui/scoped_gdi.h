// Small owners for GDI objects and device-context selections, so that every paint path gives back
// what it took.
#pragma once

#include <windows.h>

namespace tandrel {

// Deletes a pen, brush or font when it goes out of scope.
template <typename Handle>
class ScopedGdiObject {
  public:
    explicit ScopedGdiObject(Handle handle) : handle_(handle) {}
    ~ScopedGdiObject() {
        if (handle_ != nullptr) {
            DeleteObject(handle_);
        }
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    Handle get() const { return handle_; }

  private:
    Handle handle_;
};

// Selects an object into a device context and selects the previous one back on destruction.
class ScopedSelection {
  public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tandrel
