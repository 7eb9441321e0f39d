// Test fixture for the driver's exports: the driver's state as after load,
// every trace line collected, and the recording stand-in for VOQ-MST reset.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ccsdriver/tests/mst_recorder/mst_recorder.h"

class DriverFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every trace line since SetUp (or the last ClearTrace), in order.
    static const std::vector<std::string>& Trace();
    static std::string TraceText();
    static void ClearTrace();
    static bool Traced(const std::string& text) { return TraceText().find(text) != std::string::npos; }
    // The recorded Master_ calls other than Master_SetIdeCode, by name.
    static std::vector<std::string> MasterCalls();
    // The last recorded call of `name` (fails the test when there is none).
    static MstCall LastCall(const char* name);
    // Whether every recorded call came right after Master_SetIdeCode(2).
    static bool AllCallsOnTms();
};
