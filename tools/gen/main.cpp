// karrowen-gen: makes every generated resource of the game.
//
//   karrowen-gen OUTDIR [--preview=DIR] [--template=FILE]
//   karrowen-gen --icons=DIR
//
// writes the pictures into OUTDIR. The same build always writes the same
// bytes: the art uses fixed seeds and no clock. With --preview it also writes
// PNG previews into DIR, among them every screen composed as its template
// places its sprites: the cover from FILE (default OUTDIR/Cover.properties),
// the other screens from their templates in the folder of FILE. With --icons
// it writes only the program's icon, DIR/icon_N.png at each size N; OUTDIR
// gets one size of it, karrowen.png, for the game's window.

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "art/app_icon.h"
#include "art/cover.h"
#include "art/front_end.h"
#include "art/game_art.h"
#include "music/sound_files.h"
#include "picture_files.h"
#include "preview.h"
#include "raster/png_writer.h"
#include "raster/text.h"

namespace {

constexpr int kWindowIconSize = 64;

struct Options {
    std::string outputDir;
    std::string previewDir;
    std::string templatePath;
    std::string iconDir;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--preview=", 0) == 0) options.previewDir = arg.substr(10);
        else if (arg.rfind("--template=", 0) == 0) options.templatePath = arg.substr(11);
        else if (arg.rfind("--icons=", 0) == 0) options.iconDir = arg.substr(8);
        else if (!arg.empty() && arg[0] != '-' && options.outputDir.empty()) options.outputDir = arg;
        else return false;
    }
    if (options.templatePath.empty()) options.templatePath = options.outputDir + "/Cover.properties";
    return options.outputDir.empty() != options.iconDir.empty();
}

std::unique_ptr<FontFace> RequireFont(const std::vector<std::string>& patterns) {
    std::unique_ptr<FontFace> font = FontFace::Find(patterns);
    if (!font) {
        std::fprintf(stderr, "karrowen-gen: none of these fonts is installed:");
        for (const std::string& p : patterns) std::fprintf(stderr, " \"%s\"", p.c_str());
        std::fprintf(stderr, "\n");
    }
    return font;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool WriteAppIcons(const std::string& dir) {
    for (int size : AppIconSizes()) {
        std::string path = dir + "/icon_" + std::to_string(size) + ".png";
        if (!WritePng(path, MakeAppIcon(size))) {
            std::fprintf(stderr, "karrowen-gen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: karrowen-gen OUTDIR [--preview=DIR] [--template=FILE]\n"
                             "       karrowen-gen --icons=DIR\n");
        return 2;
    }
    if (!options.iconDir.empty()) return WriteAppIcons(options.iconDir) ? 0 : 1;
    std::unique_ptr<FontFace> titleFont = RequireFont({"DejaVu Sans:bold", "Liberation Sans:bold"});
    std::unique_ptr<FontFace> labelFont = RequireFont({"DejaVu Sans:bold", "Liberation Sans:bold"});
    std::unique_ptr<FontFace> textFont = RequireFont({"Liberation Sans", "DejaVu Sans"});
    std::unique_ptr<FontFace> boldFont = RequireFont({"Liberation Sans:bold", "DejaVu Sans:bold"});
    if (!titleFont || !labelFont || !textFont || !boldFont) return 1;

    std::vector<ScreenArt> screens{MakeCoverArt({*titleFont, *labelFont})};
    screens.front().templateName = "Cover.properties";
    for (ScreenArt& screen : MakeFrontEndArt({*titleFont, *labelFont})) screens.push_back(std::move(screen));
    GameArt game = MakeGameArt({*labelFont});
    for (ScreenArt& screen : game.screens) screens.push_back(std::move(screen));
    std::vector<PictureFile> files;
    for (const ScreenArt& screen : screens)
        for (const SpritePicture& picture : screen.pictures)
            for (PictureFile& f : PictureFiles(picture)) files.push_back(std::move(f));

    for (const PictureFile& f : files) {
        if (!WriteFile(options.outputDir + "/" + f.name, EncodeGifFile(f))) {
            std::fprintf(stderr, "karrowen-gen: cannot write %s/%s\n", options.outputDir.c_str(), f.name.c_str());
            return 1;
        }
    }

    if (!WriteGameArt(game, options.outputDir, options.previewDir)) return 1;
    if (!WriteSoundFiles(options.outputDir)) return 1;
    // The running game's window icon; the desktop's icon theme gets every size from --icons.
    if (!WritePng(options.outputDir + "/karrowen.png", MakeAppIcon(kWindowIconSize))) {
        std::fprintf(stderr, "karrowen-gen: cannot write %s/karrowen.png\n", options.outputDir.c_str());
        return 1;
    }

    if (!options.previewDir.empty()) {
        if (!WritePicturePreviews(options.previewDir, files)) return 1;
        std::string templateDir = options.templatePath.substr(0, options.templatePath.find_last_of('/') + 1);
        for (const ScreenArt& screen : screens) {
            if (screen.templateName.empty()) continue;
            for (const SpritePlacement& p : screen.placements)
                std::printf("%s %s: x:%d, y:%d, width:%d, height:%d\n", screen.templateName.c_str(), p.entry.c_str(),
                            p.x, p.y, p.width, p.height);
            std::string path = screen.templateName == "Cover.properties" ? options.templatePath
                                                                          : templateDir + screen.templateName;
            PreviewInput input{options.previewDir, path, &files, &screen.placements, textFont.get(), boldFont.get()};
            if (!WriteScreenPreview(input)) return 1;
        }
    }
    return 0;
}
