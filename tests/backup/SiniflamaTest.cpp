#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "backup/Siniflama.hpp"
#include "recovery/Kurtulus.hpp"
#include "tests/backup/YedekOrtami.hpp"

namespace {

namespace fs = std::filesystem;
using Adlar = std::vector<std::string>;
constexpr auto yok = std::string::npos;

const std::string kaybolan1 = "file has vanished: \"/Users/a/Documents/x.txt\"\n";
const std::string kaybolan2 = "file has vanished: \"/Users/a/Documents/iki: y.txt\"\n";
const std::string uyari24 =
    "rsync warning: some files vanished before they could be transferred (code 24) at main.c(1394) [sender=3.5.0]\n";
const std::string hata23 =
    "rsync error: some files/attrs were not transferred (see previous errors) (code 23) at main.c(1394) "
    "[sender=3.5.0]\n";
const std::string izin = "rsync: [sender] send_files failed to open \"/Users/a/gizli\": Permission denied (13)\n";
const std::string okuma = "rsync: [sender] read errors mapping \"/Users/a/film.mov\": Input/output error (5)\n";
const std::string yer = "rsync: [receiver] write failed on \"/mnt/x\": No space left on device (28)\n";

std::string izinSatiri(const std::string& yol) {
    return "rsync: [sender] send_files failed to open \"" + yol + "\": Permission denied (13)\n";
}

}  // namespace

TEST(Kaybolanlar, OnlyVanishedFilesAreNamedAndSummariesNeverAre) {
    // With the results of the pass below: a vanished file and its summary, or beside a permission error.
    struct Durum { std::string metin; std::optional<Adlar> beklenen; };
    const Durum durumlar[] = {
        {uyari24 + hata23, {}},
        {"", {}},
        {kaybolan1 + "IO error encountered -- skipping file deletion\n", {}},
        {kaybolan1 + "rsync error: error in file IO (code 11) at main.c(808)\n", {}},
        {"rsync: [sender] link_stat \"/Users/a/Permission denied.txt\" failed: No such file or directory (2)\n",
         Adlar{"/Users/a/Permission denied.txt"}},
        {"file has vanished: \"/Users/a/yeni\\#012sat\\#304\\#261r \\#134#012\"\n",
         Adlar{"/Users/a/yeni\nsat\xc4\xb1r \\#012"}},
        {"rsync(brimvale): error: Filmler/a.mov: open /Users/a/a.mov: No such file or directory\n",
         Adlar{"Filmler/a.mov"}},
        {"rsync(brimvale): error: Filmler/a.mov: read: Input/output error\n", {}},
        {kaybolan1 + izinSatiri("/Users/a/some files/partial transfer"), {}},  // a folder named like a summary
        {"sending incremental file list\n" + kaybolan1, Adlar{"/Users/a/Documents/x.txt"}},
    };
    for (const auto& d : durumlar) EXPECT_EQ(Yedekleme::kaybolanlar(d.metin), d.beklenen) << d.metin;
}

TEST(Siniflama, GroupsByTheTextAroundTheName) {
    std::string zaman = "rsync: [generator] failed to set times on \"/mnt/vanished\": Operation not permitted (1)\n";
    std::map<HataTuru, Adlar> beklenen = {{HataTuru::kaybolan, {"/Users/a/Documents/x.txt"}},
                                          {HataTuru::izin, {"/Users/a/gizli", "/mnt/vanished"}},
                                          {HataTuru::disk, {"/Users/a/film.mov"}},
                                          {HataTuru::yer, {"/mnt/x"}}};
    EXPECT_EQ(Siniflama::sinifla(kaybolan1 + izin + okuma + yer + uyari24 + hata23 + zaman), beklenen);
}

// Every status and error text of a pass against the result it gives. What
// fails on the backup side is the disk's; no space counts only when short.
TEST(Siniflama, ResultsOfTheCopyPass) {
    std::string mnt = Yol::mnt();
    fs::create_directories(mnt + "/yedekler/.devam");
    // The mount point reached through a link: the tool prints resolved paths.
    std::string bag = TestOrtami::kok() + "/imaja-bag";
    fs::create_directory_symlink(mnt, bag);
    std::string devam = mnt + "/yedekler/.devam/Belgeler";
    std::string elli, ikiYuzElli;
    for (int i = 0; i < 50; ++i) elli += "file has vanished: \"" + devam + "/d" + std::to_string(i) + "\"\n";
    for (int i = 0; i < 250; ++i) ikiYuzElli += izinSatiri("/a/" + std::to_string(i));
    std::string yerYok = "rsync: [receiver] mkstemp \"" + devam + "/.a.Xy\" failed: No space left on device (28)\n";
    std::string zaman = "rsync: [generator] failed to set times on \"" + mnt +
                        "/yedekler/2026-01-01_000000/Belgeler\": Operation not permitted (1)\n";
    std::string buyukIzin =
        Siniflama::kopyalayiciSatiri("Filmler/vanished: No such file/a.mkv", "Permission denied", true) + "\n";
    const std::string bitti = "Backup complete", eksik = "Backup incomplete";
    const std::string sigmadi = "Not enough space on the backup disk";
    const std::string durdu = "Backup stopped: the backup disk stopped responding";
    const std::string okunmadi = "Backup incomplete: 1 files could not be read";
    struct Durum {
        int kod;
        std::string hata;
        std::optional<bool> yerDar;
        std::string tur, baslik;
        size_t atlanan;
        std::string kok = Yol::mnt(), aciklama = "";
    };
    const Durum durumlar[] = {
        {24, kaybolan1 + kaybolan2 + uyari24, true, "bilgi", bitti, 2, mnt,
         "2 KB copied in 5m. 2 files were deleted on this computer while the backup was running, so they were skipped. "
         "That is normal; nothing is missing."},
        {0, "", false, "tamam", bitti, 0, mnt, "2 KB copied in 5m. Everything is in the backup."},
        {23, izin + kaybolan1 + hata23, true, "dikkat", okunmadi, 2},
        {23, okuma + izin + hata23, true, "sorun", durdu, 2},  // the disk wins over permission
        {20, "", true, "dikkat", eksik, 0, mnt, "1 files could not be copied. Everything else is in the backup."},
        {0, "rsync(brimvale): error: F/a.mov: read: Input/output error\n", true, "tamam", bitti, 1},
        {11, yer, true, "dikkat", sigmadi, 0},
        {12, kaybolan1, true, "dikkat", eksik, 1},  // vanished but another status
        {23, ikiYuzElli, false, "dikkat", "Backup incomplete: 250 files could not be read", 200},
        {23, ikiYuzElli + "rsync: [sender] some unknown failure \"/b\": Bad thing (99)\n", false, "dikkat",
         "Backup incomplete: 250 files could not be read", 200},
        {24, elli + uyari24, false, "sorun", durdu, 50},  // vanished paths in the unfinished copy
        {24, elli + uyari24, false, "sorun", durdu, 50, bag},
        {23, "rsync: [receiver] mkstemp \"" + devam + "/.a.Xy\" failed: No such file or directory (2)\n" + hata23,
         false, "sorun", durdu, 1},
        {23, zaman + hata23, false, "sorun", durdu, 1},  // the previous copy refuses
        // A neighbour that only shares the first letters.
        {24, "file has vanished: \"" + mnt + "x/a\"\n" + uyari24, false, "bilgi", bitti, 1},
        {23, izin + hata23, false, "dikkat", okunmadi, 1},
        {11, yerYok, true, "dikkat", sigmadi, 0},
        {11, yerYok, false, "sorun", durdu, 1},         // room to spare
        {11, yerYok, std::nullopt, "sorun", durdu, 1},  // a volume that does not answer
        // A large file the computer would not open, its folder named like a vanished one.
        {24, buyukIzin + kaybolan1 + uyari24, false, "dikkat", okunmadi, 2},
    };
    for (const auto& d : durumlar) {
        SCOPED_TRACE(std::to_string(d.kod) + ": " + d.hata.substr(0, 300));
        YedekSonucu s = Siniflama::esitlemeSonucu(d.kod, d.hata, "5m", 2000, 3, {d.kok, d.yerDar});
        EXPECT_EQ(s.tur, d.tur);
        EXPECT_EQ(s.baslik, d.baslik);
        EXPECT_EQ(s.atlanan.size(), d.atlanan);
        EXPECT_EQ(s.teknik, d.hata);
        EXPECT_EQ(s.aciklama, d.aciklama.empty() ? s.aciklama : d.aciklama);
        EXPECT_EQ(s.oneri.has_value(), s.baslik != bitti);
        // After 23 or 24 the pass goes on only when every error names a vanished file: the ones skipped.
        if (d.kod == 23 || d.kod == 24) {
            auto kaybolan = s.tur == "bilgi" ? std::optional(s.atlanan) : std::nullopt;
            EXPECT_EQ(Yedekleme::kaybolanlar(d.hata, d.kok), kaybolan);
        }
        EXPECT_TRUE(s.baslik != durdu || Siniflama::sinifla(d.hata, d.kok)[HataTuru::kaybolan].empty());
    }
}

// The no-space result claims only what happened: deletions or none, bytes
// or files, or a backup larger than the whole disk.
TEST(Siniflama, NoSpaceSaysWhatHappened) {
    const std::string sigmadi = "Not enough space on the backup disk";
    const std::string dosyaYok = "The backup disk cannot hold more files";
    struct Durum { Siniflama::YerDurumu yer; std::string baslik; };
    const Durum durumlar[] = {
        {{}, sigmadi},                              // filled by another writer
        {{2}, sigmadi},                             // copies deleted, still short
        {{0, true}, dosyaYok},                      // files run out
        {{3, true}, dosyaYok},                      // files run out after deletions
        {{0, false, true, 450e6, 363e6}, sigmadi},  // never fits
    };
    const Siniflama::Hedef dar{Yol::mnt(), true};
    const auto baytYok = Siniflama::esitlemeSonucu(11, yer, "1m", 0, 0, dar).oneri;
    for (const auto& d : durumlar) {
        YedekSonucu s = Siniflama::esitlemeSonucu(11, yer, "1m", 0, 0, dar, d.yer);
        SCOPED_TRACE(s.aciklama);
        bool silindi = d.yer.silinen > 0;
        EXPECT_EQ(s.tur, "dikkat");
        EXPECT_EQ(s.baslik, d.baslik);
        EXPECT_EQ(s.teknik, yer);
        bool enEskiler = s.aciklama.find("Brimvale deleted the oldest backups it could") != yok;
        EXPECT_EQ(enEskiler, silindi && !d.yer.dosyaSiniri);
        EXPECT_EQ(s.aciklama.find("No backup was deleted") != yok, !silindi);
        EXPECT_EQ(s.aciklama.find(": " + std::to_string(d.yer.silinen) + ".") != yok, silindi);
        // Only a shortage of bytes is helped by deleting other files.
        EXPECT_EQ(s.oneri == baytYok, !d.yer.dosyaSiniri && !d.yer.sigmaz);
    }
    EXPECT_NE(Siniflama::yerYok("", {0, false, true, 450e6, 363e6}).aciklama.find("450 MB"), yok);
}

// After the pass the error text is kept, the result saved and the skipped
// files logged. A saved result needs every key but its advice.
TEST(Siniflama, AfterThePassErrorsAreKeptAndLogged) {
    EXPECT_FALSE(YedekSonucu::oku());
    std::string hata = kaybolan1 + izin + hata23;
    YedekSonucu s = Siniflama::esitlemeSonucu(23, hata, "1m", 0, 0, {Yol::mnt(), false});
    EXPECT_EQ(Siniflama::kaydet(s, 23, hata, false), s.baslik + ". " + *s.oneri);
    EXPECT_EQ(oku(Yol::sonHatalar()), hata);
    EXPECT_EQ(YedekSonucu::oku(), s);
    std::string gunluk = TestOrtami::gunluk();
    EXPECT_NE(gunluk.find("Skipped (deleted on this computer during the backup): /Users/a/Documents/x.txt\n"), yok);
    EXPECT_NE(gunluk.find(" rsync (23): file has vanished: "), yok);

    YedekSonucu durdu = YedekSonucu::durdu();
    durdu.yaz();
    auto j = nlohmann::json::parse(*oku(YedekSonucu::yol()));
    EXPECT_FALSE(j.contains("oneri"));
    EXPECT_EQ(durdu.bildirim(), "Backup stopped. " + durdu.aciklama);
    j.erase("teknik");
    atomikYaz(YedekSonucu::yol(), j.dump());
    EXPECT_FALSE(YedekSonucu::oku());
}

// The error file's classification as the command prints it.
TEST(Komutlar, ClassifyErrorFileRow) {
    std::string dosya = TestOrtami::kok() + "/hata.txt";
    struct Durum { std::optional<std::string> metin; int kod; std::string cikti; };
    const Durum durumlar[] = {
        {std::nullopt, 1, "gerçek hata\n"},
        {kaybolan1 + kaybolan2 + uyari24, 0, "kaybolan 2: /Users/a/Documents/x.txt | /Users/a/Documents/iki: y.txt\n"},
        {kaybolan1 + izin + hata23, 1, "gerçek hata\n"},
    };
    for (const auto& d : durumlar) {
        SCOPED_TRACE(d.metin.value_or("(no file)"));
        if (d.metin) atomikYaz(dosya, *d.metin);
        auto c = TestOrtami::calistir({"--hata-sinifla", dosya});
        EXPECT_EQ(c.kod, d.kod);
        EXPECT_EQ(c.cikti + c.hata, d.cikti);
    }
}

TEST(Siniflama, CopierLinesReadByTheirErrorWhateverTheNameHolds) {
    const Adlar adlar = {"Filmler/film.mkv", "Filmler/vanished/film.mkv", "Filmler/some files: partial transfer",
                         "No such file or directory: Permission denied", "a \"b\": c\nd\\#012e \\", "x/error: y.mov",
                         "Filmler/\xff\x01.mov"};
    struct Durum { std::string neden; bool kaynakta; HataTuru tur; };
    const Durum durumlar[] = {
        {"Permission denied", true, HataTuru::izin},      {"No such file or directory", true, HataTuru::kaybolan},
        {"No such file or directory", false, HataTuru::disk}, {"Input/output error", true, HataTuru::disk},
        {"No space left on device", false, HataTuru::yer}, {"Too many links", false, HataTuru::disk},
        {"cannot start", true, HataTuru::bilinmeyen},
    };
    for (const auto& ad : adlar)
        for (const auto& d : durumlar) {
            std::string satir = Siniflama::kopyalayiciSatiri(ad, d.neden, d.kaynakta);
            SCOPED_TRACE(satir);
            EXPECT_EQ(satir.find('\n'), yok);
            EXPECT_EQ(Siniflama::sinifla(satir + "\n" + uyari24), (std::map<HataTuru, Adlar>{{d.tur, {ad}}}));
            EXPECT_EQ(Yedekleme::kaybolanlar(satir).has_value(), d.tur == HataTuru::kaybolan);
        }
}

TEST(TeknikMetin, TheLinesNamingTheCauseStayBeforeTheTail) {
    std::string uzunYol = "/Users/a";
    while (uzunYol.size() < 4200) uzunYol += "/" + std::string(240, 'd');
    std::string kaybolanlar, cok;
    for (int i = 0; i < 20; ++i) kaybolanlar += "file has vanished: \"/Users/a/" + std::to_string(i) + "\"\n";
    for (int i = 0; i < 40; ++i) cok += "rsync: [sender] readlink_stat(\"" + uzunYol + "\") failed: Bad message (74)\n";
    struct Durum { std::string hata; Adlar icinde; };
    const Durum durumlar[] = {
        {"filename overflows max-path len by 1: " + uzunYol + "/f.txt\n" + hata23,
         {"filename overflows max-path len by 1: /Users/a/ddd", hata23}},
        {izinSatiri(uzunYol) + kaybolanlar + hata23,
         {"send_files failed to open", "Permission denied (13)", "/Users/a/19\"\n" + hata23}},
        {cok, {}},
    };
    for (const auto& d : durumlar) {
        std::string t = Siniflama::teknikMetin(d.hata, 300);
        SCOPED_TRACE(t);
        for (const auto& parca : d.icinde) EXPECT_NE(t.find(parca), yok) << parca;
        EXPECT_LT(t.size(), 7u * 300);
        EXPECT_EQ(t.find("rsync error: some files"), t.rfind("rsync error: some files")) << "once";
    }
    EXPECT_EQ(Siniflama::teknikMetin(izin + hata23, 300), izin + hata23);
}

TEST(Siniflama, TheImageVolumeIsShortWhenItsBytesOrInodesRunOut) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small volume needs root";
    std::string mnt = Yol::mnt();
    struct Durum { std::string secenek; int dosya; size_t boy; bool beklenen; };
    const Durum durumlar[] = {
        {"size=64m", 1, 20u << 20, true},  // less than 50 MiB free
        {"size=64m,nr_inodes=1500", 0, 0, false},
        {"size=64m,nr_inodes=1500", 600, 1, true},
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
            TestOrtami::dosyaYaz(mnt + "/f" + std::to_string(i), std::string(d.boy, 'x'));
        EXPECT_EQ(Siniflama::hedef().yerDar, d.beklenen) << d.secenek << ", " << d.dosya << " files";
    }
    fs::remove_all(mnt);
    EXPECT_EQ(Siniflama::hedef().yerDar, std::nullopt) << "no volume to measure";
}

// What a user reads after a run and on a new computer names this system's
// things in either language: the catalogs are looked up in English too.
TEST(Sozcukler, ResultsNotificationsAndInstructionsUseThisSystemsWords) {
    const std::function<std::string()> okunamadi = [] {
        YedekSonucu s = Siniflama::esitlemeSonucu(23, izin + hata23, "1m", 0, 0, {Yol::mnt(), false});
        return s.aciklama + " " + *s.oneri;
    };
    const std::function<std::string()> izinYok = [] { return YedekSonucu::tamDiskErisimiYok().bildirim(); };
    const std::function<std::string()> acilamadi = [] { return YedekSonucu::acilamadi().bildirim(); };
    const std::function<std::string()> talimat = [] {
        return Kurtulus::okuMetni(Ayarlar{}, "/media/YEDEK", std::nullopt, std::nullopt, false);
    };
    struct Durum { std::string dil; const std::function<std::string()>& metin; std::string sozcuk; };
    const Durum durumlar[] = {
        {"C", okunamadi, "read permission"},      {"tr_TR.UTF-8", okunamadi, "okuma izni"},
        {"C", izinYok, "read permission"},        {"tr_TR.UTF-8", izinYok, "okuma izni"},
        {"C", acilamadi, "keyring"},              {"tr_TR.UTF-8", acilamadi, "anahtarlık"},
        {"C", talimat, "from the file manager"},  {"tr_TR.UTF-8", talimat, "dosya yöneticisinden"},
    };
    for (const char* v : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(v);
    for (const auto& d : durumlar) {
        setenv("LANG", d.dil.c_str(), 1);
        std::string m = d.metin();
        EXPECT_NE(m.find(d.sozcuk), yok) << d.dil << ": " << m;
        EXPECT_FALSE(TestOrtami::yabanciSozcukVar(m)) << d.dil << ": " << m;
    }
}
