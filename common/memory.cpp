/* Memory blocks: fixed, zero-filled global memory, optionally recorded in a
 * table so that one sweep at the end of the run frees what is left. */
#include "common/general.h"

void *memoryBlocks[gcMemoryBlocks];

int InitMemoryBlocks(void)
{
    for (int i = 0; i < gcMemoryBlocks; i++)
        memoryBlocks[i] = NULL;
    return 1;
}

int FreeAllMemoryBlocks(void)
{
    for (int i = 0; i < gcMemoryBlocks; i++)
        if (memoryBlocks[i])
            FreeMemory(memoryBlocks[i]);
    return 1;
}

void *AllocateMemory(LONG size, int record)
{
    /* GMEM_FIXED: the handle is the address itself. */
    void *block = (void *)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (SIZE_T)size);
    if (!block) {
        ShowError("Unable to allocate the required amount of memory.");
        return NULL;
    }
    if (!record)
        return block;
    for (int i = 0; i < gcMemoryBlocks; i++) {
        if (!memoryBlocks[i]) {
            memoryBlocks[i] = block;
            return block;
        }
    }
    ShowError("You need to increase the gcMemoryBlocks constant in GENERAL");
    return block;
}

void *FreeMemory(void *block)
{
    if (!block)
        return NULL;
    GlobalFree((HGLOBAL)block);
    for (int i = 0; i < gcMemoryBlocks; i++) {
        if (memoryBlocks[i] == block) {
            memoryBlocks[i] = NULL;
            break;
        }
    }
    return NULL;
}
