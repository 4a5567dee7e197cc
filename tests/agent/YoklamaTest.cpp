#include <gtest/gtest.h>

#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "temel/Dosya.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

TEST(AjanYokla, TrueOnceTheAgentRemovesTheMarkerElseFalseAfterFiveSeconds) {
    struct Durum { std::string ad, ajan; bool cevap; int bekleme; double sure; };
    const std::string gordu = TestOrtami::kok() + "/gordu";
    for (const auto& d : std::vector<Durum>{
             {"the agent starts", "rm -f \"$BRIMVALE_DURUM/yoklama\"", true, 0, 0},
             {"no agent", "true", false, 20, 5},
         }) {
        fs::remove(gordu);
        SahteArac launchctl(TestOrtami::araclar(), "launchctl");
        launchctl.betik("test -e \"$BRIMVALE_DURUM/yoklama\" && touch '" + gordu + "'; " + d.ajan);
        Saat::SahteSaat saat;
        Saat::kaynakKur(&saat);
        EXPECT_EQ(Kurulum::ajanYokla(), d.cevap) << d.ad;
        Saat::kaynakKur(nullptr);
        EXPECT_EQ(saat.beklemeSayisi, d.bekleme) << d.ad;
        EXPECT_DOUBLE_EQ(saat.toplamBekleme, d.sure) << d.ad;
        EXPECT_EQ(launchctl.cagrilar().size(), 1u) << d.ad;
        EXPECT_TRUE(fs::exists(gordu)) << d.ad << ": the marker was there when the agent was asked to start";
        EXPECT_FALSE(fs::exists(Yol::yoklama())) << d.ad;
    }
}

// The agent started only to answer the probe takes the marker away and does
// nothing else, not even a backup asked for by hand.
TEST(AjanYokla, TheProbeNeverStartsABackup) {
    atomikYaz(Yol::yoklama(), "");
    atomikYaz(Yol::simdi(), "");
    auto c = TestOrtami::calistir({"--ajan"});
    EXPECT_EQ(c.kod, 0) << c.cikti << c.hata;
    EXPECT_FALSE(fs::exists(Yol::yoklama()));
    EXPECT_TRUE(fs::exists(Yol::simdi())) << "a run would have taken the back-up-now marker";
    EXPECT_EQ(TestOrtami::gunluk(), "");
}
