// libFuzzer target: the GIF decoder over arbitrary bytes, then the frames it
// made through the keyed, stretched and blended copies that drawing uses.
//
// Mode byte: bit 0 first frame only, bit 1 frames in 32 bits (else the
// headless display's 16), bit 2 a 32-bit drawing target (else 16).

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/host/host.h"
#include "scene/gif_decoder.h"
#include "scene/image_ops.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    FrameList frames;
    DecodeGif(std::span<const uint8_t>(data + 1, size - 1), u"fuzz.gif", frames, mode & 1, !(mode & 2));
    FrameBuffer target(37, 23, !(mode & 4));
    for (const auto& frame : frames) {
        copyRect(*frame, target, -3, 5, -1, -1, -1, -1, false);
        stretchRect(*frame, target, 2, -4, 40, 19, 1, 1, frame->width, frame->height, true);
        blendRect(*frame, frame.get(), target, 0, 0, 11, 50, -1, -1, -1, -1, 100);
    }
    return 0;
}
