#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/Platform.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

// The daemon's answer names the folder that is emptied on the disk: anything
// that could reach outside the hidden folder, or the image's own files, is
// refused.
TEST(HizliSilme, OnlyACipherPathStrictlyInsideTheImageAndOfTheSameDepthIsTaken) {
    struct Durum {
        const char* duz;
        const char* sifreli;
        bool kabul;
    };
    for (const auto& d : std::vector<Durum>{
             {"yedekler/.silinecek-2026-12-05_091200", "mzaAEi43_HPaTY88ESEpwA/VgDq8vqVwn6xi5w33B_DqQ", true},
             {".silinecek-x", "VgDq8vqVwn6xi5w33B_DqQ", true},
             {"yedekler/.silinecek-x", "gocryptfs.longname.Q2x6/VgDq8", true},
             {"yedekler/.silinecek-x", "", false},
             {"yedekler/.silinecek-x", "/etc/passwd", false},
             {"yedekler/.silinecek-x", "/abc", false},
             {"yedekler/.silinecek-x", "abc/..", false},
             {"yedekler/.silinecek-x", "../abc", false},
             {"yedekler/.silinecek-x", "./abc", false},
             {"yedekler/.silinecek-x", "abc", false},          // one up: the folder holding every copy
             {"yedekler/.silinecek-x", "abc/def/ghi", false},  // one down
             {"yedekler/.silinecek-x", "abc//def", false},
             {"yedekler/.silinecek-x", "abc/def/", false},
             {".silinecek-x", "gocryptfs.conf", false},
             {".silinecek-x", "gocryptfs.diriv", false},
             {"yedekler/.silinecek-x", "abc/gocryptfs.diriv", false},
             {"yedekler/../.silinecek-x", "abc/def/ghi", false},
         }) {
        EXPECT_EQ(!Platform::sifreliYolDenetle(d.duz, d.sifreli).has_value(), d.kabul) << d.duz << " -> " << d.sifreli;
    }
    EXPECT_TRUE(Platform::sifreliYolDenetle("a/b", std::string("abc/d\0f", 7)).has_value());
}

TEST(HizliSilme, AnswersOfTheControlSocket) {
    struct Durum {
        std::string cevap;
        std::optional<std::string> yol;  // nothing: refused
    };
    for (const auto& d : std::vector<Durum>{
             {R"({"Result":"mza/VgD","ErrNo":0,"ErrText":"","WarnText":""})" "\n", "mza/VgD"},
             {R"({"Result":"","ErrNo":-1,"ErrText":"Empty input after canonicalization","WarnText":"x"})", {}},
             // Read as another path than was asked.
             {R"({"Result":"mza","ErrNo":0,"ErrText":"","WarnText":"Non-canonical input path"})", {}},
             {R"({"ErrNo":0})", {}},
             {R"({"Result":7,"ErrNo":0})", {}},
             {R"({"Result":"mza","ErrNo":"0"})", {}},
             {R"(["mza"])", {}},
             {"", {}},
             {"{\"Result\":\"mza\",\"ErrNo\":0", {}},
         }) {
        auto r = Platform::sifreliYolCevabi(d.cevap);
        auto* yol = std::get_if<std::string>(&r);
        EXPECT_EQ(yol ? std::optional(*yol) : std::nullopt, d.yol) << d.cevap;
    }
}

TEST(HizliSilme, ControlSocketOnTheDaemonsCommandLine) {
    using A = std::vector<std::string>;
    struct Durum {
        A args;
        std::optional<std::string> soket;
    };
    for (const auto& d : std::vector<Durum>{
             {{"/usr/bin/gocryptfs", "-nosyslog", "-q", "-ctlsock", "/run/user/0/brimvale/g.sock", "/c", "/m"},
              "/run/user/0/brimvale/g.sock"},
             {{"gocryptfs", "-ctlsock=/d/g.sock", "/c", "/m"}, "/d/g.sock"},
             {{"gocryptfs", "--ctlsock", "/d/g.sock", "/c", "/m"}, "/d/g.sock"},
             {{"gocryptfs", "-nosyslog", "/c", "/m"}, std::nullopt},
             {{"gocryptfs", "-ctlsock=", "/c", "/m"}, std::nullopt},
             {{"gocryptfs", "-ctlsock"}, std::nullopt},
         })
        EXPECT_EQ(Platform::kontrolSoketi(d.args), d.soket);
}

// Outside a gocryptfs image nothing is touched: the caller's plain removal
// does the work.
TEST(HizliSilme, OutsideAnImageNothingIsRemoved) {
    std::string agac = TestOrtami::kok() + "/yedekler/.silinecek-2026-12-05_091200";
    TestOrtami::dosyaYaz(agac + "/Belgeler/a.txt", "a");
    ::chmod((agac + "/Belgeler").c_str(), 0555);
    for (const auto& yol : {agac, std::string("yedekler/.silinecek-x"), TestOrtami::kok() + "/yok/.silinecek-x",
                            std::string("/")}) {
        EXPECT_TRUE(Platform::agaciHizliSil(yol).has_value()) << yol;
    }
    std::ifstream f(agac + "/Belgeler/a.txt");
    std::string icerik((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(icerik, "a");
    ::chmod((agac + "/Belgeler").c_str(), 0755);
}
