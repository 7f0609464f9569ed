/* The machine checks of the install flow: processor, memory, free space. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>

TEST(CheckProcessor, A386IsRefused)
{
    EXPECT_FALSE(ProcessorIsSuitable(PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_INTEL_386));
    EXPECT_TRUE(ProcessorIsSuitable(PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_INTEL_486));
    EXPECT_TRUE(ProcessorIsSuitable(PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_INTEL_PENTIUM));
    EXPECT_TRUE(ProcessorIsSuitable(PROCESSOR_ARCHITECTURE_AMD64, PROCESSOR_AMD_X8664));
    EXPECT_FALSE(ProcessorIsSuitable(PROCESSOR_ARCHITECTURE_MIPS, 4000));
    /* This machine passes, whatever build runs the test. */
    BoxRecorder boxes;
    EXPECT_EQ(CheckProcessor(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(CheckMemory, ComparesWholeKilobytesWithMinMemory)
{
    EXPECT_TRUE(MemoryIsEnough(8192 * 1024, 8192));
    EXPECT_FALSE(MemoryIsEnough(8192 * 1024 - 1, 8192));
    /* More than 4 GB must not wrap round on a 64-bit build. */
    EXPECT_TRUE(MemoryIsEnough((SIZE_T)-1, 8192));

    BoxRecorder boxes;
    DWORD saved = gameSettings.MinMemoryKb;
    gameSettings.MinMemoryKb = 1;
    EXPECT_EQ(CheckMemory(), 1);
    EXPECT_GT(memoryStatus.dwTotalPhys, 0u);
    gameSettings.MinMemoryKb = 0xFFFFFFFF;
    EXPECT_EQ(CheckMemory(), 0);
    gameSettings.MinMemoryKb = saved;
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Insuficiente memoria para ejecutar este programa.\n\nInstalar más memoria (RAM) e intentar de nuevo.");
    EXPECT_EQ(boxes.boxes[0].caption, "Configuración");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONERROR);
}

TEST(CheckFreeSpace, TheMinimalInstallationNeeds79000Kilobytes)
{
    /* 2 sectors of 512 bytes a cluster: one cluster is one KB. */
    EXPECT_FALSE(FreeSpaceIsEnough(78999, 2, 512));
    EXPECT_TRUE(FreeSpaceIsEnough(79000, 2, 512));
    EXPECT_EQ(FreeKilobytes(79000, 2, 512), 79000u);
}

TEST(CheckFreeSpace, LargeDisksDoNotWrapRound)
{
    /* 2^24 clusters of 32 KB: 512 GB, which is 0 in a 32-bit product. */
    EXPECT_EQ(FreeKilobytes(0x1000000, 64, 512), 0x20000000u);
    EXPECT_TRUE(FreeSpaceIsEnough(0x1000000, 64, 512));
    /* 4 GB + 1 KB free: a 32-bit product leaves 1 KB. */
    EXPECT_TRUE(FreeSpaceIsEnough(0x400001, 1, 1024));
}

/* Without a box, Next on the location page would seem to do nothing. */
TEST(CheckFreeSpace, AMissingDriveIsNamedInABox)
{
    BoxRecorder boxes;
    char missing[] = "?:\\ZEPH";
    for (char letter = 'Z'; letter > 'D'; letter--) {
        char root[] = "?:\\";
        root[0] = letter;
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) {
            missing[0] = letter;
            break;
        }
    }
    ASSERT_NE(missing[0], '?');
    EXPECT_EQ(CheckFreeSpace(missing), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, std::string("No se puede utilizar la unidad ") + missing[0] +
                                       ":\\\n\nInténtalo de nuevo.");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONEXCLAMATION);
    /* The prefix's drive C: has room. */
    EXPECT_EQ(CheckFreeSpace("C:\\ZEPH"), 1);
}
