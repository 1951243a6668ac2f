#pragma once
// Hand-built 3DS files: every chunk is a 16-bit identifier and a 32-bit length
// that counts its 6-byte header, little-endian, then its content.

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace r3test {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}
inline void PutFloat(Bytes& b, float f) { PutU32(b, std::bit_cast<uint32_t>(f)); }
inline void PutString(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}

// Header, content, then the sub-chunks; the length covers all of them.
inline Bytes Chunk(uint16_t id, const Bytes& content = {}, std::initializer_list<Bytes> subs = {}) {
    Bytes b;
    PutU16(b, id);
    size_t length = 6 + content.size();
    for (const Bytes& s : subs) length += s.size();
    PutU32(b, uint32_t(length));
    b.insert(b.end(), content.begin(), content.end());
    for (const Bytes& s : subs) b.insert(b.end(), s.begin(), s.end());
    return b;
}

inline Bytes Str(const std::string& s) {
    Bytes b;
    PutString(b, s);
    return b;
}

struct V3 {
    float x, y, z;
};

inline Bytes VertexList(std::initializer_list<V3> vertices) {
    Bytes b;
    PutU16(b, uint32_t(vertices.size()));
    for (const V3& v : vertices) PutFloat(b, v.x), PutFloat(b, v.y), PutFloat(b, v.z);
    return Chunk(0x4110, b);
}

struct F3 {
    uint16_t a, b, c;
};

inline Bytes FaceList(std::initializer_list<F3> faces, std::initializer_list<Bytes> subs = {}) {
    Bytes b;
    PutU16(b, uint32_t(faces.size()));
    for (const F3& f : faces) PutU16(b, f.a), PutU16(b, f.b), PutU16(b, f.c), PutU16(b, 0);
    return Chunk(0x4120, b, subs);
}

inline Bytes MaterialGroup(const std::string& name, std::initializer_list<uint16_t> faces) {
    Bytes b = Str(name);
    PutU16(b, uint32_t(faces.size()));
    for (uint16_t f : faces) PutU16(b, f);
    return Chunk(0x4130, b);
}

inline Bytes TexCoords(std::initializer_list<std::pair<float, float>> uvs) {
    Bytes b;
    PutU16(b, uint32_t(uvs.size()));
    for (auto [u, v] : uvs) PutFloat(b, u), PutFloat(b, v);
    return Chunk(0x4140, b);
}

// A named object holding one triangle mesh.
inline Bytes NamedMesh(const std::string& name, std::initializer_list<Bytes> meshChunks) {
    Bytes content;
    for (const Bytes& s : meshChunks) content.insert(content.end(), s.begin(), s.end());
    return Chunk(0x4000, Str(name), {Chunk(0x4100, content)});
}

inline Bytes ColourBytes(uint8_t r, uint8_t g, uint8_t b) { return Chunk(0x0011, Bytes{r, g, b}); }
inline Bytes ColourFloats(float r, float g, float b) {
    Bytes c;
    PutFloat(c, r), PutFloat(c, g), PutFloat(c, b);
    return Chunk(0x0010, c);
}
inline Bytes PercentInt(uint16_t p) {
    Bytes b;
    PutU16(b, p);
    return Chunk(0x0030, b);
}
inline Bytes PercentFloat(float f) {
    Bytes b;
    PutFloat(b, f);
    return Chunk(0x0031, b);
}
// A texture (0xA200), opacity (0xA210) or reflection (0xA220) map.
inline Bytes Map(uint16_t id, const std::string& file) { return Chunk(id, {}, {PercentInt(100), Chunk(0xA300, Str(file))}); }

inline Bytes Material(const std::string& name, std::initializer_list<Bytes> properties) {
    Bytes content;
    Bytes nameChunk = Chunk(0xA000, Str(name));
    content.insert(content.end(), nameChunk.begin(), nameChunk.end());
    for (const Bytes& p : properties) content.insert(content.end(), p.begin(), p.end());
    return Chunk(0xAFFF, content);
}

// The main chunk around an editor chunk around the given chunks.
inline Bytes Model(std::initializer_list<Bytes> editorChunks) {
    Bytes editor;
    for (const Bytes& c : editorChunks) editor.insert(editor.end(), c.begin(), c.end());
    return Chunk(0x4D4D, {}, {Chunk(0x3D3D, editor)});
}

}  // namespace r3test
