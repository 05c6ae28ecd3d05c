// Base of the suites that drive the plug-in through its entry points: a fresh fake host for every
// test, the plug-in's records back at their load-time state, and at the end a clean ledger of the
// host's memory and of the plug-in's own heap.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_host.h"
#include "host/plugin_id.h"
#include "plugin/entry_points.h"
#include "plugin_heap_ledger.h"
#include "radio/context_menus.h"
#include "settings/plugin_settings.h"

namespace tandrel::testing {

class PluginTest : public ::testing::Test {
  protected:
    PluginTest() {
        releasePluginId();
        pluginSettings = PluginSettings{};
        menuLayout = MenuLayout{};
        ts3plugin_setFunctionPointers(host.table());
    }

    ~PluginTest() override {
        releasePluginId();
        EXPECT_THAT(host.problems(), ::testing::IsEmpty()) << "the fake host's ledger is not clean";
        EXPECT_THAT(pluginHeap.problems(), ::testing::IsEmpty()) << "the plug-in's heap is not clean";
    }

    PluginHeapLedger pluginHeap;
    FakeHost host;
};

}  // namespace tandrel::testing
