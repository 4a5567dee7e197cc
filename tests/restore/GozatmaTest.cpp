// Versions, paths, browsing and search over copies laid out by hand.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "restore/Dugum.hpp"
#include "restore/GeriYukle.hpp"
#include "tests/restore/GeriYukleOrtami.hpp"

namespace fs = std::filesystem;
using namespace GeriYukleOrtami;

namespace {

std::vector<std::string> idler(const DugumListesi& l) {
    std::vector<std::string> v;
    for (const auto& d : l) v.push_back(d->id + (d->klasor ? "/" : ""));
    return v;
}

}  // namespace

// Nothing leads outside the copy or the backed-up folder: not "..", not an
// absolute path, not a link in between, on either side.
TEST(Yollar, NeverLeaveTheCopyOrTheBackedUpFolder) {
    dosya(kopyada(A, "Belgeler/a.txt"), "a");
    fs::create_symlink("/etc", kopyada(A, "Belgeler/disari"));
    fs::create_directories(mac());
    fs::create_symlink("/tmp", mac() + "/disari");
    std::string kok = Yol::yedekler() + "/" + A;
    struct {
        const char *kopya, *rel;
        std::optional<std::string> beklenen;
    } kopyaDurumlari[] = {
        {A, "Belgeler/a.txt", kok + "/Belgeler/a.txt"},
        {A, "Belgeler/yok", kok + "/Belgeler/yok"},        // need not exist
        {A, "Belgeler/disari", kok + "/Belgeler/disari"},  // the link itself
        {A, "Belgeler/disari/passwd", std::nullopt},
        {A, "../x", std::nullopt},
        {A, "/etc/passwd", std::nullopt},
        {"2024-13-01_100000", "Belgeler/a.txt", std::nullopt},
    };
    for (const auto& d : kopyaDurumlari)
        EXPECT_EQ(GeriYukle::kopyaYolu(d.kopya, d.rel), d.beklenen) << d.kopya << " " << d.rel;

    struct {
        const char* rel;
        std::optional<std::string> beklenen;
    } macDurumlari[] = {
        {"Belgeler/a.txt", mac() + "/a.txt"},
        {"Belgeler", std::nullopt},
        {"Belgeler/.", std::nullopt},
        {"Belgeler/../x", std::nullopt},
        {"Belgeler//etc/passwd", std::nullopt},
        {"Baska/a.txt", std::nullopt},
        {"Belgeler/disari/x", std::nullopt},
    };
    for (const auto& d : macDurumlari) EXPECT_EQ(GeriYukle::macYolu(d.rel, ayarlar()), d.beklenen) << d.rel;

    // Listing, search and versions stop at the link too.
    EXPECT_TRUE(Dugum::oku(A, "Belgeler/disari").empty());
    EXPECT_TRUE(GeriYukle::surumler("Belgeler/disari/passwd").empty());
    EXPECT_EQ(idler(Arama::ara(A, "passwd", nullptr)), std::vector<std::string>{});
    EXPECT_EQ(idler(Arama::ara(A, "disari", nullptr)), std::vector<std::string>{"Belgeler/disari"});
}

// Versions follow file identity: a hard-linked file is one version, a gap
// starts a new one, a folder is a version in every copy.
TEST(Surumler, FollowFileIdentityAcrossCopies) {
    for (const char* k : {A, B, C}) fs::create_directories(kopyada(k, "Belgeler/klasor"));
    dosya(kopyada(A, "Belgeler/ayni.txt"), "ayni", 0644, 1600000000);
    fs::create_hard_link(kopyada(A, "Belgeler/ayni.txt"), kopyada(B, "Belgeler/ayni.txt"));
    fs::create_hard_link(kopyada(A, "Belgeler/ayni.txt"), kopyada(C, "Belgeler/ayni.txt"));
    dosya(kopyada(A, "Belgeler/bosluk.txt"), "x");
    dosya(kopyada(C, "Belgeler/bosluk.txt"), "x");  // equal content, another file
    dosya(kopyada(A, "Belgeler/degisen.txt"), "1");
    fs::create_hard_link(kopyada(A, "Belgeler/degisen.txt"), kopyada(B, "Belgeler/degisen.txt"));
    dosya(kopyada(C, "Belgeler/degisen.txt"), "22");
    fs::create_directories(Yol::yedekler() + "/.devam/Belgeler/ayni.txt");  // never a copy

    using V = std::vector<Surum>;
    struct {
        const char* rel;
        V beklenen;
    } durumlar[] = {
        {"Belgeler/ayni.txt", V{{A, C, 4, 1600000000, false}}},
        {"Belgeler/bosluk.txt", V{{C, C, 1, 1700000000, false}, {A, A, 1, 1700000000, false}}},
        {"Belgeler/degisen.txt", V{{C, C, 2, 1700000000, false}, {A, B, 1, 1700000000, false}}},
        {"Belgeler/hicbiri", V{}},
    };
    for (const auto& d : durumlar) EXPECT_EQ(GeriYukle::surumler(d.rel), d.beklenen) << d.rel;
    std::vector<std::string> klasorKopyalari;
    for (const auto& s : GeriYukle::surumler("Belgeler/klasor")) {
        EXPECT_TRUE(s.klasor);
        EXPECT_EQ(s.kopya, s.sonKopya);
        klasorKopyalari.push_back(s.kopya);
    }
    EXPECT_EQ(klasorKopyalari, (std::vector<std::string>{C, B, A}));
}

// Folders first, each group in a file browser's order (case-insensitive,
// numbers by value); .DS_Store never shown, other hidden names are; a link
// to a folder is a leaf; children are read once.
TEST(Dugum, ListsLikeAFileBrowserAndReadsChildrenOnce) {
    std::string k = Yol::yedekler() + "/" + A + "/Belgeler/";
    for (const char* ad : {"a10.txt", "A2.txt", "b1.txt", ".gizli", ".DS_Store"}) dosya(k + ad, "x");
    for (const char* ad : {"Klasor 10", "klasor 9"}) fs::create_directories(k + ad);
    dosya(k + "klasor 9/ic.txt", "x");
    fs::create_symlink("klasor 9", k + "bag");

    EXPECT_EQ(idler(Dugum::oku(A, "")), std::vector<std::string>{"Belgeler/"});
    EXPECT_EQ(idler(Dugum::oku(A, "Belgeler")),
              (std::vector<std::string>{"Belgeler/klasor 9/", "Belgeler/Klasor 10/", "Belgeler/.gizli",
                                        "Belgeler/A2.txt", "Belgeler/a10.txt", "Belgeler/b1.txt", "Belgeler/bag"}));
    EXPECT_TRUE(Dugum::oku(A, "Belgeler/yok").empty());

    Dugum kok("Belgeler", A, true);
    EXPECT_EQ(kok.ad, "Belgeler");
    const auto& ilk = kok.cocuklar();
    ASSERT_TRUE(ilk.has_value());
    dosya(k + "sonra.txt", "x");
    EXPECT_EQ(&kok.cocuklar(), &ilk);
    EXPECT_EQ(kok.cocuklar()->size(), 7u);
    EXPECT_EQ(*(*ilk)[0], Dugum("Belgeler/klasor 9", A, false));  // equal by id and copy
    EXPECT_EQ((*ilk)[0]->ad, "klasor 9");
    EXPECT_FALSE(Dugum("Belgeler/a10.txt", A, false).cocuklar().has_value());
}

// Search ignores case and diacritics, stops at 500 and when cancelled.
TEST(Arama, IgnoresCaseAndMarksAndStops) {
    std::string k = Yol::yedekler() + "/" + A + "/Belgeler/";
    dosya(k + "İş/Résumé.pdf", "x");
    dosya(k + "notlar.txt", "x");
    EXPECT_EQ(idler(Arama::ara(A, "resume", nullptr)), std::vector<std::string>{"Belgeler/İş/Résumé.pdf"});
    EXPECT_EQ(idler(Arama::ara(A, "RÉSUMÉ.P", nullptr)), std::vector<std::string>{"Belgeler/İş/Résumé.pdf"});
    EXPECT_TRUE(Arama::ara(A, "yok", nullptr).empty());

    for (int i = 0; i < 600; ++i) dosya(k + "cok/d" + std::to_string(i), "");
    EXPECT_EQ(Arama::ara(A, "", nullptr).size(), 500u);
    std::atomic<int> soruldu = 0;
    auto iptal = Arama::ara(A, "", [&] { return ++soruldu > 3; });
    EXPECT_EQ(iptal.size(), 3u);
}
