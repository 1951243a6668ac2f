// The headless backend: no window. Message boxes go to stderr and are answered
// by the --answer option; the screen is only seen through screenshots.

#include <cstdio>

#include "platform/host/backend.h"
#include "platform/host/host.h"

namespace host {

namespace {

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(const HostOptions& options) : answerYes_(options.messageAnswer != "no") {}

    const char* name() const override { return "headless"; }

    int messageBox(const std::u16string& text, const std::u16string& title, uint32_t style) override {
        bool yesNo = (style & 0x0F) == MB_YESNO;
        int answer = yesNo ? (answerYes_ ? IDYES : IDNO) : IDOK;
        std::fprintf(stderr, "karrowen: [message box \"%s\"] %s -> %s\n", ToUtf8(title).c_str(),
                     ToUtf8(text).c_str(), answer == IDYES ? "Yes" : answer == IDNO ? "No" : "OK");
        return answer;
    }

private:
    bool answerYes_;
};

std::unique_ptr<Backend> CreateHeadlessBackend(const HostOptions& options, int, int, std::string&) {
    return std::make_unique<HeadlessBackend>(options);
}

}  // namespace

const VideoBootstrap kHeadlessVideo = {"headless", CreateHeadlessBackend};

}  // namespace host
