#include <gtest/gtest.h>

#include <filesystem>

#include "core/Tercihler.hpp"
#include "temel/Dosya.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

// One file per domain in the user's configuration folder: a value is stored
// beside the others, the file is always whole JSON, and removing the domain
// leaves other programs' files alone.
TEST(Tercihler, KeptBesideEachOtherInTheConfigurationFolderAndRemovedWhole) {
    struct Durum { const char* ad; std::optional<std::string> xdg; std::string yol; };
    for (const auto& d : std::vector<Durum>{
             {"XDG_CONFIG_HOME", TestOrtami::kok() + "/ayar", TestOrtami::kok() + "/ayar/com.ondrak.brimvale.json"},
             {"unset", std::nullopt, TestOrtami::ev() + "/.config/com.ondrak.brimvale.json"},
             {"relative, so not used", "goreli", TestOrtami::ev() + "/.config/com.ondrak.brimvale.json"},
         }) {
        SCOPED_TRACE(d.ad);
        if (d.xdg) setenv("XDG_CONFIG_HOME", d.xdg->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        ASSERT_EQ(Tercihler::yol(), d.yol);
        TestOrtami::dosyaYaz(fs::path(d.yol).parent_path() / "baska.json", "{}");
        EXPECT_EQ(Tercihler::oku("eskiYedekUyariGunu"), std::nullopt);
        Tercihler::yaz("eskiYedekUyariGunu", 20426);
        Tercihler::yaz("baska", "metin");
        Tercihler::yaz("eskiYedekUyariGunu", 20427);
        EXPECT_EQ(Tercihler::oku("eskiYedekUyariGunu"), nlohmann::json(20427));
        EXPECT_EQ(Tercihler::oku("baska"), nlohmann::json("metin"));
        EXPECT_EQ(nlohmann::json::parse(*oku(d.yol)), (nlohmann::json{{"baska", "metin"}, {"eskiYedekUyariGunu", 20427}}));
        Tercihler::alaniSil();
        EXPECT_FALSE(fs::exists(d.yol));
        EXPECT_TRUE(fs::exists(fs::path(d.yol).parent_path() / "baska.json"));
        EXPECT_EQ(Tercihler::oku("baska"), std::nullopt);
        Tercihler::alaniSil();  // twice: nothing there
    }
}

// A damaged file reads as no preferences and is replaced by the next write.
TEST(Tercihler, ADamagedFileReadsAsEmptyAndIsReplacedWhole) {
    for (const char* bozuk : {"{\"eskiYedekUyariGunu\": ", "[1, 2]", "\"metin\""}) {
        SCOPED_TRACE(bozuk);
        TestOrtami::dosyaYaz(Tercihler::yol(), bozuk);
        EXPECT_EQ(Tercihler::oku("eskiYedekUyariGunu"), std::nullopt);
        Tercihler::yaz("eskiYedekUyariGunu", 1);
        EXPECT_EQ(nlohmann::json::parse(*oku(Tercihler::yol())), (nlohmann::json{{"eskiYedekUyariGunu", 1}}));
    }
}
