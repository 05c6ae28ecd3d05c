// Counts the GDI objects that a loaded module creates and has not deleted, by routing its imports
// of the creating functions and of DeleteObject through counting stand-ins. Works where
// GetGuiResources does not (Wine answers it with a stub), and sees only the plug-in's own objects.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tandrel::testing {

class GdiLedger {
  public:
    explicit GdiLedger(HMODULE module);  // one ledger at a time
    ~GdiLedger();                        // puts the module's imports back
    GdiLedger(const GdiLedger&) = delete;
    GdiLedger& operator=(const GdiLedger&) = delete;

    // Objects the module created and has not deleted yet.
    std::size_t liveObjects() const;
    // Creations seen so far; a ledger that saw none was not connected.
    std::size_t created() const;
    // How many import slots were rerouted.
    int hookedImports() const { return hooked_; }

  private:
    HMODULE module_;
    int hooked_ = 0;
};

}  // namespace tandrel::testing
