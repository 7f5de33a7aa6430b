#include <gtest/gtest.h>

#include "check/level_check.h"

namespace tessellon {
namespace {

TEST(VmfReader, ReadsNestedBlocks) {
    const VmfDocument doc = ReadVmfText("world\n{\n\t\"id\" \"1\"\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n\t}\n}\n");
    ASSERT_TRUE(doc.errors.empty());
    ASSERT_EQ(doc.blocks.size(), 1u);
    EXPECT_EQ(doc.blocks[0].Get("id"), "1");
    ASSERT_EQ(doc.blocks[0].children.size(), 1u);
    EXPECT_EQ(doc.blocks[0].children[0].Get("id"), "2");
}

}  // namespace
}  // namespace tessellon
