#include "platform/host/text/font_table.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace host {

namespace {

struct Family {
    const char* names[5];  // lower case
    const char* stem;
};

constexpr Family kFamilies[] = {
    {{"arial", "helvetica", "liberation sans", "sans-serif", "sans"}, "LiberationSans"},
    {{"times new roman", "times", "liberation serif", "serif", nullptr}, "LiberationSerif"},
    {{"courier new", "courier", "liberation mono", "monospace", nullptr}, "LiberationMono"},
};

const Family* FamilyNamed(const std::string& face, bool& known) {
    std::string lowered = face;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const Family& family : kFamilies)
        for (const char* name : family.names)
            if (name && lowered == name) {
                known = true;
                return &family;
            }
    known = false;
    return &kFamilies[0];
}

bool IsFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool LocateFontInTable(const std::string& folder, const std::string& face, int weight, bool italic, FontFile& file) {
    bool known = false;
    const Family* family = FamilyNamed(face, known);
    const bool bold = weight >= 600;
    const std::string stem = folder + family->stem;
    const std::string styled = stem + (bold && italic ? "-BoldItalic" : bold ? "-Bold" : italic ? "-Italic" : "-Regular");
    file = FontFile{};
    file.familyMatches = known;
    if (IsFile(styled + ".ttf")) {
        file.path = styled + ".ttf";
        return true;
    }
    if (!IsFile(stem + "-Regular.ttf")) return false;
    file.path = stem + "-Regular.ttf";
    file.embolden = bold;
    file.oblique = italic;
    return true;
}

}  // namespace host
