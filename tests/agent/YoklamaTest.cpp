#include <gtest/gtest.h>

#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Araclar.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

TEST(AjanYokla, AnAgentThatStartsRemovesTheMarker) {
    SahteArac launchctl(TestOrtami::araclar(), "launchctl");
    launchctl.betik("rm -f \"$BRIMVALE_DURUM/yoklama\"");
    Saat::SahteSaat saat;
    Saat::kaynakKur(&saat);
    EXPECT_TRUE(Kurulum::ajanYokla());
    Saat::kaynakKur(nullptr);
    ASSERT_EQ(launchctl.cagrilar().size(), 1u);
    EXPECT_EQ(launchctl.cagrilar()[0].args, (std::vector<std::string>{"kickstart", Servis::hedef()}));
    EXPECT_EQ(saat.beklemeSayisi, 0);
}

TEST(AjanYokla, NoAgentGivesFalseAfterFiveSecondsAndLeavesNoMarker) {
    SahteArac launchctl(TestOrtami::araclar(), "launchctl");
    std::string gordu = TestOrtami::kok() + "/gordu";
    launchctl.betik("test -e \"$BRIMVALE_DURUM/yoklama\" && touch '" + gordu + "'");
    Saat::SahteSaat saat;
    Saat::kaynakKur(&saat);
    EXPECT_FALSE(Kurulum::ajanYokla());
    Saat::kaynakKur(nullptr);
    EXPECT_EQ(saat.beklemeSayisi, 20);
    EXPECT_DOUBLE_EQ(saat.toplamBekleme, 5);
    EXPECT_FALSE(fs::exists(Yol::yoklama()));
    EXPECT_EQ(launchctl.cagrilar().size(), 1u);
    EXPECT_TRUE(fs::exists(gordu));  // the marker was there when the agent was asked to start
}
