#include "platform/host/port_options.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

TEST(PortOptions, VolumeAndThreadsAreReadAndEveryBadLineIsNamedOnce) {
    std::vector<std::string> warnings;
    const PortOptions options = ParsePortOptions(
        "# the player's options\n\n  volume = 35  \nvolume=101\nvolume=-4\nvolume=\nloudness=3\nvolume 20\n"
        "threads=3\nthreads=0\nthreads=65\n",
        "k.conf", warnings);
    EXPECT_EQ(options.volume, 35);
    EXPECT_EQ(options.threads, 3);
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "k.conf:4: volume must be a whole number from 0 to 100, not '101'",
                            "k.conf:5: volume must be a whole number from 0 to 100, not '-4'",
                            "k.conf:6: volume must be a whole number from 0 to 100, not ''",
                            "k.conf:7: unknown option 'loudness'",
                            "k.conf:8: expected key=value",
                            "k.conf:10: threads must be a whole number from 1 to 64, not '0'",
                            "k.conf:11: threads must be a whole number from 1 to 64, not '65'",
                        }));

    warnings.clear();
    EXPECT_EQ(ParsePortOptions("volume=0\r\n", "k.conf", warnings).volume, 0);
    EXPECT_EQ(ParsePortOptions("", "k.conf", warnings).volume, 100);
    EXPECT_TRUE(warnings.empty());
}

// A single improvement must win over play= even when written before it, else a
// player's "camera=original" above "play=enhanced" would silently be ignored.
TEST(PortOptions, SingleImprovementsApplyOverThePlayStyleWhereverTheyStand) {
    std::vector<std::string> warnings;
    PlayStyle expected = PlayStyle::Enhanced();
    expected.camera = false;
    EXPECT_EQ(ParsePortOptions("camera=original\nplay=enhanced\n", "k.conf", warnings).play, expected);

    expected = PlayStyle::Original();
    expected.respawn = true;
    EXPECT_EQ(ParsePortOptions("play=original\nrespawn=enhanced\nmusic=loud\nplay=fancy\n", "k.conf", warnings).play,
              expected);
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "k.conf:3: music must be original or enhanced, not 'loud'",
                            "k.conf:4: play must be original or enhanced, not 'fancy'",
                        }));
}

// The settings page writes into the player's own file: a comment, a line the
// reader rejects, an unknown key and the order must survive, and only the
// line the reader obeys (the last) may change, else the page's choice would
// be overruled by a later line.
TEST(PortOptions, TheWriterSetsTheObeyedLineAndKeepsEverythingElse) {
    const std::string before =
        "# mine\nvolume=30\nloudness=3\n  volume = 40\nthreads=2\n#play=enhanced\nfullscreen=maybe";
    const std::string after = UpdatePortOptions(before, {{"volume", "70"}, {"play", "enhanced"}, {"fullscreen", "on"}});
    EXPECT_EQ(after,
              "# mine\nvolume=30\nloudness=3\nvolume=70\nthreads=2\n#play=enhanced\nfullscreen=on\nplay=enhanced\n");
    std::vector<std::string> warnings;
    const PortOptions read = ParsePortOptions(after, "k.conf", warnings);
    EXPECT_EQ(read.volume, 70);
    EXPECT_EQ(read.threads, 2);
    EXPECT_TRUE(read.fullscreen);
    EXPECT_EQ(read.play, PlayStyle::Enhanced());
    EXPECT_EQ(warnings, std::vector<std::string>{"k.conf:3: unknown option 'loudness'"});
    EXPECT_EQ(UpdatePortOptions("", {{"fullscreen", "off"}}), "fullscreen=off\n");
}

}  // namespace
