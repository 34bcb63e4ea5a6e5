#include "core/media/PlayListEntryPolicy.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

// What the station makes of each entry, with test sources off and on: the source the engine
// opens, or "refused".
TEST(PlayListEntryPolicyTest, LocalFilesAlwaysTestSourcesWhenAllowedNothingElse) {
    const std::string refused = "refused";
    struct Case {
        std::string entry;
        std::string off;
        std::string on;
    } cases[] = {
        {"a.avi", "./a.avi", "./a.avi"},
        {"media\\cards\\a.jpg", "./media/cards/a.jpg", "./media/cards/a.jpg"},
        {"/srv/media/a.avi", "/srv/media/a.avi", "/srv/media/a.avi"},
        {"C:\\clips\\a.avi", "./C:/clips/a.avi", "./C:/clips/a.avi"},
        {".\\av:x.mp4", "./av:x.mp4", "./av:x.mp4"},
        {"-", "./-", "./-"},
        {"media\\", "./media/", "./media/"},
        {"a.avi\x03", "./a.avi\x03", "./a.avi\x03"},
        {"", refused, refused},
        {"/dev/zero", refused, refused},
        {"\\dev\\null", refused, refused},
        {"/proc/self/fd/0", refused, refused},
        {std::string("a.avi\0http://x/", 15), refused, refused},
        {"av:x.mp4", refused, refused},
        {"http://127.0.0.1:8080/", refused, refused},
        {"ftp://user:pw@127.0.0.1/a.avi", refused, refused},
        {"file:///etc/passwd", refused, refused},
        {"lavf://lavfi:testsrc", refused, refused},
        {"edl://a.avi,0,1", refused, refused},
        {"AV://lavfi:testsrc", refused, refused},
        {"av://lavfi:testsrc", refused, "av://lavfi:testsrc"},
        {"av://lavfi:testsrc2=size=320x240:rate=30000/1001:duration=2.5", refused,
         "av://lavfi:testsrc2=size=320x240:rate=30000/1001:duration=2.5"},
        {"av://lavfi:smptebars=s=vga:r=25:d=-1", refused, "av://lavfi:smptebars=s=vga:r=25:d=-1"},
        {"av://lavfi:rgbtestsrc=d=1", refused, "av://lavfi:rgbtestsrc=d=1"},
        {"av://lavfi:color=c=#FF00FF@0.5:s=64x48", refused,
         "av://lavfi:color=c=#FF00FF@0.5:s=64x48"},
        {"av://lavfi:testsrc=c=red", refused, refused},
        {"av://lavfi:testsrc=d=1,metadata=mode=print:file=/tmp/x", refused, refused},
        {"av://lavfi:testsrc,signalstats,metadata=print:file=x", refused, refused},
        {"av://lavfi:testsrc=file=/tmp/x", refused, refused},
        {"av://lavfi:testsrc[out0];movie=a.avi", refused, refused},
        {"av://lavfi:testsrc=d='1'", refused, refused},
        {"av://lavfi:testsrc=d=1:", refused, refused},
        {"av://lavfi:testsrc=d", refused, refused},
        {"av://lavfi:testsrc=d=", refused, refused},
        {"av://lavfi:movie=a.avi", refused, refused},
        {"av://lavfi:sine", refused, refused},
        {"av://lavfi:", refused, refused},
        {"av://lavfi:testsrc\x03", refused, refused},
    };
    for (const Case& c : cases) {
        for (const bool testSources : {false, true}) {
            const auto verdict = PlayListEntryPolicy(testSources).Check(c.entry);
            EXPECT_EQ(verdict.Accepted() ? verdict.source : refused, testSources ? c.on : c.off)
                << c.entry << (testSources ? " with" : " without") << " test sources";
        }
    }
}

} // namespace
} // namespace qx44
