// Small owners for GDI objects and device-context selections, so that every paint path, and the
// window record, gives back what it took.
#pragma once

#include <windows.h>

namespace tandrel {

// Owns a pen, brush or font and deletes it when it goes out of scope or is replaced. Movable, so
// that a record can hold one and take a new one in place of the old.
template <typename Handle>
class ScopedGdiObject {
  public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(Handle handle) : handle_(handle) {}
    ~ScopedGdiObject() { release(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
        if (this != &other) {
            release();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    Handle get() const { return handle_; }

  private:
    void release() {
        if (handle_ != nullptr) {
            DeleteObject(handle_);
            handle_ = nullptr;
        }
    }
    Handle handle_ = nullptr;
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
