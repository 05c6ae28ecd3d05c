// The owner of the settings window's fonts and brushes: every object it takes is deleted exactly
// once, when the owner goes or takes another, and never while another owner holds it.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "ui/scoped_gdi.h"

namespace tandrel {
namespace {

bool exists(HGDIOBJ object) {
    return GetObjectType(object) != 0;
}

HBRUSH newBrush() {
    HBRUSH brush = CreateSolidBrush(RGB(0x1E, 0x1E, 0x1E));
    EXPECT_NE(brush, nullptr);
    return brush;
}

TEST(ScopedGdiObject, DeletesItsObjectWhenItGoes) {
    HBRUSH brush = newBrush();
    { ScopedGdiObject<HBRUSH> owner(brush); }
    EXPECT_FALSE(exists(brush));
}

TEST(ScopedGdiObject, TakingAnotherDeletesTheOldAndKeepsTheNew) {
    HBRUSH first = newBrush();
    HBRUSH second = newBrush();
    {
        ScopedGdiObject<HBRUSH> owner(first);
        owner = ScopedGdiObject<HBRUSH>(second);
        EXPECT_FALSE(exists(first));
        EXPECT_TRUE(exists(second));
        EXPECT_EQ(owner.get(), second);
    }
    EXPECT_FALSE(exists(second));
}

TEST(ScopedGdiObject, AMovedObjectBelongsToItsNewOwnerAlone) {
    HBRUSH brush = newBrush();
    ScopedGdiObject<HBRUSH> record;
    {
        ScopedGdiObject<HBRUSH> made(brush);
        record = std::move(made);
        EXPECT_EQ(made.get(), nullptr);
    }
    EXPECT_TRUE(exists(brush));
    ScopedGdiObject<HBRUSH> next(std::move(record));
    auto& same = next;
    next = std::move(same);  // moving onto itself keeps the object
    EXPECT_TRUE(exists(brush));
    EXPECT_EQ(next.get(), brush);
    next = {};
    EXPECT_FALSE(exists(brush));
}

}  // namespace
}  // namespace tandrel
