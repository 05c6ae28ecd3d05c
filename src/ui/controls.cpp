#include "ui/controls.h"

#include "ui/settings_window_state.h"
#include "ui/wide_text.h"

namespace tandrel {

HWND createControl(HWND parent, const ControlDefinition& definition, ControlRect rect, HFONT font) {
    const WideText className(definition.className);
    const WideText text(definition.text != nullptr ? definition.text : "");
    HWND control = CreateWindowExW(definition.exStyle, className.get(), text.get(), definition.style, rect.x,
                                   rect.y, rect.width, rect.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)),
                                   hostInstance(), nullptr);
    // A new control is drawn when it is first shown: the font needs no redraw of its own.
    if (control != nullptr && font != nullptr) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

void setTicked(HWND box, bool ticked) {
    SendMessageW(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isTicked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The next sibling is taken before each destruction, since a destroyed window has none.
void destroyChildren(HWND window) {
    HWND child = GetWindow(window, GW_CHILD);
    while (child != nullptr) {
        HWND next = GetWindow(child, GW_HWNDNEXT);
        DestroyWindow(child);
        child = next;
    }
}

}  // namespace tandrel
