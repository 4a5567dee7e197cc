#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "core/Dosya.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {

using Katalog = std::map<std::string, std::string>;

Katalog katalog(const std::string& dil) {
    Katalog k;
    for (const auto& e : std::filesystem::directory_iterator(UygulamaBilgisi::kaynaklar() + "/" + dil + ".lproj"))
        if (auto j = jsonOku<Katalog>(e.path().string())) k.merge(*j);
    return k;
}

// The values a format fills, in order.
std::vector<std::string> yertutucular(const std::string& s) {
    static const std::regex y("%%|%(@|lld|ld|d)");
    std::vector<std::string> out;
    for (std::sregex_iterator it(s.begin(), s.end(), y), son; it != son; ++it)
        if (it->str() != "%%") out.push_back(it->str());
    return out;
}

}  // namespace

// The language follows the environment as it is now, also after another
// language was in use in the same process.
TEST(Yerel, LanguageFollowsTheEnvironmentAndFormatsFillInOrder) {
    struct Durum { const char *language, *lcAll, *lang; std::string dil, surum; };
    unsetenv("LC_MESSAGES");
    for (const auto& d : std::vector<Durum>{{nullptr, nullptr, "tr_TR.UTF-8", "tr", "erken sürüm"},
                                           {"xx:de", nullptr, "C.UTF-8", "en", "early version"},
                                           {nullptr, "tr_TR.UTF-8", "C", "tr", "erken sürüm"},
                                           {nullptr, nullptr, "C", "en", "early version"}}) {
        for (auto [ad, deger] : {std::pair{"LANGUAGE", d.language}, std::pair{"LC_ALL", d.lcAll}, std::pair{"LANG", d.lang}})
            deger ? setenv(ad, deger, 1) : unsetenv(ad);
        EXPECT_EQ(Yerel::dil(), d.dil) << d.lang;
        EXPECT_EQ(Yerel::metin("early version"), d.surum);
    }
    EXPECT_EQ(Yerel::bicim("DONE: %@, %@ sent, %lld files (100%%)", {"a", "1 KB", "3"}),
              "DONE: a, 1 KB sent, 3 files (100%)");
    EXPECT_EQ(Yerel::bicim("%@ and %@", {"tek"}), "tek and ");
    EXPECT_EQ(Yerel::metin("no such key"), "no such key");
}

// English words for this system only the keys that name another system's
// things, and is what an English interface shows; Turkish words the same keys
// the same way; both fill the same values as the key.
TEST(Yerel, EnglishCatalogWordsForeignKeysForThisSystemAndTurkishFollows) {
    const Katalog en = katalog("en"), tr = katalog("tr");
    ASSERT_FALSE(en.empty());
    for (const char* v : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(v);
    setenv("LANG", "C", 1);
    for (const auto& [anahtar, deger] : en) {
        SCOPED_TRACE(anahtar);
        EXPECT_TRUE(TestOrtami::yabanciSozcukVar(anahtar));
        EXPECT_FALSE(TestOrtami::yabanciSozcukVar(deger)) << deger;
        EXPECT_EQ(yertutucular(deger), yertutucular(anahtar)) << deger;
        EXPECT_EQ(Yerel::metin(anahtar), deger);
        ASSERT_TRUE(tr.contains(anahtar));
        EXPECT_FALSE(TestOrtami::yabanciSozcukVar(tr.at(anahtar))) << tr.at(anahtar);
        EXPECT_EQ(yertutucular(tr.at(anahtar)), yertutucular(anahtar)) << tr.at(anahtar);
    }
    for (const auto& [anahtar, deger] : tr)
        EXPECT_TRUE(en.contains(anahtar) || !TestOrtami::yabanciSozcukVar(anahtar + deger)) << anahtar;
}
