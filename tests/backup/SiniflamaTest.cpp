#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "backup/Siniflama.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {

using Adlar = std::optional<std::vector<std::string>>;

const std::string kaybolan1 = "file has vanished: \"/Users/a/Documents/x.txt\"\n";
const std::string kaybolan2 = "file has vanished: \"/Users/a/Documents/iki: y.txt\"\n";
const std::string uyari24 =
    "rsync warning: some files vanished before they could be transferred (code 24) at main.c(1394) "
    "[sender=3.5.0]\n";
const std::string hata23 =
    "rsync error: some files/attrs were not transferred (see previous errors) (code 23) at main.c(1394) "
    "[sender=3.5.0]\n";
const std::string izin = "rsync: [sender] send_files failed to open \"/Users/a/gizli\": Permission denied (13)\n";
const std::string disk = "rsync: [sender] read errors mapping \"/Users/a/film.mov\": Input/output error (5)\n";
const std::string yer = "rsync: [receiver] write failed on \"/mnt/x\": No space left on device (28)\n";

// The image volume as the classification finds it after the pass.
Siniflama::Hedef hedef(std::optional<bool> yerDar) { return {Yol::mnt(), yerDar}; }

}  // namespace

TEST(Kaybolanlar, OnlyVanishedFilesAreNamedAndSummariesNeverAre) {
    struct Durum { std::string ad, metin; Adlar beklenen; };
    std::vector<Durum> durumlar = {
        {"vanished with its summary", kaybolan1 + kaybolan2 + uyari24,
         std::vector<std::string>{"/Users/a/Documents/x.txt", "/Users/a/Documents/iki: y.txt"}},
        {"summary alone", uyari24 + hata23, std::nullopt},
        {"empty", "", std::nullopt},
        {"vanished and a permission error", kaybolan1 + izin + hata23, std::nullopt},
        {"read error skipped deletion", kaybolan1 + "IO error encountered -- skipping file deletion\n", std::nullopt},
        {"another closing error", kaybolan1 + "rsync error: error in file IO (code 11) at main.c(808)\n", std::nullopt},
        {"gone before stat",
         "rsync: [sender] link_stat \"/Users/a/Permission denied.txt\" failed: No such file or directory (2)\n",
         std::vector<std::string>{"/Users/a/Permission denied.txt"}},
        {"escaped name", "file has vanished: \"/Users/a/yeni\\#012sat\\#304\\#261r \\#134#012\"\n",
         std::vector<std::string>{"/Users/a/yeni\nsat\xc4\xb1r \\#012"}},
        {"large-file line", "rsync(brimvale): error: Filmler/a.mov: open /Users/a/a.mov: No such file or directory\n",
         std::vector<std::string>{"Filmler/a.mov"}},
        {"large-file read error", "rsync(brimvale): error: Filmler/a.mov: read: Input/output error\n", std::nullopt},
        {"a folder named like a summary",
         kaybolan1 + "rsync: [sender] send_files failed to open \"/Users/a/some files/partial transfer\": "
                     "Permission denied (13)\n",
         std::nullopt},
        {"other output is ignored", "sending incremental file list\n" + kaybolan1,
         std::vector<std::string>{"/Users/a/Documents/x.txt"}},
        {"a path inside the image is the disk's", kaybolan1 + "file has vanished: \"" + Yol::devam() + "/a/x\"\n",
         std::nullopt},
    };
    for (const auto& d : durumlar) EXPECT_EQ(Yedekleme::kaybolanlar(d.metin), d.beklenen) << d.ad;
}

TEST(Siniflama, GroupsByTheTextAroundTheName) {
    auto g = Siniflama::sinifla(kaybolan1 + izin + disk + yer + uyari24 + hata23 +
                                "rsync: [generator] failed to set times on \"/mnt/vanished\": Operation not "
                                "permitted (1)\n");
    std::map<HataTuru, std::vector<std::string>> beklenen = {
        {HataTuru::kaybolan, {"/Users/a/Documents/x.txt"}},
        {HataTuru::izin, {"/Users/a/gizli", "/mnt/vanished"}},
        {HataTuru::disk, {"/Users/a/film.mov"}},
        {HataTuru::yer, {"/mnt/x"}},
    };
    EXPECT_EQ(g, beklenen);
}

TEST(Siniflama, ResultsOfTheCopyPass) {
    struct Durum { std::string ad; int kod; std::string hata, tur, baslik; size_t atlanan; };
    std::vector<Durum> durumlar = {
        {"vanished only", 24, kaybolan1 + kaybolan2 + uyari24, "bilgi", "Backup complete", 2},
        {"permission and vanished", 23, izin + kaybolan1 + hata23, "dikkat",
         "Backup incomplete: 1 files could not be read", 2},
        {"disk wins over permission", 23, disk + izin + hata23, "sorun",
         "Backup stopped: the backup disk stopped responding", 2},
        {"rename failed", 20, "", "dikkat", "Backup incomplete", 0},
        {"large-file error with status 0", 0, "rsync(brimvale): error: F/a.mov: read: Input/output error\n", "tamam",
         "Backup complete", 1},
        {"no space", 11, yer, "dikkat", "Not enough space on the backup disk", 0},
        {"vanished but another status", 12, kaybolan1, "dikkat", "Backup incomplete", 1},
    };
    for (const auto& d : durumlar) {
        YedekSonucu s = Siniflama::esitlemeSonucu(d.kod, d.hata, "5m", 2000, 3, hedef(true));
        EXPECT_EQ(s.tur, d.tur) << d.ad;
        EXPECT_EQ(s.baslik, d.baslik) << d.ad;
        EXPECT_EQ(s.atlanan.size(), d.atlanan) << d.ad;
        EXPECT_EQ(s.teknik, d.hata) << d.ad;
    }
    EXPECT_EQ(Siniflama::esitlemeSonucu(24, kaybolan1 + kaybolan2, "5m", 2000, 3, hedef(false)).aciklama,
              "2 KB copied in 5m. 2 files were deleted on the Mac while the backup was running, so they were "
              "skipped. That is normal; nothing is missing.");
    EXPECT_EQ(Siniflama::esitlemeSonucu(20, "", "1h 2m", 0, 0, hedef(false)).aciklama,
              "1 files could not be copied. Everything else is in the backup.");
    YedekSonucu tamam = Siniflama::esitlemeSonucu(0, "", "0m", 0, 0, hedef(false));
    EXPECT_EQ(tamam.aciklama, "Zero KB copied in 0m. Everything is in the backup.");
    EXPECT_FALSE(tamam.oneri);
}

// The no-space result claims only what happened: deletions or none, bytes
// or files, or a backup larger than the whole disk.
TEST(Siniflama, NoSpaceSaysWhatHappened) {
    const std::string tumunuSildi = "Brimvale deleted the oldest backups it could";
    struct Durum { std::string ad; Siniflama::YerDurumu yer; std::string baslik; bool silindi; };
    std::vector<Durum> durumlar = {
        {"filled by another writer", {}, "Not enough space on the backup disk", false},
        {"copies deleted, still short", {2}, "Not enough space on the backup disk", true},
        {"files run out", {0, true}, "The backup disk cannot hold more files", false},
        {"files run out after deletions", {3, true}, "The backup disk cannot hold more files", true},
        {"never fits", {0, false, true, 450e6, 363e6}, "Not enough space on the backup disk", false},
    };
    const std::string baytYok = Siniflama::esitlemeSonucu(11, yer, "1m", 0, 0, hedef(true)).oneri.value_or("");
    for (const auto& d : durumlar) {
        YedekSonucu s = Siniflama::esitlemeSonucu(11, yer, "1m", 0, 0, hedef(true), d.yer);
        EXPECT_EQ(s.tur, "dikkat") << d.ad;
        EXPECT_EQ(s.baslik, d.baslik) << d.ad;
        EXPECT_EQ(s.teknik, yer) << d.ad;
        bool tumu = s.aciklama.find(tumunuSildi) != std::string::npos;
        EXPECT_EQ(tumu, d.silindi && !d.yer.dosyaSiniri) << d.ad << ": " << s.aciklama;
        EXPECT_EQ(s.aciklama.find("No backup was deleted") != std::string::npos, !d.silindi) << d.ad;
        if (d.silindi) {
            EXPECT_NE(s.aciklama.find(": " + std::to_string(d.yer.silinen) + "."), std::string::npos) << s.aciklama;
        }
        // Only a shortage of bytes is helped by deleting other files.
        EXPECT_EQ(s.oneri == baytYok, !d.yer.dosyaSiniri && !d.yer.sigmaz) << d.ad;
    }
    EXPECT_NE(Siniflama::yerYok("", {0, false, true, 450e6, 363e6}).aciklama.find("450 MB"), std::string::npos);
}

TEST(Siniflama, AtMostTwoHundredNamesButTheCountsUseEveryLine) {
    std::string hata;
    for (int i = 0; i < 250; ++i)
        hata += "rsync: [sender] send_files failed to open \"/a/" + std::to_string(i) + "\": Permission denied (13)\n";
    YedekSonucu s = Siniflama::esitlemeSonucu(23, hata, "1m", 0, 0, hedef(false));
    EXPECT_EQ(s.atlanan.size(), 200u);
    EXPECT_EQ(s.baslik, "Backup incomplete: 250 files could not be read");
    YedekSonucu b = Siniflama::esitlemeSonucu(
        23, hata + "rsync: [sender] some unknown failure \"/b\": Bad thing (99)\n", "1m", 0, 0, hedef(false));
    EXPECT_EQ(b.atlanan.size(), 200u);
}

TEST(YedekSonucu, SavedRecordReadsBackAndRequiresItsKeys) {
    EXPECT_FALSE(YedekSonucu::oku());
    YedekSonucu s = YedekSonucu::kaynakYok("/Users/a/Belgeler/");
    EXPECT_EQ(s.baslik, "A folder to back up was not found: Belgeler");
    s.yaz();
    EXPECT_EQ(YedekSonucu::oku(), s);

    YedekSonucu durdu = YedekSonucu::durdu();
    durdu.yaz();
    auto j = nlohmann::json::parse(*oku(YedekSonucu::yol()));
    EXPECT_FALSE(j.contains("oneri"));
    EXPECT_EQ(durdu.bildirim(), "Backup stopped. " + durdu.aciklama);

    j.erase("teknik");
    atomikYaz(YedekSonucu::yol(), j.dump());
    EXPECT_FALSE(YedekSonucu::oku());
}

TEST(Siniflama, AfterThePassErrorsAreKeptAndLogged) {
    std::string hata = kaybolan1 + izin + hata23;
    YedekSonucu s = Siniflama::esitlemeSonucu(23, hata, "1m", 0, 0, hedef(false));
    EXPECT_EQ(Siniflama::kaydet(s, 23, hata, false), s.baslik + ". " + *s.oneri);
    EXPECT_EQ(oku(Yol::sonHatalar()), hata);
    EXPECT_EQ(YedekSonucu::oku(), s);
    std::string gunluk = TestOrtami::gunluk();
    EXPECT_NE(gunluk.find("Skipped (deleted on the Mac during the backup): /Users/a/Documents/x.txt\n"),
              std::string::npos);
    EXPECT_NE(gunluk.find(" rsync (23): file has vanished: "), std::string::npos);
}

// The error file's classification as the command prints it.
TEST(Komutlar, ClassifyErrorFileRow) {
    std::string dosya = TestOrtami::kok() + "/hata.txt";
    struct Durum { std::optional<std::string> metin; int kod; std::string cikti; };
    for (const auto& d : std::vector<Durum>{
             {kaybolan1 + kaybolan2 + uyari24, 0, "kaybolan 2: /Users/a/Documents/x.txt | /Users/a/Documents/iki: y.txt\n"},
             {kaybolan1 + izin + hata23, 1, "gerçek hata\n"},
             {std::nullopt, 1, "gerçek hata\n"},
         }) {
        std::filesystem::remove(dosya);
        if (d.metin) atomikYaz(dosya, *d.metin);
        auto c = TestOrtami::calistir({"--hata-sinifla", dosya});
        EXPECT_EQ(c.kod, d.kod) << d.metin.value_or("(no file)");
        EXPECT_EQ(c.cikti + c.hata, d.cikti) << d.metin.value_or("(no file)");
    }
}

TEST(Siniflama, WhatFailsOnTheBackupSideIsTheDiskAndNoSpaceOnlyWhenShort) {
    namespace fs = std::filesystem;
    std::string mnt = Yol::mnt();
    fs::create_directories(mnt + "/yedekler/.devam");
    // The mount point reached through a link: the tool prints resolved paths.
    std::string bag = TestOrtami::kok() + "/imaja-bag";
    fs::create_directory_symlink(mnt, bag);
    std::string devam = mnt + "/yedekler/.devam/Belgeler";
    std::string elli;
    for (int i = 0; i < 50; ++i) elli += "file has vanished: \"" + devam + "/d" + std::to_string(i) + "\"\n";
    std::string yerYok = "rsync: [receiver] mkstemp \"" + devam + "/.a.Xy\" failed: No space left on device (28)\n";
    const std::string disk = "Backup stopped: the backup disk stopped responding";
    struct Durum { std::string ad; int kod; std::string hata; std::optional<bool> yerDar; std::string kok, baslik; };
    std::vector<Durum> durumlar = {
        {"vanished paths in the unfinished copy", 24, elli + uyari24, false, mnt, disk},
        {"a folder of the unfinished copy gone", 23,
         "rsync: [receiver] mkstemp \"" + devam + "/.a.Xy\" failed: No such file or directory (2)\n" + hata23, false,
         mnt, disk},
        {"the previous copy refuses", 23,
         "rsync: [generator] failed to set times on \"" + mnt + "/yedekler/2026-01-01_000000/Belgeler\": Operation "
         "not permitted (1)\n" + hata23,
         false, mnt, disk},
        {"the mount point named through a link", 24, elli + uyari24, false, bag, disk},
        {"a neighbour that only shares the first letters", 24,
         "file has vanished: \"" + mnt + "x/a\"\n" + uyari24, false, mnt, "Backup complete"},
        {"a file of the computer vanished", 24, kaybolan1 + uyari24, false, mnt, "Backup complete"},
        {"a file of the computer unreadable", 23, izin + hata23, false, mnt,
         "Backup incomplete: 1 files could not be read"},
        {"no space while the volume is short", 11, yerYok, true, mnt, "Not enough space on the backup disk"},
        {"no space with room to spare", 11, yerYok, false, mnt, disk},
        {"no space from a volume that does not answer", 11, yerYok, std::nullopt, mnt, disk},
        {"a large file the computer would not open, its folder named like a vanished one", 24,
         Siniflama::kopyalayiciSatiri("Filmler/vanished: No such file/a.mkv", "Permission denied", true) + "\n" +
             kaybolan1 + uyari24,
         false, mnt, "Backup incomplete: 1 files could not be read"},
    };
    for (const auto& d : durumlar) {
        YedekSonucu s = Siniflama::esitlemeSonucu(d.kod, d.hata, "1m", 0, 0, {d.kok, d.yerDar});
        EXPECT_EQ(s.baslik, d.baslik) << d.ad;
        if (s.baslik == disk) {
            EXPECT_TRUE(Siniflama::sinifla(d.hata, d.kok)[HataTuru::kaybolan].empty()) << d.ad;
        }
    }
}

TEST(Siniflama, CopierLinesReadByTheirErrorWhateverTheNameHolds) {
    std::vector<std::string> adlar = {"Filmler/film.mkv",
                                      "Filmler/vanished/film.mkv",
                                      "Filmler/some files: partial transfer",
                                      "No such file or directory: Permission denied",
                                      "a \"b\": c\nd\\#012e \\",
                                      "x/error: y.mov",
                                      "Filmler/\xff\x01.mov"};
    struct Durum { std::string neden; bool kaynakta; HataTuru tur; };
    std::vector<Durum> durumlar = {
        {"Permission denied", true, HataTuru::izin},
        {"No such file or directory", true, HataTuru::kaybolan},
        {"No such file or directory", false, HataTuru::disk},
        {"Input/output error", true, HataTuru::disk},
        {"No space left on device", false, HataTuru::yer},
        {"Too many links", false, HataTuru::disk},
        {"cannot start", true, HataTuru::bilinmeyen},
    };
    for (const auto& ad : adlar)
        for (const auto& d : durumlar) {
            std::string satir = Siniflama::kopyalayiciSatiri(ad, d.neden, d.kaynakta);
            EXPECT_EQ(satir.find('\n'), std::string::npos) << satir;
            std::map<HataTuru, std::vector<std::string>> beklenen = {{d.tur, {ad}}};
            EXPECT_EQ(Siniflama::sinifla(satir + "\n" + uyari24), beklenen) << satir;
            EXPECT_EQ(Yedekleme::kaybolanlar(satir).has_value(), d.tur == HataTuru::kaybolan) << satir;
        }
}

TEST(TeknikMetin, TheLinesNamingTheCauseStayBeforeTheTail) {
    std::string uzunYol = "/Users/a";
    while (uzunYol.size() < 4200) uzunYol += "/" + std::string(240, 'd');
    std::string tasma = "filename overflows max-path len by 1: " + uzunYol + "/f.txt\n";
    std::string acilmadi = "rsync: [sender] send_files failed to open \"" + uzunYol + "\": Permission denied (13)\n";
    std::string kaybolanlar;
    for (int i = 0; i < 20; ++i) kaybolanlar += "file has vanished: \"/Users/a/" + std::to_string(i) + "\"\n";
    struct Durum { std::string ad, hata; std::vector<std::string> icinde; };
    std::vector<Durum> durumlar = {
        {"a path beyond the limit", tasma + hata23, {"filename overflows max-path len by 1: /Users/a/ddd", hata23}},
        {"the cause at the end of a long line", acilmadi + kaybolanlar + hata23,
         {"send_files failed to open", "Permission denied (13)", "/Users/a/19\"\n" + hata23}},
    };
    for (const auto& d : durumlar) {
        std::string t = Siniflama::teknikMetin(d.hata, 300);
        for (const auto& parca : d.icinde) EXPECT_NE(t.find(parca), std::string::npos) << d.ad << ": " << parca;
        EXPECT_LT(t.size(), 7u * 300) << d.ad;
        EXPECT_EQ(t.find("rsync error: some files"), t.rfind("rsync error: some files")) << d.ad << ": once";
    }
    EXPECT_EQ(Siniflama::teknikMetin(izin + hata23, 300), izin + hata23);
    std::string cok;
    for (int i = 0; i < 40; ++i) cok += "rsync: [sender] readlink_stat(\"" + uzunYol + "\") failed: Bad message (74)\n";
    EXPECT_LT(Siniflama::teknikMetin(cok, 300).size(), 7u * 300);
}

TEST(Siniflama, TheImageVolumeIsShortWhenItsBytesOrInodesRunOut) {
    namespace fs = std::filesystem;
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small volume needs root";
    std::string mnt = Yol::mnt();
    struct Durum { std::string ad, secenek; int dosya; size_t boy; bool beklenen; };
    std::vector<Durum> durumlar = {
        {"empty", "size=64m", 0, 0, false},
        {"less than 50 MiB free", "size=64m", 1, 20u << 20, true},
        {"inodes with bytes to spare", "size=64m,nr_inodes=1500", 0, 0, false},
        {"inodes run out", "size=64m,nr_inodes=1500", 600, 1, true},
    };
    for (const auto& d : durumlar) {
        fs::create_directories(mnt);
        if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, d.secenek.c_str()) != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted here: " << std::strerror(errno);
        struct Ayir {
            std::string yol;
            ~Ayir() { ::umount2(yol.c_str(), MNT_DETACH); }
        } ayir{mnt};
        for (int i = 0; i < d.dosya; ++i)
            std::ofstream(mnt + "/f" + std::to_string(i), std::ios::binary) << std::string(d.boy, 'x');
        EXPECT_EQ(Siniflama::hedef().yerDar, d.beklenen) << d.ad;
    }
    fs::remove_all(mnt);
    EXPECT_EQ(Siniflama::hedef().yerDar, std::nullopt) << "no volume to measure";
}
