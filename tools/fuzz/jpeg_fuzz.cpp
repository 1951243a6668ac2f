// libFuzzer target: JPEG decoding through libjpeg with the memory source and
// the recovering error manager, over arbitrary bytes.
//
// Mode byte: bit 0 the image in 32 bits (else the headless display's 16).

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/host/host.h"
#include "scene/image_ops.h"
#include "scene/jpeg_decoder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::unique_ptr<FrameBuffer> image =
        DecodeJpeg(std::span<const uint8_t>(data + 1, size - 1), u"fuzz.jpg", !(data[0] & 1));
    FrameBuffer target(16, 16, true);
    copyRect(*image, target, 0, 0, -1, -1, -1, -1, true);
    return 0;
}
