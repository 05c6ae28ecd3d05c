// Keeps account of the plug-in's own heap blocks (menu items and their array, info texts, the copy of
// the plug-in ID, the text of a save) while it lives: a block still held at the end is a leak, and a
// release of a block the plug-in never allocated, or of one already released, is a fault. One ledger
// at a time; it restores the plug-in's heap when it goes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tandrel::testing {

class PluginHeapLedger {
  public:
    PluginHeapLedger();
    ~PluginHeapLedger();
    PluginHeapLedger(const PluginHeapLedger&) = delete;
    PluginHeapLedger& operator=(const PluginHeapLedger&) = delete;

    std::size_t outstandingBlocks() const;
    // Every fault so far plus every block not yet released, one line each. Empty means clean.
    std::vector<std::string> problems() const;
};

}  // namespace tandrel::testing
