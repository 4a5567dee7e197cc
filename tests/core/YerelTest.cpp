#include <gtest/gtest.h>

#include "core/Yerel.hpp"

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
