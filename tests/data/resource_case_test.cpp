// Resource names that differ from the files only in letter case, as templates
// written for a file system that ignores case do: found in folders and in
// archives, but only after every exact name.

#include <gtest/gtest.h>

#include "data/resource.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

class ResourceCase : public ResourceTest {
protected:
    std::u16string path(const std::string& rest) const { return resources16() + U16(rest); }
    std::optional<std::string> read(const std::string& rest) const {
        auto bytes = ReadResourceFile(path(rest));
        return bytes ? std::optional<std::string>(Text(*bytes)) : std::nullopt;
    }
    std::optional<std::string> open(const std::string& rest) const { return StreamText(path(rest)); }
};

TEST_F(ResourceCase, FoldersAndFilesAreFoundWhateverTheirCase) {
    WriteFile(resources() / "Models" / "Ghost.3DS", "ghost");
    WriteFile(resources() / "image1.jpg", "lower");
    WriteFile(resources() / "IMAGE1.JPG", "upper");
    EXPECT_EQ(read("models\\GHOST.3ds"), "ghost");
    EXPECT_EQ(open("MODELS/ghost.3ds"), "ghost");
    // An exact name wins over its other spellings.
    EXPECT_EQ(read("image1.jpg"), "lower");
    EXPECT_EQ(read("IMAGE1.JPG"), "upper");
    EXPECT_EQ(read("Image1.Jpg"), "upper") << "the first match in byte order";
    EXPECT_EQ(read("models/ghost.3ds.bak"), std::nullopt);
    EXPECT_EQ(read("other/ghost.3ds"), std::nullopt);
}

TEST_F(ResourceCase, ArchiveMembersAreFoundWhateverTheirCaseAfterEveryExactName) {
    WriteZip(resources() / "resources.zip", {{"Images/BG.gif", "member"}, {"cover.properties", "archive"}});
    ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    WriteFile(resources() / "COVER.properties", "folder");
    EXPECT_EQ(read("images/bg.GIF"), "member");
    EXPECT_EQ(open("IMAGES/bg.gif"), "member");
    EXPECT_EQ(read("cover.properties"), "archive") << "the exact member before the folder's other spelling";
    EXPECT_EQ(open("cover.properties"), "archive");
    EXPECT_EQ(read("Cover.Properties"), "folder");
    EXPECT_EQ(read("images/none.gif"), std::nullopt);
}

}  // namespace
