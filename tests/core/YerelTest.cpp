#include <gtest/gtest.h>

#include "core/Saat.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"

TEST(Yerel, FormatsFillInOrder) {
    EXPECT_EQ(Yerel::bicim("DONE: %@, %@ sent, %lld files (100%%)", {"a", "1 KB", "3"}),
              "DONE: a, 1 KB sent, 3 files (100%)");
    EXPECT_EQ(Yerel::bicim("%@ and %@", {"tek"}), "tek and ");
    EXPECT_EQ(Yerel::metin("no such key"), "no such key");
}

TEST(Yerel, TurkishCatalogForATurkishUser) {
    setenv("LANG", "tr_TR.UTF-8", 1);
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(Yerel::dil(), "tr");
    EXPECT_EQ(Yerel::metin("early version"), "erken sürüm");
}

TEST(Yerel, UnknownLanguageFallsBackToEnglish) {
    setenv("LANGUAGE", "xx:de", 1);
    setenv("LANG", "C.UTF-8", 1);
    EXPECT_EQ(Yerel::dil(), "en");
    EXPECT_EQ(Yerel::metin("early version"), "early version");
}
