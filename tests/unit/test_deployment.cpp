// The deployment values compiled into the plug-in, as a build with the default options must have
// them. Written out here rather than taken from the generated header, so that a header generated
// wrongly (a group repeated, the UID cut) is caught.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "deployment_config.h"

namespace tandrel::testing {
namespace {

TEST(Deployment, DefaultOptionsGiveTheDocumentedValues) {
#ifndef TANDREL_DEFAULT_DEPLOYMENT
    GTEST_SKIP() << "this tree was configured with its own deployment values";
#else
    EXPECT_EQ(ADMIN_GROUP_IDS, (std::array<int, 2>{6, 9}));
    EXPECT_EQ(std::string_view(BOT_UID), "TandrelRadioBotPlaceholder0=");
#endif
}

}  // namespace
}  // namespace tandrel::testing
