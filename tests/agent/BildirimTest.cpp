#include <gtest/gtest.h>

#include "agent/Bildirim.hpp"
#include "agent/Izinler.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(Bildir, TheTextReachesTheScriptUnchangedUnlessNotificationsAreOff) {
    SahteArac osascript(TestOrtami::araclar(), "osascript");
    bildir("yok sayılır");  // the test world has BRIMVALE_BILDIRIM_YOK
    EXPECT_TRUE(osascript.cagrilar().empty());
    unsetenv("BRIMVALE_BILDIRIM_YOK");
    std::string metin = "Disk \"Yedek\" \\ hazır; end run\n2";
    bildir(metin);
    auto c = osascript.cagrilar();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].args.back(), metin);
}

// Only a private state folder makes a test run, and a test may still ask.
TEST(Izinler, TestRunsNeverAskTheSystem) {
    struct Durum { bool ozelDurum, dene, denemede; };
    for (auto d : std::vector<Durum>{{true, false, true}, {true, true, false}, {false, false, false}}) {
        if (!d.ozelDurum) unsetenv("BRIMVALE_DURUM");
        if (d.dene) setenv("BRIMVALE_IZIN_DENE", "1", 1);
        EXPECT_EQ(Izinler::denemede(), d.denemede) << d.ozelDurum << d.dene;
        setenv("BRIMVALE_DURUM", (TestOrtami::kok() + "/durum").c_str(), 1);
        unsetenv("BRIMVALE_IZIN_DENE");
    }
}
