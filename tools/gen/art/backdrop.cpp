#include "art/backdrop.h"

#include <algorithm>
#include <cmath>

#include "art/random.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr float kTileDepth = MazeGrid::kTileDepth;
const Color kNeon = Hex(0x4FD8FF);
const Color kUnderGlow = Hex(0xC35CFF);

struct Rgb {
    float r = 0, g = 0, b = 0;
};
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Rgb ToRgb(Color c) { return {c.r, c.g, c.b}; }
Rgb Blend(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float Length3(Vec3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
float Dot3(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct Hit {
    float t;
    Vec3 position;
    Vec3 normal;
    int row, column;
};

// Walks the ray through the grid cells (Amanatides and Woo) and returns the
// first passage tile it meets: its top face, or a side face when the ray
// enters the cell below the top.
bool CastRay(const MazeGrid& grid, Vec3 o, Vec3 d, Hit& hit) {
    if (d.y >= 0) return false;  // the tiles are all below the camera
    float offset = grid.centreColumn() + 0.5f;
    float gx = o.x + offset, gz = o.z;
    float tEnd = (-kTileDepth - o.y) / d.y;
    // Clip to the grid's extent in x and z.
    float tStart = 0;
    int enteredAxis = -1;
    auto clip = [&](float origin, float dir, float hi, int axis) {
        if (std::fabs(dir) < 1e-9f) return origin >= 0 && origin <= hi;
        float t0 = (0 - origin) / dir, t1 = (hi - origin) / dir;
        if (t0 > t1) std::swap(t0, t1);
        if (t0 > tStart) {
            tStart = t0;
            enteredAxis = axis;
        }
        tEnd = std::min(tEnd, t1);
        return true;
    };
    if (!clip(gx, d.x, static_cast<float>(grid.columns()), 0) || !clip(gz, d.z, static_cast<float>(grid.rows()), 1))
        return false;
    if (tStart >= tEnd) return false;

    float px = gx + d.x * tStart, pz = gz + d.z * tStart;
    int column = std::clamp(static_cast<int>(std::floor(px)), 0, grid.columns() - 1);
    int row = std::clamp(static_cast<int>(std::floor(pz)), 0, grid.rows() - 1);
    int stepX = d.x > 0 ? 1 : -1, stepZ = d.z > 0 ? 1 : -1;
    float tDeltaX = std::fabs(d.x) > 1e-9f ? std::fabs(1 / d.x) : 1e30f;
    float tDeltaZ = std::fabs(d.z) > 1e-9f ? std::fabs(1 / d.z) : 1e30f;
    float tMaxX = std::fabs(d.x) > 1e-9f ? ((column + (stepX > 0 ? 1 : 0)) - gx) / d.x : 1e30f;
    float tMaxZ = std::fabs(d.z) > 1e-9f ? ((row + (stepZ > 0 ? 1 : 0)) - gz) / d.z : 1e30f;
    float tTop = -o.y / d.y;
    float tCell = tStart;
    while (tCell < tEnd && row >= 0 && column >= 0 && row < grid.rows() && column < grid.columns()) {
        float tNext = std::min(tMaxX, tMaxZ);
        if (grid.passage(row, column)) {
            float t = -1;
            Vec3 normal{0, 1, 0};
            if (tTop >= tCell && tTop <= tNext) {
                t = tTop;
            } else if (tTop < tCell && enteredAxis >= 0) {
                t = tCell;
                normal = enteredAxis == 0 ? Vec3{static_cast<float>(-stepX), 0, 0} : Vec3{0, 0, static_cast<float>(-stepZ)};
            }
            if (t >= 0) {
                hit = {t, {o.x + d.x * t, o.y + d.y * t, o.z + d.z * t}, normal, row, column};
                return true;
            }
        }
        if (tMaxX < tMaxZ) {
            column += stepX;
            tCell = tMaxX;
            tMaxX += tDeltaX;
            enteredAxis = 0;
        } else {
            row += stepZ;
            tCell = tMaxZ;
            tMaxZ += tDeltaZ;
            enteredAxis = 1;
        }
    }
    return false;
}

class BackdropShader {
public:
    explicit BackdropShader(const MazeWorld& world) : world_(world) {
        Vec3 m = world.camera.rayThrough(world.moonAt.x, world.moonAt.y);
        float len = Length3(m);
        moonDir_ = {m.x / len, m.y / len, m.z / len};
        moonRadius_ = world.moonPixels / world.camera.focal;
    }

    // Colour of a ray that meets nothing: sky above the horizon, the misty
    // void below it, and the moon.
    Rgb sky(Vec3 d) const {
        float len = Length3(d);
        return emptySky(d) + moon(Vec3{d.x / len, d.y / len, d.z / len});
    }

    Rgb emptySky(Vec3 d) const {
        float len = Length3(d);
        float e = d.y / len;
        float azimuth = std::atan2(d.x, d.z);
        float towardsCentre = std::exp(-azimuth * azimuth / 0.35f);
        Rgb colour;
        if (e >= 0) {
            static const Gradient ramp{{0.0f, Hex(0x5A3474)}, {0.05f, Hex(0x2E2160)}, {0.16f, Hex(0x141338)},
                                       {0.42f, Hex(0x070717)}};
            colour = ToRgb(ramp.at(e));
            // Faint clouds low over the horizon.
            float cloud = FractalNoise(azimuth * 5 + 3, e * 24, 11, 4);
            float cloudMask = Clamp01((cloud - 0.52f) * 3) * std::exp(-e / 0.10f);
            colour = colour + ToRgb(Hex(0x6B4C9A)) * (cloudMask * 0.22f);
        } else {
            static const Gradient ramp{{0.0f, Hex(0x4A2C66)}, {0.05f, Hex(0x1E1540)}, {0.25f, Hex(0x08071A)},
                                       {0.6f, Hex(0x030309)}};
            colour = ToRgb(ramp.at(-e));
            float mist = FractalNoise(azimuth * 4, -e * 10 + 7, 23, 4);
            colour = colour + ToRgb(Hex(0x3A2E73)) * (Clamp01((mist - 0.45f) * 2.5f) * 0.25f * std::exp(e / 0.2f));
        }
        // The glow where the maze meets the horizon.
        float glow = std::exp(-std::fabs(e) / 0.035f) * (0.35f + 0.65f * towardsCentre);
        return colour + ToRgb(Hex(0xD2569A)) * (glow * 0.30f);
    }

    // Light the moon adds to a sky ray: a crescent lit from the right, the
    // rest of the disc faintly lit by earthshine, and a halo.
    Rgb moon(Vec3 d) const {
        float angle = std::acos(std::clamp(Dot3(d, moonDir_), -1.0f, 1.0f));
        float r = angle / moonRadius_;
        Rgb halo = ToRgb(Hex(0x9FB7FF)) * (0.3f * std::exp(-std::max(0.0f, r - 1) / 1.6f));
        if (r > 1.0f) return halo;
        // Position on the disc in the picture's axes (x right, y down).
        Vec3 f = world_.camera.forward();
        float sx = (d.x - moonDir_.x) / moonRadius_;
        float sy = -((d.y - moonDir_.y) * f.z - (d.z - moonDir_.z) * f.y) / moonRadius_;
        float nz = std::sqrt(std::max(0.0f, 1 - sx * sx - sy * sy));
        Vec3 sun = Normalize({0.62f, -0.28f, -0.72f});
        float lit = Clamp01((sx * sun.x + sy * sun.y + nz * sun.z) * 6 + 0.5f);
        float seas = FractalNoise(sx * 2.4f + 5, sy * 2.4f + 9, 41, 4);
        float surface = 0.9f - Clamp01((seas - 0.48f) * 2.4f) * 0.25f;
        Rgb disc = Blend(ToRgb(Hex(0x17173E)) * surface, ToRgb(Hex(0xFFF4D6)) * surface, lit);
        return Blend(halo, disc, Clamp01((1 - r) * moonRadius_ * world_.camera.focal));
    }

    // Colour and emitted light of a tile surface.
    void surface(const Hit& hit, Vec3 d, Rgb& colour, Rgb& emission) const {
        const MazeGrid& grid = world_.grid;
        float gx = hit.position.x + grid.centreColumn() + 0.5f, gz = hit.position.z;
        float u = gx - hit.column, v = gz - hit.row;
        Rgb albedo;
        float lip = 0;  // 1 on the neon line along the passage edges
        float halo = 0;
        bool top = hit.normal.y > 0.5f;
        if (top) {
            float edge = 10, grout = 10;
            auto side = [&](float distance, bool open) { (open ? grout : edge) = std::min(open ? grout : edge, distance); };
            side(u, grid.passage(hit.row, hit.column - 1));
            side(1 - u, grid.passage(hit.row, hit.column + 1));
            side(v, grid.passage(hit.row - 1, hit.column));
            side(1 - v, grid.passage(hit.row + 1, hit.column));
            float variation = 0.88f + 0.24f * Hash01(hit.row * 131 + 7, hit.column * 71 + 3);
            float stone = FractalNoise(gx * 2.7f, gz * 2.7f, 5, 4);
            albedo = ToRgb(Hex(0x3A3F78)) * (variation * (0.82f + 0.36f * stone));
            // Slightly domed slabs with dark joints between them.
            float dome = 0.92f + 0.08f * std::min(1.0f, std::min(std::min(u, 1 - u), std::min(v, 1 - v)) * 6);
            albedo = albedo * dome * (grout < 0.025f ? 0.55f : 1.0f);
            lip = Clamp01((0.05f - edge) / 0.02f);
            halo = std::exp(-edge / 0.09f);
        } else {
            float depth = -hit.position.y / kTileDepth;  // 0 at the top, 1 at the bottom
            albedo = ToRgb(Hex(0x221F4A)) * (1 - 0.6f * depth);
            lip = Clamp01((0.05f - (-hit.position.y)) / 0.02f);
            emission = ToRgb(kUnderGlow) * (Clamp01((depth - 0.86f) / 0.14f) * 0.5f);
        }
        // Moonlight from the upper left, a cool ambient, and the characters' own light.
        Vec3 moonLight = Normalize({-0.45f, 0.8f, -0.35f});
        float diffuse = std::max(0.0f, Dot3(hit.normal, moonLight));
        Rgb light = ToRgb(Hex(0x8C9CFF)) * 0.45f + ToRgb(Hex(0xC8D4FF)) * (0.55f * diffuse);
        light = light + actorLight(world_.hero, hit);
        for (const MazeActor& ghost : world_.ghosts) light = light + actorLight(ghost, hit);
        colour = albedo * light + ToRgb(kNeon) * (lip * 0.9f);
        emission = emission + ToRgb(kNeon) * (lip * 0.9f + halo * 0.18f);

        float distance = hit.t * Length3(d);
        float fog = 1 - std::exp(-std::max(0.0f, distance - 5) * 0.07f);
        Vec3 level{d.x, 0.0f, d.z};
        colour = Blend(colour, emptySky(level), fog);
        emission = emission * (1 - fog * 0.85f);
    }

private:
    Rgb actorLight(const MazeActor& actor, const Hit& hit) const {
        Vec3 p = world_.grid.cellTop(actor.row, actor.column);
        Vec3 toLight{p.x - hit.position.x, 0.55f - hit.position.y, p.z - hit.position.z};
        float d2 = Dot3(toLight, toLight);
        float facing = std::max(0.0f, Dot3(hit.normal, toLight) / std::sqrt(d2));
        return ToRgb(actor.light) * (actor.lightStrength * facing / (1 + 2.2f * d2));
    }

    const MazeWorld& world_;
    Vec3 moonDir_;
    float moonRadius_;
};

void AddStars(Image& image, const MazeWorld& world, const Mask& skyShare, float horizonY) {
    Random random(0x53746172ull);
    const Color tints[] = {Hex(0xFFFFFF), Hex(0xCFDBFF), Hex(0xFFE6C4), Hex(0xE0CCFF)};
    for (int i = 0; i < 340; ++i) {
        float x = random.range(0, static_cast<float>(image.width()));
        float y = random.range(0, horizonY) * random.range(0.35f, 1.0f);
        float brightness = std::pow(random.unit(), 2.2f);
        Color tint = tints[random.below(4)];
        // The moon hides the stars behind it (it looks larger off the picture's centre).
        if (Length(Vec2{x - world.moonAt.x, y - world.moonAt.y}) < world.moonPixels * 1.3f) continue;
        float share = skyShare.sample(static_cast<int>(x), static_cast<int>(y));
        float fade = Clamp01((horizonY - y) / (horizonY * 0.25f));
        float alpha = (0.25f + 0.75f * brightness) * share * fade;
        float radius = 0.55f + 1.1f * brightness;
        FillMask(image, Blur(CircleMask(image.width(), image.height(), {x, y}, radius * 2.5f), radius),
                 WithAlpha(tint, alpha * 0.35f), Blend::Add);
        FillMask(image, CircleMask(image.width(), image.height(), {x, y}, radius), WithAlpha(tint, alpha), Blend::Add);
        if (brightness > 0.8f) {
            // A four-pointed sparkle on the brightest.
            float len = 5 + 8 * brightness;
            Mask rays = Union(StrokePolyline(image.width(), image.height(), {{x - len, y}, {x + len, y}}, 0.9f),
                              StrokePolyline(image.width(), image.height(), {{x, y - len}, {x, y + len}}, 0.9f));
            FillMask(image, rays, RadialGradient({x, y}, len, {{0, WithAlpha(tint, alpha)}, {1, WithAlpha(tint, 0)}}),
                     Blend::Add);
        }
    }
}

bool Occupied(const MazeWorld& world, int row, int column) {
    if (world.hero.row == row && world.hero.column == column) return true;
    for (const MazeActor& g : world.ghosts)
        if (g.row == row && g.column == column) return true;
    return false;
}

// The pellets on the passages, far ones first: glowing sugar-yellow dots,
// and larger pink power pellets; eaten cells behind the hero stay empty.
void AddPellets(Image& image, const MazeWorld& world) {
    const MazeGrid& grid = world.grid;
    const int w = image.width(), h = image.height();
    for (int row = grid.rows() - 1; row >= 0; --row)
        for (int column = 0; column < grid.columns(); ++column) {
            if (!grid.passage(row, column) || world.isEaten(row, column) || Occupied(world, row, column)) continue;
            bool power = world.isPowerPellet(row, column);
            Vec3 at = grid.cellTop(row, column);
            at.y = power ? 0.2f : 0.14f;
            float depth = 0;
            Vec2 p = world.camera.project(at, &depth);
            if (depth <= 0.5f || p.x < -20 || p.x > w + 20 || p.y < -20 || p.y > h + 20) continue;
            float radius = (power ? 0.15f : 0.075f) * world.camera.focal / depth;
            float fog = 1 - std::exp(-std::max(0.0f, depth - 5) * 0.07f);
            float strength = (1 - fog * 0.9f) * std::min(1.0f, radius / 0.8f);
            if (strength < 0.03f) continue;
            radius = std::max(radius, 0.7f);
            Color core = power ? Hex(0xFFC8EE) : Hex(0xFFD04A);
            Color glow = power ? Hex(0xFF4FC8) : Hex(0xFF9A1E);
            Mask dot = CircleMask(w, h, p, radius);
            FillMask(image, Blur(CircleMask(w, h, p, radius * 1.6f), radius * (power ? 2.2f : 1.5f)),
                     WithAlpha(glow, 0.95f * strength), Blend::Add);
            SphereLight light;
            light.ambient = 0.7f;
            light.diffuse = 0.45f;
            light.highlightStrength = 0.8f;
            light.rim = 0;
            FillMask(image, dot, [&](float x, float y) {
                Color c = SpherePaint(p, radius, core, light)(x, y);
                return WithAlpha(c, strength);
            });
        }
}

// Casts 3 x 3 rays through every pixel: the picture's colour, the light its
// surfaces emit (for the bloom), and the share of rays that met only sky.
struct RayPass {
    Image colour;
    Image emission;  // premultiplied light, opacity = its strongest channel
    Mask skyShare;
};

RayPass CastAllRays(const MazeWorld& world, const BackdropShader& shader) {
    const int w = world.pictureWidth, h = world.pictureHeight;
    RayPass pass{Image(w, h), Image(w, h), Mask(w, h)};
    pass.skyShare.setBounds(pass.skyShare.area());
    constexpr int kSamples = 3;  // per axis
    const float k = 1.0f / (kSamples * kSamples);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb colour, glow;
            int misses = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    Vec3 d = world.camera.rayThrough(x + (sx + 0.5f) / kSamples, y + (sy + 0.5f) / kSamples);
                    Hit hit;
                    if (CastRay(world.grid, world.camera.position, d, hit)) {
                        Rgb c, e;
                        shader.surface(hit, d, c, e);
                        colour = colour + c;
                        glow = glow + e;
                    } else {
                        colour = colour + shader.sky(d);
                        ++misses;
                    }
                }
            pass.colour.at(x, y) = {colour.r * k, colour.g * k, colour.b * k, 1};
            glow = glow * k;
            pass.emission.at(x, y) = {glow.r, glow.g, glow.b, std::max({glow.r, glow.g, glow.b, 1e-6f})};
            pass.skyShare.set(x, y, misses * k);
        }
    return pass;
}

// Bloom: the emitted light spread out at two widths and added on top.
void AddBloom(Image& image, const Image& emission) {
    Image nearGlow = Blur(emission, 3.0f), farGlow = Blur(emission, 12.0f);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            Pixel& p = image.at(x, y);
            const Pixel &n = nearGlow.at(x, y), &f = farGlow.at(x, y);
            p.r = std::min(1.0f, p.r + n.r * 0.8f + f.r * 0.9f);
            p.g = std::min(1.0f, p.g + n.g * 0.8f + f.g * 0.9f);
            p.b = std::min(1.0f, p.b + n.b * 0.8f + f.b * 0.9f);
        }
}

}  // namespace

Image RenderCoverBackdrop(const MazeWorld& world) {
    BackdropShader shader(world);
    RayPass pass = CastAllRays(world, shader);
    AddBloom(pass.colour, pass.emission);
    float horizonY = world.camera.centre.y - world.camera.focal * std::tan(world.camera.pitch);
    AddStars(pass.colour, world, pass.skyShare, horizonY);
    AddPellets(pass.colour, world);
    return pass.colour;
}
