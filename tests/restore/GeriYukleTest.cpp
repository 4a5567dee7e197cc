// Restoring in place, undo, the Trash action and saving elsewhere, with the
// real copier stand-in; a failing fake copier for the roll-back.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Saat.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"
#include "tests/restore/GeriYukleOrtami.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"

namespace fs = std::filesystem;
using namespace GeriYukleOrtami;

namespace {

std::string cop() { return TestOrtami::kok() + "/cop"; }

std::vector<std::string> copteki() {
    std::vector<std::string> v;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(cop(), ec)) v.push_back(oku(e.path().string()).value_or("<klasor>"));
    return v;
}

GeriYukle::Hata::Tur hatasi(const std::function<void()>& f) {
    try {
        f();
    } catch (const GeriYukle::Hata& h) {
        return h.tur;
    }
    ADD_FAILURE() << "no GeriYukle::Hata";
    return {};
}

struct GeriYukleme_ : testing::Test {
    Saat::SahteSaat saat{*Kopyalar::tarih("2026-12-05_091207")};
    void SetUp() override {
        DenemeDiski::yardimcilariKur();
        setenv("BRIMVALE_COP", cop().c_str(), 1);
        Saat::kaynakKur(&saat);
    }
    void TearDown() override { Saat::kaynakKur(nullptr); }
    GeriYukleme geriYukle(const std::string& rel) { return GeriYukle::yerineKoy(A, rel, ayarlar()); }
};
struct YerineKoyma : GeriYukleme_ {};
struct Geri : GeriYukleme_ {};

}  // namespace

// The current item is kept under "(replaced <minute>)", the stem being the
// whole name for folders and dot files; the version keeps its metadata; the
// folders above keep their permissions.
TEST_F(YerineKoyma, KeepsTheCurrentItemAsideAndTheVersionAsItWas) {
    struct {
        const char *ad, *damgali;
        bool klasor;
    } durumlar[] = {
        {"Report.pdf", "Report (replaced 2026-12-05 09.12).pdf", false},
        {"rapor.son.pdf", "rapor.son (replaced 2026-12-05 09.12).pdf", false},
        {"Photos.2024", "Photos.2024 (replaced 2026-12-05 09.12)", true},
        {".bashrc", ".bashrc (replaced 2026-12-05 09.12)", false},
    };
    fs::create_directories(mac());
    ::chmod(mac().c_str(), 0750);
    for (const auto& d : durumlar) {
        std::string rel = std::string("Belgeler/") + d.ad, yedek = kopyada(A, rel), hedef = mac() + "/" + d.ad;
        std::string dosyaYedek = d.klasor ? yedek + "/ic.txt" : yedek, dosyaHedef = d.klasor ? hedef + "/ic.txt" : hedef;
        dosya(dosyaYedek, "yedek", 0751, 1600000000);
        ASSERT_EQ(::lsetxattr(dosyaYedek.c_str(), "user.etiket", "mavi", 4, 0), 0);
        dosya(dosyaHedef, "simdiki");
        GeriYukleme g = geriYukle(rel);
        EXPECT_EQ(g.damgali, mac() + "/" + d.damgali) << d.ad;
        EXPECT_EQ(g.durum, "duruyor");
        EXPECT_EQ(oku(dosyaHedef), "yedek") << d.ad;
        EXPECT_EQ(oku(d.klasor ? *g.damgali + "/ic.txt" : *g.damgali), "simdiki") << d.ad;
        struct stat st = TestOrtami::durum(dosyaHedef);
        EXPECT_EQ(st.st_mode & 07777, 0751u) << d.ad;
        EXPECT_EQ(st.st_mtim.tv_sec, 1600000000) << d.ad;
        EXPECT_EQ(xattr(dosyaHedef), "mavi") << d.ad;
        EXPECT_NE(TestOrtami::gunluk().find("Restored " + rel + " from " + A + " → " + d.damgali), std::string::npos);
        EXPECT_EQ(GeriYukle::kayitlar().back(), g);
    }
    EXPECT_EQ(TestOrtami::durum(mac()).st_mode & 07777, 0750u);

    // A link in the copy comes back as the link.
    fs::create_symlink("Report.pdf", kopyada(A, "Belgeler/bag"));
    EXPECT_FALSE(geriYukle("Belgeler/bag").damgali);
    EXPECT_EQ(fs::read_symlink(mac() + "/bag"), "Report.pdf");
}

// A folder that gained files since the backup: the restored folder holds the
// backed-up files, and the added ones at every depth; where both have a file
// the backed-up one wins.
TEST_F(YerineKoyma, AFolderKeepsWhatWasAddedSinceTheBackup) {
    dosya(kopyada(A, "Belgeler/K/ortak.txt"), "yedek");
    dosya(kopyada(A, "Belgeler/K/alt/eski.txt"), "eski");
    dosya(mac() + "/K/ortak.txt", "simdiki");
    dosya(mac() + "/K/yeni.txt", "yeni");
    dosya(mac() + "/K/alt/yeni2.txt", "yeni2");
    dosya(mac() + "/K/alt/eski.txt", "degisti");
    GeriYukleme g = geriYukle("Belgeler/K");
    EXPECT_EQ(oku(mac() + "/K/ortak.txt"), "yedek");
    EXPECT_EQ(oku(mac() + "/K/alt/eski.txt"), "eski");
    EXPECT_EQ(oku(mac() + "/K/yeni.txt"), "yeni");
    EXPECT_EQ(oku(mac() + "/K/alt/yeni2.txt"), "yeni2");
    EXPECT_EQ(oku(*g.damgali + "/ortak.txt"), "simdiki");
}

// Within one minute the names go to seconds, then to a counter.
TEST_F(YerineKoyma, RestoresWithinOneMinuteGetDistinctKeptNames) {
    dosya(kopyada(A, "Belgeler/a.txt"), "yedek");
    dosya(mac() + "/a.txt", "ilk");
    std::vector<std::string> adlar;
    for (int i = 0; i < 3; ++i) adlar.push_back(fs::path(*geriYukle("Belgeler/a.txt").damgali).filename());
    EXPECT_EQ(adlar, (std::vector<std::string>{"a (replaced 2026-12-05 09.12).txt", "a (replaced 2026-12-05 09.12.07).txt",
                                               "a (replaced 2026-12-05 09.12.07 2).txt"}));
    EXPECT_EQ(oku(mac() + "/" + adlar[0]), "ilk");
    // A dangling link is an item: it is never replaced.
    fs::create_symlink("yok", mac() + "/a (replaced 2026-12-05 09.12.07 3).txt");
    EXPECT_EQ(GeriYukle::damgaliAd(mac() + "/a.txt", false, saat.su), mac() + "/a (replaced 2026-12-05 09.12.07 4).txt");
}

// Refusals change nothing.
TEST_F(YerineKoyma, RefusesBadPathsAndMissingVersionsWithoutChangingAnything) {
    dosya(kopyada(A, "Belgeler/a.txt"), "yedek");
    dosya(mac() + "/a.txt", "simdiki");
    dosya(mac() + "/b.txt", "simdiki");
    using T = GeriYukle::Hata::Tur;
    struct {
        const char *kopya, *rel;
        T tur;
    } durumlar[] = {
        {A, "Belgeler", T::yol}, {"x", "Belgeler/a.txt", T::yol}, {A, "Belgeler/b.txt", T::yok}, {B, "Belgeler/a.txt", T::yok},
    };
    for (const auto& d : durumlar)
        EXPECT_EQ(hatasi([&] { GeriYukle::yerineKoy(d.kopya, d.rel, ayarlar()); }), d.tur) << d.kopya << " " << d.rel;
    EXPECT_EQ(std::distance(fs::directory_iterator(mac()), {}), 2);
    EXPECT_EQ(oku(mac() + "/a.txt"), "simdiki");
    EXPECT_FALSE(fs::exists(Yol::geriYuklemeler()));
}

// Undo puts the kept item back and sends the restored one to the Trash, once;
// the Trash action works when the kept item is already gone.
TEST_F(Geri, UndoOnceAndTheTrashAction) {
    dosya(kopyada(A, "Belgeler/a.txt"), "yedek");
    dosya(kopyada(A, "Belgeler/yeni/b.txt"), "yedek b");
    dosya(mac() + "/a.txt", "simdiki");
    GeriYukleme g = geriYukle("Belgeler/a.txt");
    GeriYukle::geriAl(g.id);
    EXPECT_EQ(oku(mac() + "/a.txt"), "simdiki");
    EXPECT_FALSE(fs::exists(*g.damgali));
    EXPECT_EQ(copteki(), std::vector<std::string>{"yedek"});
    EXPECT_EQ(GeriYukle::kayitlar()[0].durum, "geri-alindi");
    EXPECT_NE(TestOrtami::gunluk().find("Undid restore of Belgeler/a.txt"), std::string::npos);
    EXPECT_EQ(hatasi([&] { GeriYukle::geriAl(g.id); }), GeriYukle::Hata::Tur::yol);
    EXPECT_EQ(hatasi([&] { GeriYukle::copeAt(g.id); }), GeriYukle::Hata::Tur::yol);

    // Nothing was there: no kept item; undo leaves nothing behind.
    GeriYukleme y = geriYukle("Belgeler/yeni/b.txt");
    EXPECT_FALSE(y.damgali);
    EXPECT_EQ(oku(mac() + "/yeni/b.txt"), "yedek b");
    EXPECT_EQ(hatasi([&] { GeriYukle::copeAt(y.id); }), GeriYukle::Hata::Tur::yol);
    GeriYukle::geriAl(y.id);
    EXPECT_FALSE(fs::exists(mac() + "/yeni/b.txt"));
    EXPECT_EQ(copteki().size(), 2u);

    // The kept item deleted by hand: undo cannot, the Trash action still marks it.
    GeriYukleme z = geriYukle("Belgeler/a.txt");
    fs::remove(*z.damgali);
    EXPECT_EQ(hatasi([&] { GeriYukle::geriAl(z.id); }), GeriYukle::Hata::Tur::yok);
    GeriYukle::copeAt(z.id);
    EXPECT_EQ(GeriYukle::kayitlar()[2].durum, "cope-atildi");
    EXPECT_NE(TestOrtami::gunluk().find("Moved to Trash: a (replaced 2026-12-05 09.12).txt"), std::string::npos);
    // And with it there, it goes to the Trash.
    GeriYukleme t = geriYukle("Belgeler/a.txt");
    GeriYukle::copeAt(t.id);
    EXPECT_FALSE(fs::exists(*t.damgali));
    EXPECT_EQ(copteki().size(), 3u);

    auto once = GeriYukle::kayitlar();
    GeriYukle::degistir("yok", "geri-alindi");
    EXPECT_EQ(GeriYukle::kayitlar(), once);
}

// A copier that fails after the current item was moved aside: the current
// item is back byte for byte with its mode and times, the partial copy is in
// the Trash, and no record is written. With nothing there before, the partial
// copy goes to the Trash too.
TEST_F(YerineKoyma, AFailingCopierPutsTheCurrentItemBack) {
    std::string gercek = fs::read_symlink(TestOrtami::araclar() + "/ditto");
    dosya(kopyada(A, "Belgeler/a.txt"), "yedek");
    dosya(kopyada(A, "Belgeler/K/ortak.txt"), "yedek");
    struct {
        const char* ad;
        std::string rel, betik, simdiki;  // "" : nothing there before
    } durumlar[] = {
        {"file", "Belgeler/a.txt", "", mac() + "/a.txt"},
        {"folder, the added files fail", "Belgeler/K", "", mac() + "/K/yeni.txt"},
        {"nothing there", "Belgeler/a.txt", "", ""},
    };
    durumlar[0].betik = durumlar[2].betik = "printf yarim > \"$2\"; echo ' ditto: No space left on device '; exit 1";
    // The restore itself succeeds; copying the added files back fails.
    durumlar[1].betik = "case \"$1\" in */yeni.txt) echo 'ditto: No space left on device'; exit 1;; esac; exec '" +
                        gercek + "' \"$@\"";
    for (const auto& d : durumlar) {
        fs::remove_all(mac());
        fs::remove_all(cop());
        if (!d.simdiki.empty()) dosya(d.simdiki, "simdiki\n", 0600, 1500000000);
        struct stat once{};
        ::lstat(d.simdiki.c_str(), &once);
        SahteArac ditto(TestOrtami::araclar(), "ditto");
        ditto.betik(d.betik);
        try {
            geriYukle(d.rel);
            ADD_FAILURE() << d.ad;
        } catch (const GeriYukle::Hata& h) {
            EXPECT_EQ(h.tur, GeriYukle::Hata::Tur::kopyalama) << d.ad;
            EXPECT_EQ(h.what(), std::string("Copy failed: ditto: No space left on device")) << d.ad;
        }
        EXPECT_EQ(copteki().size(), 1u) << d.ad;
        EXPECT_FALSE(fs::exists(Yol::geriYuklemeler())) << d.ad;
        if (d.simdiki.empty()) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(mac() + "/a.txt"))) << d.ad;
            continue;
        }
        EXPECT_EQ(oku(d.simdiki), "simdiki\n") << d.ad;
        struct stat st = TestOrtami::durum(d.simdiki);
        EXPECT_EQ(st.st_ino, once.st_ino) << d.ad;
        EXPECT_EQ(st.st_mode, once.st_mode) << d.ad;
        EXPECT_EQ(st.st_mtim.tv_sec, 1500000000) << d.ad;
        EXPECT_EQ(std::distance(fs::directory_iterator(mac()), {}), 1) << d.ad;
    }
}
