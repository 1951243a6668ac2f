#include "model_3ds_file.h"

#include <cstring>

namespace {

// A chunk under construction: identifier, then its length once it is closed.
class ChunkWriter {
public:
    void open(uint16_t id) {
        starts_.push_back(bytes_.size());
        u16(id);
        u32(0);
    }
    void close() {
        size_t start = starts_.back();
        starts_.pop_back();
        uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
        for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    // Names longer than the loader keeps are cut.
    void text(const std::string& s) {
        for (char c : s.substr(0, 29)) u8(static_cast<uint8_t>(c));
        u8(0);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> starts_;
};

void ColourChunk(ChunkWriter& w, uint16_t id, uint32_t rgb) {
    w.open(id);
    w.open(0x0011);  // 24-bit colour
    w.u8(static_cast<uint8_t>(rgb >> 16));
    w.u8(static_cast<uint8_t>(rgb >> 8));
    w.u8(static_cast<uint8_t>(rgb));
    w.close();
    w.close();
}

void PercentChunk(ChunkWriter& w, uint16_t id, int percent) {
    w.open(id);
    w.open(0x0030);  // integer percentage
    w.u16(static_cast<uint16_t>(percent));
    w.close();
    w.close();
}

void MaterialChunk(ChunkWriter& w, const ModelMaterial& m) {
    w.open(0xAFFF);
    w.open(0xA000);
    w.text(m.name);
    w.close();
    ColourChunk(w, 0xA020, m.diffuse);
    ColourChunk(w, 0xA080, m.glow);
    PercentChunk(w, 0xA041, m.shininessStrengthPercent);
    PercentChunk(w, 0xA050, m.transparencyPercent);
    w.open(0xA100);
    w.u16(m.flat ? 1 : 3);  // 1 flat, 3 smooth
    w.close();
    w.close();
}

void MeshChunk(ChunkWriter& w, const ModelMesh& mesh) {
    w.open(0x4000);
    w.text(mesh.name);
    w.open(0x4100);
    w.open(0x4110);
    w.u16(static_cast<uint16_t>(mesh.vertices.size()));
    for (const Vec3& v : mesh.vertices) {
        w.f32(-v.x);
        w.f32(-v.z);
        w.f32(v.y);
    }
    w.close();
    w.open(0x4120);
    w.u16(static_cast<uint16_t>(mesh.faces.size()));
    for (const ModelMesh::Face& f : mesh.faces) {
        w.u16(f.a);
        w.u16(f.b);
        w.u16(f.c);
        w.u16(7);  // edge visibility flags
    }
    w.open(0x4130);
    w.text(mesh.material);
    w.u16(static_cast<uint16_t>(mesh.faces.size()));
    for (size_t i = 0; i < mesh.faces.size(); ++i) w.u16(static_cast<uint16_t>(i));
    w.close();
    w.close();
    w.close();
    w.close();
}

}  // namespace

std::vector<uint8_t> Encode3ds(const Model& model) {
    ChunkWriter w;
    w.open(0x4D4D);
    w.open(0x0002);  // file version
    w.u32(3);
    w.close();
    w.open(0x3D3D);
    for (const ModelMaterial& m : model.materials) MaterialChunk(w, m);
    for (const ModelMesh& mesh : model.meshes) MeshChunk(w, mesh);
    w.close();
    w.close();
    return w.bytes();
}
