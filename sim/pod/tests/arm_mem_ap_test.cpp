#include "sim/pod/arm_mem_ap.h"

#include <gtest/gtest.h>

#include "sim/pod/arm_bus.h"

namespace sim {
namespace {

constexpr std::uint32_t kWord = 0x03000002, kWordInc = 0x03000012;

struct ApRig {
    explicit ApRig(std::uint32_t wrap = 1024) : ap(bus, ArmMemApConfig{0x24770011, 0xE00FF003, 0x03000040, wrap}) {
        bus.add_memory(0x20000000, 0x4000);
        bus.add_error_region(0x20002000, 0x400);
    }
    std::uint32_t drw() {
        const ArmApResult r = ap.read(ArmMemAp::kDrw);
        EXPECT_EQ(r.status, ArmApStatus::Ok);
        return r.data;
    }
    ArmBus bus;
    ArmMemAp ap;
};

TEST(ArmMemAp, AutoIncrementWrapsInsideTheConfiguredBlock) {
    struct Case {
        std::uint32_t wrap, start, after;
    } cases[] = {
        {1024, 0x200003FC, 0x20000000}, // 1 KB: back to the block's start
        {4096, 0x200003FC, 0x20000400}, // 4 KB: on into the next kilobyte
        {4096, 0x20000FFC, 0x20000000},
    };
    for (const Case& c : cases) {
        ApRig rig(c.wrap);
        rig.ap.write(ArmMemAp::kCsw, kWordInc);
        rig.ap.write(ArmMemAp::kTar, c.start);
        rig.drw();
        EXPECT_EQ(rig.ap.tar(), c.after) << std::hex << c.wrap << " " << c.start;
    }
}

TEST(ArmMemAp, WordBlockWriteAndReadBack) {
    ApRig rig;
    rig.ap.write(ArmMemAp::kCsw, kWordInc);
    rig.ap.write(ArmMemAp::kTar, 0x20000100);
    for (std::uint32_t i = 0; i < 4; ++i) rig.ap.write(ArmMemAp::kDrw, 0x11111111u * (i + 1));
    rig.ap.write(ArmMemAp::kTar, 0x20000100);
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(rig.drw(), 0x11111111u * (i + 1));
    EXPECT_EQ(rig.ap.tar(), 0x20000110u);
    EXPECT_EQ(rig.ap.tar_writes(), (std::vector<std::uint32_t>{0x20000100, 0x20000100}));
    EXPECT_EQ(rig.bus.access_count(0x20000104).writes, 1u);
    EXPECT_EQ(rig.bus.access_count(0x20000104).reads, 1u);
}

TEST(ArmMemAp, ByteAndHalfwordAccessesUseTheirLanes) {
    ApRig rig;
    rig.bus.poke32(0x20000200, 0x44332211);
    rig.ap.write(ArmMemAp::kCsw, 0x03000010); // byte, increment
    rig.ap.write(ArmMemAp::kTar, 0x20000201);
    rig.ap.write(ArmMemAp::kDrw, 0x0000AB00); // lane 1
    EXPECT_EQ(rig.ap.tar(), 0x20000202u);
    rig.ap.write(ArmMemAp::kCsw, 0x03000011); // halfword
    rig.ap.write(ArmMemAp::kDrw, 0xCDEF0000); // lanes 2-3
    std::uint32_t word = 0;
    rig.bus.peek32(0x20000200, word);
    EXPECT_EQ(word, 0xCDEFAB11u);
    EXPECT_EQ(rig.ap.tar(), 0x20000204u);
}

TEST(ArmMemAp, BankedDataRegistersAddressTheTarBlock) {
    ApRig rig;
    for (std::uint32_t i = 0; i < 4; ++i) rig.bus.poke32(0x20000300 + 4 * i, 0xA0 + i);
    rig.ap.write(ArmMemAp::kCsw, kWordInc);
    rig.ap.write(ArmMemAp::kTar, 0x20000308);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kBd0).data, 0xA0u);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kBd0 + 0xC).data, 0xA3u);
    rig.ap.write(ArmMemAp::kBd0 + 4, 0x55);
    std::uint32_t word = 0;
    rig.bus.peek32(0x20000304, word);
    EXPECT_EQ(word, 0x55u);
    EXPECT_EQ(rig.ap.tar(), 0x20000308u); // banked accesses never advance TAR
}

TEST(ArmMemAp, BusErrorFailsTheAccessAndLeavesTar) {
    ApRig rig;
    rig.ap.write(ArmMemAp::kCsw, kWordInc);
    for (std::uint32_t address : {0x20002000u, 0x30000000u}) { // error region; unmapped
        rig.ap.write(ArmMemAp::kTar, address);
        EXPECT_EQ(rig.ap.read(ArmMemAp::kDrw).status, ArmApStatus::BusError);
        EXPECT_EQ(rig.ap.write(ArmMemAp::kDrw, 1).status, ArmApStatus::BusError);
        EXPECT_EQ(rig.ap.tar(), address);
    }
}

TEST(ArmMemAp, DisabledDeviceFailsEveryDataAccess) {
    ApRig rig;
    rig.ap.set_device_enabled(false);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data & 0x40, 0u);
    rig.ap.write(ArmMemAp::kTar, 0x20000000);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kDrw).status, ArmApStatus::BusError);
    EXPECT_EQ(rig.bus.debugger_accesses(), 0u);
}

TEST(ArmMemAp, StuckTransferKeepsTrInProgUntilAbortedAndSomeReadsPass) {
    ApRig rig;
    rig.ap.stick_transfer(2);
    rig.ap.write(ArmMemAp::kTar, 0x20000000);
    EXPECT_TRUE(rig.ap.busy(ArmMemAp::kDrw));
    EXPECT_FALSE(rig.ap.busy(ArmMemAp::kCsw));
    EXPECT_EQ(rig.ap.read(ArmMemAp::kDrw).status, ArmApStatus::Busy);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data & 0x80, 0x80u); // not aborted yet: stays
    rig.ap.abort();
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data & 0x80, 0x80u);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data & 0x80, 0x80u);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data & 0x80, 0u);
    EXPECT_FALSE(rig.ap.busy(ArmMemAp::kDrw));

    ApRig forever;
    forever.ap.stick_transfer(ArmMemAp::kForever);
    forever.ap.abort();
    for (int i = 0; i < 300; ++i) ASSERT_EQ(forever.ap.read(ArmMemAp::kCsw).data & 0x80, 0x80u);
}

TEST(ArmMemAp, IdentificationRegistersAndCswFields) {
    ApRig rig;
    EXPECT_EQ(rig.ap.read(ArmMemAp::kIdr).data, 0x24770011u);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kBase).data, 0xE00FF003u);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCfg).data, 0u);
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data, 0x03000040u);
    rig.ap.write(ArmMemAp::kCsw, 0xA30000F2); // DeviceEn/TrInProg are read-only
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data, 0xA3000072u);
    rig.ap.write(ArmMemAp::kCsw, 0x03000003); // reserved size: kept at word
    EXPECT_EQ(rig.ap.read(ArmMemAp::kCsw).data & 7, 2u);
    EXPECT_EQ(count_violations(rig.ap.violations(), ArmViolationKind::ReservedSize), 1u);
}

TEST(ArmMemAp, UnalignedWordAccessIsLoggedAndAligned) {
    ApRig rig;
    rig.bus.poke32(0x20000010, 0x12345678);
    rig.ap.write(ArmMemAp::kCsw, kWord);
    rig.ap.write(ArmMemAp::kTar, 0x20000012);
    EXPECT_EQ(rig.drw(), 0x12345678u);
    EXPECT_EQ(count_violations(rig.ap.violations(), ArmViolationKind::UnalignedAccess), 1u);
}

} // namespace
} // namespace sim
