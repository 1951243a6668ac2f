#include "art/level_themes.h"

const std::array<LevelTheme, kLevelCount>& LevelThemes() {
    static const std::array<LevelTheme, kLevelCount> themes{{
        {"moonlit garden", 1, 0x07071A, 0x4A2C66, 0x030309, 0x3A3F78, 0x221F4A, 0x4FD8FF, SkyFeature::Moon,
         DecorKind::Mushrooms},
        {"fern hollow", 1, 0x04120F, 0x1E5A48, 0x020806, 0x35604E, 0x1B3A30, 0x9CFF6A, SkyFeature::Fireflies,
         DecorKind::Ferns},
        {"lantern dusk", 1, 0x140818, 0x7A3A4A, 0x07030A, 0x6A4A5E, 0x3A2434, 0xFFB347, SkyFeature::PaperLanterns,
         DecorKind::Lanterns},
        {"ice caverns", 2, 0x061428, 0x3C7AA8, 0x020A16, 0x7CA6CC, 0x3A5E86, 0xD8F6FF, SkyFeature::Aurora,
         DecorKind::IceShards},
        {"crystal mine", 2, 0x0A0622, 0x3A2A7A, 0x040210, 0x4A3E80, 0x2A2050, 0xB07CFF, SkyFeature::Geodes,
         DecorKind::Crystals},
        {"coral deep", 2, 0x021424, 0x0E5C6E, 0x010A12, 0x2E6E78, 0x18404A, 0x5CFFE0, SkyFeature::Bubbles,
         DecorKind::Coral},
        {"star drift", 2, 0x0C0318, 0x5A1E6A, 0x05010C, 0x4E3470, 0x2C1A44, 0xFF6AD8, SkyFeature::Planet,
         DecorKind::Nebula},
        {"dune sunset", 3, 0x2A0E2E, 0xC8643A, 0x120614, 0xB08A5C, 0x6A4630, 0xFFE08A, SkyFeature::Sun,
         DecorKind::Cacti},
        {"ember peaks", 3, 0x120406, 0x7A1E10, 0x070102, 0x4A3430, 0x2A1A18, 0xFF6A2A, SkyFeature::Volcano,
         DecorKind::Embers},
        {"golden citadel", 3, 0x0A0A22, 0x8A6A2A, 0x04040E, 0x2C3A62, 0x18203C, 0xFFD86A, SkyFeature::Rays,
         DecorKind::Pillars},
    }};
    return themes;
}

const LevelTheme& ThemeOfLevel(int level) { return LevelThemes()[static_cast<size_t>((level - 1) % kLevelCount)]; }
