// A plug-in-shaped library for the library loader's test: one stdcall entry
// taking the address of a block. It counts its calls in the block and
// answers the block's tag, so the caller sees that its own block arrived.
#include <cstdint>

struct TestPluginBlock {
    uint32_t tag;
    uint32_t calls;
};

extern "C" int32_t __stdcall PluginEntry(TestPluginBlock* block)
{
    if (!block) return -1;
    ++block->calls;
    return static_cast<int32_t>(block->tag);
}
