#pragma once
// Starts a fresh headless host with a virtual clock for each test, and
// detects the device as start-up does.

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "platform/platform_state.h"

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { start("desktop"); }
    void TearDown() override { ResetPlatform(); }

    void start(const std::string& profile, int width = 0, int height = 0) {
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.profile = profile;
        options.screenWidth = width;
        options.screenHeight = height;
        options.instance = "test-" + std::to_string(::getpid());
        ResetPlatform();
        host::InitializeWith(options);
        DetectDevice();
    }
};
