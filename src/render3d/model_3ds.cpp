// 3DS files are a tree of chunks, each a 16-bit identifier and a 32-bit
// length (header included), little-endian. The loader walks them in file
// order without a stack: chunks that only group others are "entered" (their
// content is read as further chunks), known leaf chunks are read by their
// content, everything else is skipped by its length.

#include "render3d/model_3ds.h"

#include <cstring>
#include <vector>

#include "data/resource.h"
#include "platform/host/host.h"
#include "scene/image_cache.h"
#include "scene/texture.h"

namespace {

enum ChunkId : int {
    kMain = 0x4D4D,
    kEditor = 0x3D3D,
    kNamedObject = 0x4000,
    kTriangleMesh = 0x4100,
    kVertexList = 0x4110,
    kFaceList = 0x4120,
    kMaterialGroup = 0x4130,
    kTextureCoordinates = 0x4140,
    kMaterialEntry = 0xAFFF,
    kMaterialName = 0xA000,
    kAmbientColour = 0xA010,
    kDiffuseColour = 0xA020,
    kShininess = 0xA040,
    kShininessStrength = 0xA041,
    kTransparency = 0xA050,
    kSecondColour = 0xA080,
    kTwoSided = 0xA081,
    kWireFrame = 0xA085,
    kShading = 0xA100,
    kTextureMap = 0xA200,
    kOpacityMap = 0xA210,
    kReflectionMap = 0xA220,
    kColourFloat = 0x0010,
    kColourBytes = 0x0011,
    kPercentInt = 0x0030,
    kPercentFloat = 0x0031,
};

// Longer names keep their first bytes; the rest is still read up to the 0.
constexpr size_t kMaxString = 1024;

// Reads little-endian values; past the end every read gives -1 and sets the
// end condition.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ended() const { return ended_; }
    int64_t u8() { return take(1) ? int64_t(data_[pos_ - 1]) : -1; }
    int64_t u16() { return take(2) ? int64_t(data_[pos_ - 2] | data_[pos_ - 1] << 8) : -1; }
    int64_t u32() {
        if (!take(4)) return -1;
        const uint8_t* p = data_ + pos_ - 4;
        return int64_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    }
    float f32() {
        int64_t bits = u32();
        if (bits < 0) return -1.0f;
        // memcpy, not std::bit_cast: emscripten's standard library lacks it.
        const uint32_t word = uint32_t(bits);
        float value;
        std::memcpy(&value, &word, sizeof value);
        return value;
    }
    // Discards n bytes, stopping early at the end.
    void skip(int64_t n) {
        if (n <= 0) return;
        if (uint64_t(n) >= size_ - pos_) {
            pos_ = size_;
            ended_ = true;
            return;
        }
        pos_ += size_t(n);
    }
    // Bytes up to and including a 0 (or the end of the data), of which at
    // most kMaxString are kept. Tools write names longer than the 8.3 ones
    // old files hold, so there is no short limit on what is consumed.
    std::string string() {
        std::string s;
        for (int64_t c = u8(); c > 0; c = u8())
            if (s.size() < kMaxString) s.push_back(char(c));
        return s;
    }

private:
    bool take(size_t n) {
        if (n > size_ - pos_) {
            pos_ = size_;
            ended_ = true;
            return false;
        }
        pos_ += n;
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ended_ = false;
};

// Windows-1252, the default code page of the devices the files come from.
std::u16string FromCodePage(const std::string& bytes) {
    static const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::u16string text;
    for (unsigned char c : bytes) text.push_back(c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : char16_t(c));
    return text;
}

class Loader {
public:
    Loader(const uint8_t* data, size_t size, const Load3dsOptions& options)
        : in_(data, size), options_(options), object_(std::make_unique<Object3D>()) {}

    std::unique_ptr<Object3D> run() {
        if (in_.u16() != kMain) {
            message(u"Error: this is not a valid 3DS file.", host::MB_ICONEXCLAMATION);
            return nullptr;
        }
        in_.u32();
        while (!in_.ended()) {
            int64_t id = in_.u16();
            int64_t length = in_.u32();
            if (in_.ended() || id == 0) break;
            chunk(int(id), length);
        }
        for (auto& material : object_->materials) material->adoptTextureKey();
        return std::move(object_);
    }

private:
    void message(const std::u16string& text, uint32_t icon) {
        if (!options_.silent) host::MessageBox(nullptr, text, u"Error", host::MB_OK | icon);
    }

    // The material that chunks describe, or a scratch one when no material
    // entry has begun (its values are then dropped).
    Material3D& material() { return material_ ? *material_ : scratch_; }

    void chunk(int id, int64_t length) {
        switch (id) {
            case kMain:
            case kEditor:
            case kShininess: break;
            case kNamedObject: objectName_ = FromCodePage(in_.string()); break;
            case kTriangleMesh: mesh_ = object_->addMesh(objectName_, std::make_unique<Mesh3D>()); break;
            case kVertexList: vertices(); break;
            case kFaceList: faces(); break;
            case kMaterialGroup: materialGroup(); break;
            case kTextureCoordinates: textureCoordinates(); break;
            case kMaterialEntry: newMaterial(); break;
            case kMaterialName: nameMaterial(FromCodePage(in_.string())); break;
            case kDiffuseColour: material().colour = colour(); break;
            case kShininessStrength: material().specularLevel = percentage(); break;
            case kTransparency: material().alpha = percentage(); break;
            case kSecondColour: material().secondColour = colour(); break;
            case kTwoSided: material().twoSided = true; break;
            case kWireFrame: material().wireFrame = true; break;
            case kShading:
                if (in_.u16() == 1) material().flatLighting = true;
                break;
            case kTextureMap:
            case kOpacityMap:
            case kReflectionMap: map(id); break;
            default: in_.skip(length - 6); break;
        }
    }

    void vertices() {
        int64_t count = in_.u16();
        for (int64_t i = 0; i < count && !in_.ended(); ++i) {
            float x = in_.f32(), y = in_.f32(), z = in_.f32();
            if (in_.ended()) break;
            if (mesh_) mesh_->addVertex(-x, z, -y, 0, 0);
        }
    }

    void faces() {
        int64_t count = in_.u16();
        for (int64_t i = 0; i < count && !in_.ended(); ++i) {
            int64_t a = in_.u16(), b = in_.u16(), c = in_.u16();
            if (in_.ended()) break;
            in_.u16();  // edge flags
            if (mesh_) mesh_->addFace(int(a), int(b), int(c));
        }
    }

    void materialGroup() {
        std::u16string name = FromCodePage(in_.string());
        int64_t count = in_.u16();
        for (int64_t i = 0; i < count && !in_.ended(); ++i) in_.u16();
        if (mesh_ && !in_.ended()) mesh_->material = object_->findMaterial(name);
    }

    void textureCoordinates() {
        int64_t count = in_.u16();
        for (int64_t i = 0; i < count && !in_.ended(); ++i) {
            float u = in_.f32(), v = in_.f32();
            if (in_.ended()) break;
            // Coordinates beyond the mesh's vertices have nothing to go to.
            if (!mesh_ || i >= mesh_->vertexCount()) continue;
            Vertex& vertex = mesh_->vertices[size_t(i)];
            vertex.u = TruncToInt(double(u) * 65536.0);
            vertex.v = TruncToInt((1.0 - double(v)) * 65536.0);
        }
    }

    void newMaterial() {
        pending_ = std::make_unique<Material3D>();
        material_ = pending_.get();
    }

    void nameMaterial(const std::u16string& name) {
        if (!material_) return;
        if (pending_) object_->addMaterial(name, std::move(pending_));
        else material_->name = name;
    }

    // A colour sub-chunk: three floats from 0 to 1, or three bytes.
    uint32_t colour() {
        int64_t id = in_.u16();
        in_.u32();
        if (id == kColourFloat) {
            uint32_t c = 0;
            for (int i = 0; i < 3; ++i)
                c = c << 8 | uint32_t(ClampInt(TruncToInt(double(in_.f32()) * 255.0 + 0.5), 0, 255));
            return c;
        }
        if (id == kColourBytes) {
            uint32_t c = 0;
            for (int i = 0; i < 3; ++i) c = c << 8 | uint32_t(ClampInt(int(in_.u8()), 0, 255));
            return c;
        }
        return 0;
    }

    // A percentage sub-chunk as 0..255.
    int percentage() {
        int64_t id = in_.u16();
        in_.u32();
        if (id == kPercentInt) {
            int64_t p = in_.u16();
            return p < 0 ? 0 : ClampInt(int(p * 255 / 100), 0, 255);
        }
        if (id == kPercentFloat) return ClampInt(TruncToInt(double(in_.f32()) * 255.0), 0, 255);
        return 0;
    }

    void map(int id) {
        percentage();
        in_.u16();
        in_.u32();
        std::u16string name = FromCodePage(in_.string());
        Texture* texture = options_.loadTextures && !name.empty() ? loadTexture(name) : nullptr;
        Material3D& m = material();
        if (id == kReflectionMap) {
            m.environmentTexture = texture;
            return;
        }
        if (id == kTextureMap) m.texture = texture;
        else m.alphaTexture = texture;
        if (m.texture && m.alphaTexture &&
            (m.texture->width != m.alphaTexture->width || m.texture->height != m.alphaTexture->height))
            message(u"The alpha channel texture does not match original texture in deminsion.",
                    host::MB_ICONINFORMATION);
    }

    Texture* loadTexture(const std::u16string& name) {
        if (options_.imageCache) return options_.imageCache->load(options_.textureFolder, name, true, false);
        auto texture = std::make_shared<Texture>(options_.textureFolder + name, true, false);
        if (texture->empty()) return nullptr;
        object_->ownedTextures.push_back(texture);
        return texture.get();
    }

    ByteReader in_;
    const Load3dsOptions& options_;
    std::unique_ptr<Object3D> object_;
    std::u16string objectName_;
    Mesh3D* mesh_ = nullptr;
    Material3D* material_ = nullptr;
    std::unique_ptr<Material3D> pending_;  // a material entry not named yet
    Material3D scratch_;
};

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

std::unique_ptr<Object3D> Parse3ds(const uint8_t* data, size_t size, const Load3dsOptions& options, float radius,
                                   const std::optional<std::u16string>& wanted,
                                   const std::optional<std::u16string>& unwanted) {
    auto object = Loader(data, size, options).run();
    if (object) object->normalize(radius, wanted, unwanted);
    return object;
}

ModelPath ResolveModelPath(std::u16string_view folder, std::u16string_view fileName) {
    ModelPath result;
    result.folder = folder;
    if (result.folder.empty() || !IsSeparator(result.folder.back())) result.folder += u'\\';
    if (!fileName.empty() && IsSeparator(fileName.front())) fileName.remove_prefix(1);
    size_t slash = fileName.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos) {
        result.folder += fileName.substr(0, slash + 1);
        fileName.remove_prefix(slash + 1);
    }
    result.path = result.folder + std::u16string(fileName);
    return result;
}

std::unique_ptr<Object3D> Load3ds(std::u16string_view folder, std::u16string_view fileName, float radius,
                                  ImageCache* imageCache, const std::optional<std::u16string>& wanted,
                                  const std::optional<std::u16string>& unwanted, bool silent) {
    ModelPath where = ResolveModelPath(folder, fileName);
    auto bytes = ReadResourceFile(where.path);
    if (!bytes) {
        if (!silent)
            host::MessageBox(nullptr, u"Error: can not find the 3DS file '" + where.path + u"'", u"Error",
                             host::MB_OK | host::MB_ICONEXCLAMATION);
        return nullptr;
    }
    Load3dsOptions options;
    options.textureFolder = where.folder;
    options.imageCache = imageCache;
    options.silent = silent;
    return Parse3ds(bytes->data(), bytes->size(), options, radius, wanted, unwanted);
}
