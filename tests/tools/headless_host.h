#pragma once
// Tests that decode pictures with the game's own decoder run it on a
// headless host in 32 bits and collect its message boxes instead of showing them.

#include <unistd.h>

#include <string>
#include <vector>

#include "platform/host/host.h"
#include "scene/scene_state.h"

class HeadlessHost {
public:
    HeadlessHost() {
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.depth = 32;
        options.instance = "tools-test-" + std::to_string(::getpid());
        host::InitializeWith(options);
        host::SetMessageBoxHook([this](const std::u16string& text, const std::u16string& title, uint32_t) {
            messages.push_back(host::ToUtf8(title) + ": " + host::ToUtf8(text));
            return host::IDOK;
        });
    }
    ~HeadlessHost() { ResetSceneState(); }
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    std::vector<std::string> messages;
};
