// A program for the runner's own test: the second test dies, the ones before and after it pass,
// and one after it fails.
#include <gtest/gtest.h>

#include <cstdlib>

TEST(Probe, BeforeTheCrash) {
    SUCCEED();
}

TEST(Probe, Dies) {
    std::abort();
}

TEST(Probe, AfterTheCrash) {
    SUCCEED();
}

TEST(Probe, FailsAfterTheCrash) {
    EXPECT_EQ(1, 2);
}
