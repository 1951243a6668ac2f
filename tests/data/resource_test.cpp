// The resource layer: folder and archive lookup, extraction into the private
// temporary folder, its clean-up, and where the player's changes go for
// read-only installs.

#include "data/resource.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "build_info.h"
#include "data/property_file.h"
#include "data/resource_local.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

class ResourceLayer : public ResourceTest {
protected:
    // resources/resources.zip holding a few members, registered for the folder.
    void registerGameArchive() {
        WriteZip(resources() / "resources.zip", {{"Cover.properties", "title=from archive\n"},
                                                  {"images/bg.gif", "GIF89a-bg"},
                                                  {"a/b.gif", "slash"},
                                                  {"a_b.gif", "underscore"},
                                                  {"stored.txt", "not compressed", false}});
        ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    }
    std::u16string path(const std::string& rest) const { return resources16() + U16(rest); }
    std::string read(const std::u16string& path) const {
        auto bytes = ReadResourceFile(path);
        return bytes ? Text(*bytes) : "<none>";
    }
};

// ---- Lookup order ------------------------------------------------------------------

TEST_F(ResourceLayer, ArchiveMembersAreServedUnderTheirPrefixAfterTheFolderAndNeverWritten) {
    registerGameArchive();
    const std::string folder = resources().string();
    EXPECT_EQ(read(path("images/bg.gif")), "GIF89a-bg");
    EXPECT_EQ(read(path("stored.txt")), "not compressed");
    EXPECT_TRUE(ResourceExists(path("Cover.properties")));
    EXPECT_FALSE(ResourceExists(path("missing.gif")));
    EXPECT_FALSE(ResourceExists(u"/elsewhere/images/bg.gif"));
    // Backslashes, dot-dots and doubled separators still find the member.
    EXPECT_EQ(read(U16(folder + "\\images\\bg.gif")), "GIF89a-bg");
    EXPECT_EQ(read(U16(folder + "\\..\\resources\\images\\\\bg.gif")), "GIF89a-bg");
    EXPECT_EQ(read(U16(folder + "/images/../images//bg.gif")), "GIF89a-bg");
    EXPECT_EQ(StreamText(U16(folder + "\\..\\resources\\\\images\\bg.gif")), "GIF89a-bg");
    // A file in the folder wins, and closing its stream deletes nothing.
    WriteFile(resources() / "Cover.properties", "title=from folder\n");
    EXPECT_EQ(read(path("Cover.properties")), "title=from folder\n");
    EXPECT_EQ(StreamText(path("Cover.properties"), "r"), "title=from folder\n");
    EXPECT_TRUE(fs::exists(resources() / "Cover.properties"));
    // Write modes never reach the archive, nor a file named in other letter case.
    EXPECT_EQ(OpenResource(path("images/bg.gif"), "wb"), nullptr);
    EXPECT_EQ(OpenResource(path("images/bg.gif"), "a"), nullptr);
    WriteFile(resources() / "Levels" / "one.txt", "kept");
    EXPECT_EQ(OpenResource(path("levels/one.txt"), "w"), nullptr);
    EXPECT_EQ(read(path("Levels/one.txt")), "kept");
    EXPECT_EQ(StreamText(path("new.properties"), "wb"), "");
    EXPECT_TRUE(fs::exists(resources() / "new.properties"));
    EXPECT_EQ(EntryCount(tempFolderPath()), 0u);
}

TEST_F(ResourceLayer, TheLongestPrefixIsTriedFirstThenTheNextArchive) {
    WriteZip(root_ / "outer.zip",
             {{"levels/level1.properties", "from=outer\n"}, {"only-outer.txt", "1"}, {"both.txt", "outer"}});
    WriteZip(root_ / "levels" / "inner.zip", {{"level1.properties", "from=inner\n"}});
    WriteZip(root_ / "second.zip", {{"only-second.txt", "2"}, {"both.txt", "second"}});
    WriteFile(root_ / "broken.zip", "this is not a zip file");
    const std::u16string root = U16(root_.string() + "/");
    EXPECT_FALSE(RegisterArchive(u"broken.zip", root));
    EXPECT_FALSE(RegisterArchive(u"absent.zip", root));
    EXPECT_TRUE(Resources().archives.empty());
    ASSERT_TRUE(RegisterArchive(u"outer.zip", root));
    ASSERT_TRUE(RegisterArchive(u"inner.zip", root + u"levels"));
    ASSERT_TRUE(RegisterArchive(u"outer.zip", root));
    ASSERT_TRUE(RegisterArchive(u"second.zip", root));
    EXPECT_EQ(Resources().archives.front()->prefix, root + u"levels/");
    EXPECT_EQ(read(root + u"levels/level1.properties"), "from=inner\n");
    EXPECT_EQ(StreamText(root + u"levels/level1.properties"), "from=inner\n");
    EXPECT_EQ(StreamText(root + u"both.txt"), "second") << "second.zip, registered last, is tried first";
    EXPECT_EQ(StreamText(root + u"only-outer.txt"), "1") << "and outer.zip after it";
}

TEST_F(ResourceLayer, CorruptMemberIsNotServed) {
    const fs::path zip = resources() / "resources.zip";
    WriteZip(zip, {{"data.txt", "PAYLOAD-0123456789", false}});
    std::string bytes = *ReadFile(zip);
    size_t at = bytes.find("PAYLOAD");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'X';  // stored data no longer matches its checksum
    WriteFile(zip, bytes);
    ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    EXPECT_FALSE(ReadResourceFile(path("data.txt")));
    EXPECT_EQ(OpenResource(path("data.txt"), "rb"), nullptr);
    EXPECT_EQ(EntryCount(tempFolderPath()), 0u);
}

// ---- Letter case ---------------------------------------------------------------------------------
// Names that differ from the files only in letter case, as templates written
// for a file system that ignores case have them: found in folders and in
// archives, but only after every exact name.

TEST_F(ResourceLayer, FoldersAndFilesAreFoundWhateverTheirCase) {
    WriteFile(resources() / "Models" / "Ghost.3DS", "ghost");
    WriteFile(resources() / "image1.jpg", "lower");
    WriteFile(resources() / "IMAGE1.JPG", "upper");
    EXPECT_EQ(read(path("models\\GHOST.3ds")), "ghost");
    EXPECT_EQ(StreamText(path("MODELS/ghost.3ds")), "ghost");
    // An exact name wins over its other spellings.
    EXPECT_EQ(read(path("image1.jpg")), "lower");
    EXPECT_EQ(read(path("IMAGE1.JPG")), "upper");
    EXPECT_EQ(read(path("Image1.Jpg")), "upper") << "the first match in byte order";
    EXPECT_EQ(read(path("models/ghost.3ds.bak")), "<none>");
    EXPECT_EQ(read(path("other/ghost.3ds")), "<none>");
}

TEST_F(ResourceLayer, ArchiveMembersAreFoundWhateverTheirCaseAfterEveryExactName) {
    WriteZip(resources() / "resources.zip",
             {{"Images/BG.gif", "member"}, {"images/bg.gif", "lower member"}, {"cover.properties", "archive"}, {"1", "1"},
              {std::string(255, 'n'), "fits"}, {std::string(256, 'n'), "too long"}});
    ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    WriteFile(resources() / "COVER.properties", "folder");
    EXPECT_EQ(read(path("images/bg.GIF")), "member");
    EXPECT_EQ(StreamText(path("IMAGES/bg.gif")), "member");
    EXPECT_EQ(read(path("cover.properties")), "archive") << "the exact member before the folder's other spelling";
    EXPECT_EQ(StreamText(path("cover.properties")), "archive");
    EXPECT_EQ(read(path("Cover.Properties")), "folder");
    EXPECT_EQ(read(path("images/bg.gif")), "lower member") << "an exact member before one spelt otherwise";
    EXPECT_EQ(StreamText(path("images/bg.gif")), "lower member");
    EXPECT_EQ(read(path("images/none.gif")), "<none>");
    EXPECT_EQ(StreamText(path("images/none.gif")), std::nullopt);
    EXPECT_EQ(read(path("1")), "1") << "a member whose last read is one byte";
    // A member name of 256 characters or more is refused, spelt either way.
    for (char n : {'n', 'N'}) {
        EXPECT_EQ(read(path(std::string(255, n))), "fits");
        EXPECT_EQ(read(path(std::string(256, n))), "<none>");
    }
}

// ---- Extraction and the temporary folder ---------------------------------------------------

TEST_F(ResourceLayer, AnExtractedCopyLivesUntilItsStreamClosesAndLeavesNothingOpen) {
    PrepareTempFolder();
    registerGameArchive();
    std::FILE* stream = OpenResource(path("images/bg.gif"), "rb");
    ASSERT_NE(stream, nullptr);
    const fs::path copy = tempFolderPath() / "images_bg.gif";
    EXPECT_EQ(fs::status(copy).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadAll(stream), "GIF89a-bg");
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(OpenResource(u"", "rb"), nullptr);
    EXPECT_EQ(OpenResource(path("a_b.gif"), nullptr), nullptr);
    // A mode the C library refuses: the copy is made, cannot be opened, and goes again.
    EXPECT_EQ(OpenResource(path("a_b.gif"), "q"), nullptr);
    EXPECT_EQ(EntryCount(tempFolderPath()), 0u);
    // Closing a stream read from the archive releases its descriptor.
    const long before = testhost::OpenDescriptorCount();
    for (int i = 0; i < 3; ++i) CloseResource(OpenResource(path("a_b.gif"), "rb"));
    CloseResource(nullptr);  // what a failed open gives back closes as nothing
    EXPECT_EQ(testhost::OpenDescriptorCount(), before);
    EXPECT_EQ(EntryCount(tempFolderPath()), 0u);
    // Run with standard input closed, the copy's descriptor may be 0.
    const int input = ::dup(0);
    ::close(0);
    const long withoutInput = testhost::OpenDescriptorCount();
    stream = OpenResource(path("images/bg.gif"), "rb");
    const std::string read = stream ? ReadAll(stream) : "";
    EXPECT_EQ(testhost::OpenDescriptorCount(), withoutInput);
    ::dup2(input, 0);
    ::close(input);
    EXPECT_EQ(read, "GIF89a-bg");
}

TEST_F(ResourceLayer, SlashAndUnderscoreMembersShareOneCopyName) {
    PrepareTempFolder();
    registerGameArchive();
    std::FILE* slash = OpenResource(path("a/b.gif"), "rb");
    ASSERT_NE(slash, nullptr);
    EXPECT_EQ(*ReadFile(tempFolderPath() / "a_b.gif"), "slash");
    std::FILE* underscore = OpenResource(path("a_b.gif"), "rb");
    ASSERT_NE(underscore, nullptr);
    EXPECT_EQ(*ReadFile(tempFolderPath() / "a_b.gif"), "underscore");
    EXPECT_EQ(EntryCount(tempFolderPath()), 1u);
    // The stream opened first still reads its own member.
    EXPECT_EQ(ReadAll(slash), "slash");
    EXPECT_EQ(ReadAll(underscore), "underscore");
    EXPECT_EQ(EntryCount(tempFolderPath()), 0u);
}

// Where no temporary folder can be made (its bases are files here, which stops
// root too), a member is extracted beside its archive.
TEST_F(ResourceLayer, WithoutATemporaryFolderAMemberIsExtractedBesideItsArchive) {
    WriteFile(root_ / "not-a-folder", "");
    runtime_.emplace("XDG_RUNTIME_DIR", (root_ / "not-a-folder").string());
    tmpdir_.emplace("TMPDIR", (root_ / "not-a-folder").string());
    registerGameArchive();
    std::FILE* stream = OpenResource(path("images/bg.gif"), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(TempFolder().empty());
    EXPECT_TRUE(fs::exists(resources() / host::ToUtf8(FlattenMemberName(u"images/bg.gif"))));
    EXPECT_EQ(ReadAll(stream), "GIF89a-bg");
}

TEST_F(ResourceLayer, TheTemporaryFolderIsEmptiedAtStartMadePrivateRemadeAndRemovedAtExit) {
    fs::create_directories(tempFolderPath());
    fs::permissions(tempFolderPath(), fs::perms::all, fs::perm_options::replace);
    WriteFile(tempFolderPath() / "stale1.gif", "old");
    WriteFile(tempFolderPath() / "keep" / "inner.txt", "x");
    PrepareTempFolder();
    EXPECT_EQ(TempFolder(), U16(tempFolderPath().string() + "/"));
    EXPECT_EQ(EntryCount(tempFolderPath()), 1u);
    EXPECT_TRUE(fs::exists(tempFolderPath() / "keep" / "inner.txt")) << "sub-folders are left alone";
    EXPECT_EQ(Mode(tempFolderPath()), 0700);
    // Removed since, with its shared parent, it is made again for the next copy.
    fs::remove_all(tempFolderPath().parent_path());
    registerGameArchive();
    std::FILE* stream = OpenResource(path("images/bg.gif"), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(Mode(tempFolderPath()), 0700);
    CloseAllResources();
    EXPECT_FALSE(fs::exists(tempFolderPath()));
    EXPECT_TRUE(Resources().archives.empty());
    std::fclose(stream);
}

TEST_F(ResourceLayer, EachProcessExtractsIntoItsOwnFolderAndClearsOnlyEndedOnes) {
    registerGameArchive();
    int toParent[2], toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // Another copy of the program: its own archive handle, its own start-up,
        // a copy held open while the first copy starts.
        CloseArchives();
        RegisterArchive(u"resources.zip", resources16());
        PrepareTempFolder();
        std::FILE* stream = OpenResource(path("a/b.gif"), "rb");
        std::string folder = U8(TempFolder());
        ssize_t sent = ::write(toParent[1], folder.data(), folder.size());
        char go;
        bool ok = stream && sent == ssize_t(folder.size()) && ::read(toChild[0], &go, 1) == 1;
        ::_exit(ok && ReadAll(stream, true) == "slash" ? 0 : 1);  // ends without clean-up
    }
    char buffer[4096];
    ssize_t got = ::read(toParent[0], buffer, sizeof buffer);
    ASSERT_GT(got, 0);
    const fs::path otherFolder = std::string(buffer, size_t(got));

    PrepareTempFolder();
    std::FILE* stream = OpenResource(path("a_b.gif"), "rb");  // the same copy name
    ASSERT_NE(stream, nullptr);
    EXPECT_NE(otherFolder, tempFolderPath());
    EXPECT_EQ(ReadFile(otherFolder / "a_b.gif"), "slash");
    EXPECT_EQ(ReadFile(tempFolderPath() / "a_b.gif"), "underscore");
    EXPECT_EQ(::write(toChild[1], "g", 1), 1);
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The next start-up clears what the ended process left, and only that.
    PrepareTempFolder();
    EXPECT_FALSE(fs::exists(otherFolder));
    EXPECT_EQ(ReadAll(stream), "underscore");
    CloseAllResources();
    EXPECT_FALSE(fs::exists(tempFolderPath().parent_path()));  // nobody else left
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
}

TEST_F(ResourceLayer, PlantedLinksAreNeverFollowed) {
    const fs::path victim = root_ / "victim";
    WriteFile(victim / "precious.txt", "keep me");
    fs::create_directories(tempFolderPath().parent_path());
    fs::create_directory_symlink(victim, tempFolderPath());
    PrepareTempFolder();
    EXPECT_NE(TempFolder(), U16(tempFolderPath().string() + "/"));
    EXPECT_EQ(ReadFile(victim / "precious.txt"), "keep me");

    registerGameArchive();
    std::FILE* stream = OpenResource(path("a_b.gif"), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(fs::exists(victim / "a_b.gif"));
    const fs::path fresh = U8(TempFolder());
    // A link at the copy name is replaced, not written through.
    fs::create_symlink(victim / "precious.txt", fresh / "images_bg.gif");
    EXPECT_EQ(StreamText(path("images/bg.gif")), "GIF89a-bg");
    EXPECT_TRUE(fs::exists(fresh / "a_b.gif"));
    EXPECT_EQ(Mode(fresh), 0700);
    CloseResource(stream);
    CloseAllResources();
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(ReadFile(victim / "precious.txt"), "keep me");
}

TEST_F(ResourceLayer, MemberNamesCannotLeaveTheTemporaryFolder) {
    PrepareTempFolder();
    WriteZip(resources() / "evil.zip", {{"../escape.txt", "1"},
                                         {"/absolute.txt", "2"},
                                         {"..\\..\\backslash.txt", "3"},
                                         {"..", "4"},
                                         {"sub/../../up.txt", "5"}});
    ASSERT_TRUE(RegisterArchive(u"evil.zip", resources16()));
    ResourceArchive& archive = *Resources().archives.front();
    const std::u16string folder = TempFolder();
    EXPECT_EQ(ExtractMember(archive, u"../escape.txt", folder), 0);
    EXPECT_EQ(ExtractMember(archive, u"/absolute.txt", folder), 0);
    EXPECT_EQ(ExtractMember(archive, u"..\\..\\backslash.txt", folder), 0);
    EXPECT_EQ(ExtractMember(archive, u"sub/../../up.txt", folder), 0);
    EXPECT_LT(ExtractMember(archive, u"..", folder), 0);
    EXPECT_LT(ExtractMember(archive, std::u16string(300, u'a'), folder), 0);
    EXPECT_LT(ExtractMember(archive, u"missing.gif", folder), 0);
    // The folder itself or its parent is never a member's name, even where
    // creating it would not fail.
    for (const char16_t* name : {u"", u".", u".."}) EXPECT_EQ(FlattenMemberName(name), u"");
    EXPECT_EQ(ReadFile(tempFolderPath() / ".._escape.txt"), "1");
    EXPECT_EQ(ReadFile(tempFolderPath() / "_absolute.txt"), "2");
    EXPECT_EQ(ReadFile(tempFolderPath() / ".._.._backslash.txt"), "3");
    EXPECT_EQ(ReadFile(tempFolderPath() / "sub_.._.._up.txt"), "5");
    EXPECT_EQ(EntryCount(tempFolderPath()), 4u);
    EXPECT_EQ(EntryCount(root_ / "run"), 1u);
    EXPECT_FALSE(fs::exists(root_ / "escape.txt"));
    EXPECT_FALSE(fs::exists("/absolute.txt"));
}

// ---- Read-only installs ------------------------------------------------------------------------

TEST(ResourceFolder, LiesBesideTheProgramFolder) {
    const fs::path program = U8(host::ModulePath());
    const fs::path expected = program.parent_path().parent_path() / "resources";
    EXPECT_EQ(ResourceFolder(), U16(expected.string() + "/"));
    // An installed layout next to the build does not take its place.
    const fs::path share = program.parent_path().parent_path() / "share";
    const bool hadShare = fs::exists(share);
    fs::create_directories(program.parent_path() / KARROWEN_INSTALLED_RESOURCES);
    EXPECT_EQ(ResourceFolder(), U16(expected.string() + "/"));
    if (!hadShare) fs::remove_all(share);
}

TEST_F(ResourceLayer, OverlaysApplyOnlyToAReadOnlyFolderWhereEarlierFullCopiesNoLongerHideFiles) {
    EXPECT_TRUE(OverlayPath(path("scores.properties"), OverlayKind::PlayerData).empty());
    WriteFile(resources() / "Cover.properties", "title=new version\n");
    WriteFile(root_ / "share" / "karrowen" / "resources" / "Cover.properties", "title=old copy\n");
    fs::permissions(resources(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    ConfigureResourceFolder(resources16());
    EXPECT_EQ(OverlayPath(path("Levels\\level1.properties"), OverlayKind::Settings),
              U16((root_ / "config" / "karrowen" / "Levels" / "level1.properties").string()));
    EXPECT_EQ(OverlayPath(path("scores.properties"), OverlayKind::PlayerData),
              U16((root_ / "share" / "karrowen" / "scores.properties").string()));
    EXPECT_EQ(LegacyUserCopyPath(path("scores.properties")),
              U16((root_ / "share" / "karrowen" / "resources" / "scores.properties").string()));
    EXPECT_TRUE(OverlayPath(U16((root_ / "elsewhere.properties").string()), OverlayKind::Settings).empty());
    EXPECT_TRUE(OverlayPath(resources16(), OverlayKind::Settings).empty());
    // Named without its last "/", the folder is still a folder: a sibling whose
    // name it begins is not inside it.
    ConfigureResourceFolder(U16(resources().string()));
    EXPECT_TRUE(OverlayPath(U16(resources().string() + "-old/a.properties"), OverlayKind::Settings).empty());
    EXPECT_EQ(OverlayPath(path("a.properties"), OverlayKind::Settings),
              U16((root_ / "config" / "karrowen" / "a.properties").string()));
    EXPECT_EQ(read(path("Cover.properties")), "title=new version\n");
    EXPECT_EQ(StreamText(path("Cover.properties"), "r"), "title=new version\n");
}

}  // namespace
