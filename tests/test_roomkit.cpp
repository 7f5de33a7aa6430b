#include <gtest/gtest.h>

#include "roomkit/vmf.h"

namespace {

TEST(VmfReader, ReadsNestedBlocksAndKeys) {
    const auto root = roomkit::ParseVmf("world\n{\n\t\"id\" \"1\"\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n\t}\n}\n");
    ASSERT_EQ(root.children.size(), 1u);
    const auto& world = root.children[0];
    EXPECT_EQ(world.Get("id"), "1");
    ASSERT_EQ(world.Blocks("solid").size(), 1u);
    EXPECT_EQ(world.Blocks("solid")[0]->line, 4);
}

}  // namespace
