#include <gtest/gtest.h>

#include "agent/Bildirim.hpp"
#include "agent/Izinler.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(Bildir, ScriptArgumentsCarryTitleAndTextUnchanged) {
    SahteArac osascript(TestOrtami::araclar(), "osascript");
    bildir("yok sayılır");  // the test world has BRIMVALE_BILDIRIM_YOK
    EXPECT_TRUE(osascript.cagrilar().empty());

    unsetenv("BRIMVALE_BILDIRIM_YOK");
    std::string metin = "Disk \"Yedek\" \\ hazır; end run\n2";
    bildir(metin);
    auto c = osascript.cagrilar();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].args, (std::vector<std::string>{"-e", "on run a", "-e",
                                                   "display notification (item 2 of a) with title (item 1 of a)", "-e",
                                                   "end run", "Ondrak Brimvale", metin}));
}

TEST(Izinler, TestRunsNeverAskTheSystem) {
    EXPECT_TRUE(Izinler::denemede());
    setenv("BRIMVALE_IZIN_DENE", "1", 1);
    EXPECT_FALSE(Izinler::denemede());
    EXPECT_TRUE(Izinler::tamDiskErisimi());
}
