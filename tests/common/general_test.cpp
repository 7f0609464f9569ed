/* The runtime library against Wine's real file system and registry. */
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>

TEST(Memory, SweepFreesRecordedBlocksOnce)
{
    InitMemoryBlocks();
    void *block = AllocateMemory(100, 1);
    ASSERT_TRUE(block != NULL);
    EXPECT_EQ(memoryBlocks[0], block);
    EXPECT_EQ(FreeMemory(block), (void *)NULL);
    EXPECT_EQ(memoryBlocks[0], (void *)NULL);
    FreeAllMemoryBlocks();
}
