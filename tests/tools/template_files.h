#pragma once
// The hand-written templates of resources/ and the build's pictures, read as
// the game reads them.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/property_file.h"
#include "platform/host/host.h"
#include "scene/gif_decoder.h"

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A GIF file's frames as the game decodes them (on a 32-bit host).
inline FrameList DecodeGifFile(const std::filesystem::path& path) {
    FrameList frames;
    std::vector<uint8_t> bytes = ReadBytes(path);
    DecodeGif(std::span<const uint8_t>(bytes), host::FromUtf8(path.string()), frames, false, false);
    return frames;
}

// A pixel of a decoded 32-bit frame as 0xRRGGBB.
inline uint32_t PixelAt(const FrameBuffer& f, int x, int y) {
    return *reinterpret_cast<const uint32_t*>(f.pixels + static_cast<size_t>(y) * f.rowStride + x * 4) & 0xFFFFFF;
}

inline std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

inline std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct TemplateFile {
    std::string name;
    std::unique_ptr<PropertyFile> file = std::make_unique<PropertyFile>();

    // The value of a key of an entry's list, "" when absent.
    std::string item(const std::string& entry, const std::string& key) const {
        std::optional<std::u16string> v = file->getItem(Widen(entry), Widen(key));
        return v ? Narrow(*v) : std::string();
    }
    int integer(const std::string& entry, const std::string& key, int fallback) const {
        return file->getItemInt(Widen(entry), Widen(key), fallback);
    }
    bool has(const std::string& entry) const { return file->get(Widen(entry)) != nullptr; }
    // The keys of an entry's list, in the order written.
    std::vector<std::string> keys(const std::string& entry) const {
        std::vector<std::string> out;
        const char16_t* value = file->get(Widen(entry));
        if (!value) return out;
        ItemList list = PropertyFile::parseList(value, u',', u':');
        for (StringMap::Key key : list->keys()) out.push_back(Narrow(static_cast<const char16_t*>(key)));
        return out;
    }
    // Entry names in file order.
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const std::u16string& k : file->dataKeys()) out.push_back(Narrow(k));
        return out;
    }
    // Entries of a "type", in file order.
    std::vector<std::string> ofType(const std::string& type) const {
        std::vector<std::string> out;
        for (const std::string& e : entries())
            if (item(e, "type") == type) out.push_back(e);
        return out;
    }
    // Position of an entry in the file (scenes declared later lie on top), -1 when absent.
    int order(const std::string& entry) const {
        std::vector<std::string> all = entries();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == entry) return static_cast<int>(i);
        return -1;
    }
};

inline TemplateFile ReadTemplate(const std::filesystem::path& path) {
    TemplateFile t;
    t.name = path.filename().string();
    std::vector<uint8_t> bytes = ReadBytes(path);
    t.file->loadBytes(bytes.data(), bytes.size());
    return t;
}

inline std::vector<TemplateFile> HandWrittenTemplates() {
    std::vector<TemplateFile> templates;
    for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(KARROWEN_HAND_WRITTEN_RESOURCES))
        if (e.path().extension() == ".properties") templates.push_back(ReadTemplate(e.path()));
    return templates;
}
