// The desktop's font lookup: fontconfig's best match for the request.

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "platform/host/text/font_locator.h"

namespace host {

namespace {

std::string Lowered(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

// The family names the configuration binds as strongly as the one asked for
// are the face itself and its metric-compatible aliases; the generic
// fallbacks come weakly bound.
std::set<std::string> StrongFamilies(FcPattern* pattern) {
    std::set<std::string> names;
    FcValue value;
    FcValueBinding binding;
    for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
        if (value.type != FcTypeString || binding == FcValueBindingWeak) continue;
        names.insert(Lowered(reinterpret_cast<const char*>(value.u.s)));
    }
    return names;
}

bool FamilyIn(FcPattern* match, const std::set<std::string>& names) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        if (names.count(Lowered(reinterpret_cast<const char*>(family)))) return true;
    return false;
}

// Loaded once for the process (the font scan is the slow part) and released
// at exit, so that leak checks see nothing of fontconfig's.
FcConfig* Config() {
    struct Loaded {
        FcConfig* config = FcInitLoadConfigAndFonts();
        ~Loaded() {
            if (config) FcConfigDestroy(config);
        }
    };
    static Loaded loaded;
    return loaded.config;
}

}  // namespace

bool LocateFont(const std::string& face, int weight, bool italic, FontFile& file) {
    FcConfig* config = Config();
    if (!config) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* path = nullptr;
    const bool found = match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        file.path = reinterpret_cast<const char*>(path);
        FcPatternGetInteger(match, FC_INDEX, 0, &file.index);
        int matchedWeight = FC_WEIGHT_REGULAR, matchedSlant = FC_SLANT_ROMAN;
        FcBool embolden = FcFalse;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
        FcPatternGetInteger(match, FC_SLANT, 0, &matchedSlant);
        FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
        file.embolden = embolden || (weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD);
        file.oblique = italic && matchedSlant == FC_SLANT_ROMAN;
        file.familyMatches = FamilyIn(match, StrongFamilies(pattern));
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace host
