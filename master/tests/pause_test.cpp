#include <gtest/gtest.h>

#include <vector>

#include "master/core/platform.h"

namespace {

std::vector<uint32_t> pauses;
void record_pause(uint32_t ms) { pauses.push_back(ms); }

TEST(Pause, InstalledHookReplacesTheSleepUntilRemoved) {
    pauses.clear();
    const mst::pause_fn previous = mst::set_pause_hook(record_pause);
    mst::pause_ms(200);
    mst::pause_ms(10);
    EXPECT_EQ(pauses, (std::vector<uint32_t>{200, 10}));
    EXPECT_EQ(mst::set_pause_hook(previous), &record_pause);
    mst::pause_ms(1);  // the real sleep: no longer recorded
    EXPECT_EQ(pauses.size(), 2u);
}

} // namespace
