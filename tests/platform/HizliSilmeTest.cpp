#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "platform/Platform.hpp"
#include "tests/support/DenemeDiski.hpp"
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

namespace {

// A gocryptfs image in the test's folder, mounted as asked and unmounted when
// it goes, also after a failed test.
struct Sifreli {
    std::string kok = TestOrtami::kok() + "/sifreli", yer = TestOrtami::kok() + "/duz";
    Sifreli() {
        fs::create_directories(kok);
        fs::create_directories(yer);
        EXPECT_EQ(komut("/usr/bin/gocryptfs", {"-init", "-q", "-scryptn", "10", kok}, std::string("parola\n")).kod, 0);
    }
    ~Sifreli() { ayir(); }
    void bagla(const std::optional<std::string>& soket) {
        std::vector<std::string> args = {"-nosyslog", "-q"};
        if (soket) args.insert(args.end(), {"-ctlsock", *soket});
        args.insert(args.end(), {kok, yer});
        // Its output goes to a file: the daemon it leaves behind keeps it open.
        std::string kayit = TestOrtami::kok() + "/gocryptfs.txt";
        ASSERT_EQ(komut("/usr/bin/gocryptfs", args, std::string("parola\n"), kayit, kayit).kod, 0)
            << oku(kayit).value_or("");
        soket_ = soket;
    }
    // The daemon removes its socket as it ends; the next mount may want it.
    void ayir() {
        komut("/usr/bin/fusermount3", {"-u", yer});
        if (soket_) kosulBekle([&] { return !fs::exists(*soket_); }, 10);
        soket_.reset();
    }
    std::optional<std::string> soket_;
};

std::string icerik(const std::string& yol) {
    std::ifstream f(yol);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

}  // namespace

// On a real image: without a socket, or with one in a folder others may
// enter, nothing is touched; with a private one the tree goes and the copy
// sharing its files keeps them.
TEST(HizliSilme, RealImageOnlyThroughAPrivateSocketAndOtherCopiesKeepTheirFiles) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0 || ::access("/usr/bin/gocryptfs", X_OK) != 0 ||
        ::access("/usr/bin/fusermount3", X_OK) != 0)
        GTEST_SKIP() << "needs /dev/fuse, gocryptfs and fusermount3";
    Sifreli s;
    std::string klasor = TestOrtami::kok() + "/soket";
    fs::create_directories(klasor);
    std::string kalan = s.yer + "/yedekler/2026-12-06_091200/Belgeler", gizli = s.yer + "/yedekler/.silinecek-x";
    s.bagla(std::nullopt);
    for (int i = 0; i < 20; ++i) TestOrtami::dosyaYaz(kalan + "/k" + std::to_string(i % 4) + "/d" + std::to_string(i), std::to_string(i));
    fs::create_directories(gizli + "/Belgeler");
    fs::copy(kalan, gizli + "/Belgeler", fs::copy_options::recursive | fs::copy_options::create_hard_links);
    fs::create_symlink(s.kok, gizli + "/Belgeler/kok");  // never followed
    ::chmod((gizli + "/Belgeler/k1").c_str(), 0555);
    s.ayir();

    struct Durum {
        const char* ad;
        std::optional<mode_t> soketKlasoru;  // nothing: no socket
        bool silinir;
    };
    for (const auto& d : std::vector<Durum>{{"no socket", std::nullopt, false},
                                            {"socket folder open to others", 0755, false},
                                            {"private socket", 0700, true}}) {
        SCOPED_TRACE(d.ad);
        if (d.soketKlasoru) ::chmod(klasor.c_str(), *d.soketKlasoru);
        s.bagla(d.soketKlasoru ? std::optional(klasor + "/g.sock") : std::nullopt);
        auto neden = Platform::agaciHizliSil(gizli);
        EXPECT_EQ(!neden.has_value(), d.silinir) << neden.value_or("");
        EXPECT_EQ(fs::exists(gizli), !d.silinir);
        for (int i = 0; i < 20; ++i) {
            std::string yol = kalan + "/k" + std::to_string(i % 4) + "/d" + std::to_string(i);
            EXPECT_EQ(icerik(yol), std::to_string(i));
            EXPECT_EQ(fs::hard_link_count(yol), d.silinir ? 1u : 2u);
        }
        EXPECT_TRUE(fs::exists(s.kok + "/gocryptfs.conf"));
        s.ayir();
    }
}
