// libjpeg with two managers of our own: a source that serves the file from
// memory, and an error manager whose fatal-error routine, instead of ending
// the process, jumps back out of the decompressor (setjmp/longjmp, as the IJG
// example does) so that the caller destroys it and goes on with no image.

#include "scene/jpeg_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>

// libjpeg's headers need size_t and FILE first, and jerror.h needs jpeglib.h.
#include <jpeglib.h>
// (keep the order)
#include <jerror.h>

#include "platform/host/host.h"
#include "scene/image_file.h"

namespace {

// Progressive files may hold any number of scans; real ones hold a few dozen.
constexpr int kMaxScans = 500;
constexpr long kMaxDecoderMemory = 256L << 20;

struct ErrorManager {
    jpeg_error_mgr library;  // first, so libjpeg's pointer is ours too
    std::jmp_buf escape;
    const std::u16string* path = nullptr;
    bool told = false;
};

// Warnings and errors alike: the user hears about a broken image once.
void OutputMessage(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (manager->told) return;
    manager->told = true;
    host::MessageBox(host::GetActiveWindow(), u"Error happened when loading image:\n" + *manager->path + u"\n",
                     u"Error", host::MB_OK | host::MB_ICONHAND);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->escape, 1);
}

void AbortAfterTooManyScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_NOTIMPL);
}

// The memory source: the whole file is the one buffer. Running past its end
// gives an end-of-image marker, as libjpeg's own file source does.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    while (size_t(count) > src->bytes_in_buffer) {
        count -= long(src->bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

struct JpegJob {
    jpeg_decompress_struct cinfo{};
    ErrorManager error;
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::span<const uint8_t> data;
    std::u16string path;
    bool screenDepth = false;
    std::unique_ptr<FrameBuffer> image;
};

void WriteRow(FrameBuffer& image, int y, const JSAMPLE* samples, int components) {
    uint8_t* row = image.pixels + intptr_t(y) * image.rowStride;
    for (int x = 0; x < image.width; ++x, samples += components) {
        uint32_t r, g, b;
        if (components == 3) {
            r = samples[0], g = samples[1], b = samples[2];
        } else if (components == 1) {
            r = g = b = samples[0];
        } else {
            // CMYK as Adobe writes it, inverted: each channel times black.
            uint32_t k = samples[3];
            r = samples[0] * k / 255, g = samples[1] * k / 255, b = samples[2] * k / 255;
        }
        uint32_t rgb = r << 16 | g << 8 | b;
        if (image.bitsPerPixel < 24) {
            reinterpret_cast<uint16_t*>(row)[x] = host::RgbTo565(rgb);
        } else {
            reinterpret_cast<uint32_t*>(row)[x] = rgb;
        }
    }
}

// Runs the decompressor over the job. A libjpeg error returns here through
// longjmp, so this function holds no objects with destructors: everything
// lives in the job.
bool Decompress(JpegJob* job) {
    j_decompress_ptr cinfo = &job->cinfo;
    if (setjmp(job->error.escape)) return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kMaxDecoderMemory;
    job->progress.progress_monitor = AbortAfterTooManyScans;
    cinfo->progress = &job->progress;
    job->source.next_input_byte = job->data.data();
    job->source.bytes_in_buffer = job->data.size();
    job->source.init_source = InitSource;
    job->source.fill_input_buffer = FillInputBuffer;
    job->source.skip_input_data = SkipInputData;
    job->source.resync_to_restart = jpeg_resync_to_restart;
    job->source.term_source = TermSource;
    cinfo->src = &job->source;

    jpeg_read_header(cinfo, TRUE);
    if (int64_t(cinfo->image_width) * cinfo->image_height > kMaxImagePixels) ERREXIT(cinfo, JERR_IMAGE_TOO_BIG);
    jpeg_start_decompress(cinfo);
    int components = cinfo->output_components;
    if (components != 1 && components != 3 && components != 4) ERREXIT(cinfo, JERR_BAD_J_COLORSPACE);
    JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                 cinfo->output_width * JDIMENSION(components), 1);
    job->image = std::make_unique<FrameBuffer>(int(cinfo->output_width), int(cinfo->output_height), job->screenDepth);
    while (cinfo->output_scanline < cinfo->output_height) {
        int y = int(cinfo->output_scanline);
        if (jpeg_read_scanlines(cinfo, row, 1) != 1) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WriteRow(*job->image, y, row[0], components);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

std::unique_ptr<FrameBuffer> DecodeJpeg(std::span<const uint8_t> data, std::u16string_view path, bool screenDepth) {
    auto job = std::make_unique<JpegJob>();
    job->data = data;
    job->path = std::u16string(path);
    job->screenDepth = screenDepth;
    job->cinfo.err = jpeg_std_error(&job->error.library);
    job->error.library.output_message = OutputMessage;
    job->error.library.error_exit = ErrorExit;
    job->error.path = &job->path;
    bool decoded = Decompress(job.get());
    jpeg_destroy_decompress(&job->cinfo);
    if (!decoded || !job->image) return std::make_unique<FrameBuffer>(0, 0, screenDepth);
    return std::move(job->image);
}

std::unique_ptr<FrameBuffer> LoadJpeg(std::u16string_view path, bool screenDepth) {
    std::optional<std::vector<uint8_t>> content = ReadImageFile(path);
    if (!content) return std::make_unique<FrameBuffer>(0, 0, screenDepth);
    return DecodeJpeg(*content, path, screenDepth);
}
