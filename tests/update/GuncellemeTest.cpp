// Updates: the feed, the maker's signature, the archive's confinement, and
// the whole check-download-install run of the command line against a local
// feed, with the installed bundle unchanged by every refused update.
#include <archive.h>
#include <archive_entry.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "core/Komut.hpp"
#include "core/Saat.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "tests/support/TestOrtami.hpp"
#include "update/Besleme.hpp"
#include "update/Dongu.hpp"
#include "update/Imza.hpp"
#include "update/Paket.hpp"
#include "update/SessizSurucu.hpp"

namespace fs = std::filesystem;
using namespace Guncelleme;

namespace {

const std::string kPaketAdi = "Ondrak Brimvale.app";

std::string sh(const std::string& betik, const std::vector<std::string>& args = {}, const std::string& girdi = "") {
    std::vector<std::string> a{"-c", betik, "sh"};
    a.insert(a.end(), args.begin(), args.end());
    KomutSonucu k = komut("/bin/sh", a, girdi);
    EXPECT_EQ(k.kod, 0) << betik << "\n" << k.cikti;
    return Metin::kirp(k.cikti);
}

struct Anahtar {
    std::string pem, acik;
};
// A key pair of the test's own, made by the tools a maker would use.
Anahtar anahtarYap(const std::string& ad) {
    std::string pem = TestOrtami::kok() + "/" + ad + ".pem";
    sh("openssl genpkey -algorithm ed25519 -out \"$1\" 2>&1", {pem});
    return {pem, sh("\"$1\" --anahtar", {BRIMVALE_YAYINLA}, *oku(pem))};
}
std::string imzala(const std::string& dosya, const Anahtar& k) {
    return sh("openssl pkeyutl -sign -rawin -inkey /dev/stdin -in \"$1\" | base64 -w0", {dosya}, *oku(k.pem));
}
std::string sha256sum(const std::string& dosya) { return sh("sha256sum \"$1\" | cut -d' ' -f1", {dosya}); }

std::string infoPlist(const std::string& surum, const std::string& yapi, const std::string& anahtar = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>CFBundleShortVersionString</key>\n\t<string>" + surum + "</string>\n"
           "\t<key>CFBundleVersion</key>\n\t<string>" + yapi + "</string>\n"
           "\t<key>SUPublicEDKey</key>\n\t<string>" + anahtar + "</string>\n</dict>\n</plist>\n";
}

// One entry of an archive the test writes itself: f file, d folder,
// l symbolic link, h hard link (icerik: the target), p FIFO.
struct Girdi {
    std::string yol;
    char tur = 'f';
    std::string icerik;
    mode_t mod = 0644;
};

void arsivYaz(const std::string& yol, const std::vector<Girdi>& girdiler) {
    archive* a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    ASSERT_EQ(archive_write_open_filename(a, yol.c_str()), ARCHIVE_OK);
    for (const auto& g : girdiler) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, g.yol.c_str());
        archive_entry_set_perm(e, g.mod);
        switch (g.tur) {
            case 'd': archive_entry_set_filetype(e, AE_IFDIR); break;
            case 'l':
                archive_entry_set_filetype(e, AE_IFLNK);
                archive_entry_set_symlink(e, g.icerik.c_str());
                break;
            case 'h':
                archive_entry_set_filetype(e, AE_IFREG);
                archive_entry_set_hardlink(e, g.icerik.c_str());
                break;
            case 'p': archive_entry_set_filetype(e, AE_IFIFO); break;
            default:
                archive_entry_set_filetype(e, AE_IFREG);
                archive_entry_set_size(e, static_cast<la_int64_t>(g.icerik.size()));
        }
        ASSERT_EQ(archive_write_header(a, e), ARCHIVE_OK) << g.yol;
        if (g.tur == 'f') archive_write_data(a, g.icerik.data(), g.icerik.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

// A small bundle whose program answers --surum as that build would.
std::vector<Girdi> sahtePaket(const std::string& surum, const std::string& yapi, int kod = 0) {
    const std::string p = kPaketAdi + "/";
    return {{p, 'd', ""},
            {p + "Contents", 'd', ""},
            {p + "Contents/Info.plist", 'f', infoPlist(surum, yapi)},
            {p + "Contents/MacOS", 'd', ""},
            {p + "Contents/MacOS/Brimvale", 'f',
             "#!/bin/sh\necho '" + surum + " (" + yapi + ")'\nexit " + std::to_string(kod) + "\n", 0755}};
}

std::string besleme(const std::string& surum, const std::string& yapi, const std::string& adres,
                    const std::string& arsiv, const std::string& imza, const std::string& sha = "") {
    return "{\"surum\":\"" + surum + "\",\"yapi\":\"" + yapi + "\",\"adres\":\"" + adres +
           "\",\"boyut\":" + std::to_string(fs::file_size(arsiv)) + ",\"sha256\":\"" +
           (sha.empty() ? sha256sum(arsiv) : sha) + "\",\"imza\":\"" + imza + "\"}";
}

// The update a test offers: its archive, signed, and the feed naming it.
struct Teklif {
    std::string arsiv, besleme;
};
Teklif teklifYap(const std::vector<Girdi>& girdiler, const Anahtar& k, const std::string& surum = "0.2.0",
                 const std::string& yapi = "2") {
    Teklif t{TestOrtami::kok() + "/guncelleme.tar.gz", TestOrtami::kok() + "/besleme.json"};
    arsivYaz(t.arsiv, girdiler);
    TestOrtami::dosyaYaz(t.besleme, besleme(surum, yapi, "file://" + t.arsiv, t.arsiv, imzala(t.arsiv, k)));
    return t;
}

// A copy of the built bundle (a real copy: the build is shared by tests)
// that trusts `anahtar`: the program that installs the update.
std::string kuruluPaket(const std::string& anahtar) {
    fs::path yapilan = fs::path(TestOrtami::calistirilabilir()).parent_path().parent_path().parent_path();
    std::string kurulu = TestOrtami::kok() + "/Uygulamalar/" + kPaketAdi;
    fs::create_directories(fs::path(kurulu).parent_path());
    sh("cp -a \"$1\" \"$2\"", {yapilan.string(), kurulu});
    std::string plist = kurulu + "/Contents/Info.plist";
    std::string metin = *oku(plist);
    // By hand: a key beginning with a digit would read as part of a "$1" group.
    size_t bas = metin.find("<string>", metin.find("<key>SUPublicEDKey</key>")) + 8;
    metin.replace(bas, metin.find("</string>", bas) - bas, anahtar);
    fs::remove(plist);
    TestOrtami::dosyaYaz(plist, metin);
    return kurulu;
}

// What must stay as it was when an update is refused.
struct Iz {
    std::string plist;
    ino_t program;
    bool operator==(const Iz&) const = default;
};
Iz iz(const std::string& paket) {
    return {oku(paket + "/Contents/Info.plist").value_or(""),
            TestOrtami::durum(paket + "/Contents/MacOS/Brimvale").st_ino};
}
bool artikVar(const std::string& paket) {
    return fs::exists(hazirlikYolu(paket)) || fs::exists(eskiYolu(paket));
}

TestOrtami::Cikti guncellemeDene(const std::string& paket, const std::string& besleme) {
    ::setenv("BRIMVALE_FEED", besleme.c_str(), 1);
    std::string hata = TestOrtami::kok() + "/stderr";
    KomutSonucu k = komut(paket + "/Contents/MacOS/Brimvale", {"--guncelleme-dene"}, "", std::nullopt, hata);
    return {k.kod, k.cikti, oku(hata).value_or("")};
}

}  // namespace

TEST(Besleme, AFeedIsReadOnlyWhenEveryFieldIsThereAndSound) {
    const std::string sha(64, 'a');
    auto feed = [&](const std::string& degisen) {
        nlohmann::json j = {{"surum", "0.2.0"}, {"yapi", "2"}, {"adres", "https://x/a.tar.gz"},
                            {"boyut", 10},      {"sha256", sha}, {"imza", "aW16YQ=="}};
        if (!degisen.empty()) j.merge_patch(nlohmann::json::parse(degisen));
        return j.dump();
    };
    struct Durum {
        std::string degisen;
        bool okunur;
    } durumlar[] = {
        {"", true},
        {R"({"yapi": null})", false},
        {R"({"yapi": 2})", false},
        {R"({"adres": ""})", false},
        {R"({"boyut": 0})", false},
        {R"({"boyut": -5})", false},
        {R"({"boyut": "10"})", false},
        {R"({"boyut": 1073741824})", false},
        {R"({"sha256": "ABC"})", false},
        {"{\"sha256\": \"" + std::string(64, 'G') + "\"}", false},
        {R"({"imza": null})", false},
    };
    for (const auto& d : durumlar) {
        if (d.okunur)
            EXPECT_EQ(coz(feed(d.degisen)).boyut, 10u);
        else
            EXPECT_THROW(coz(feed(d.degisen)), std::runtime_error) << d.degisen;
    }
    for (std::string bozuk : {"", "[]", "{", "null", "\"x\""}) EXPECT_THROW(coz(bozuk), std::runtime_error) << bozuk;
}

TEST(Besleme, BuildNumbersCompareAsNumbersPartByPart) {
    struct {
        const char *a, *b;
        int sonuc;
    } durumlar[] = {{"2", "1", 1}, {"10", "9", 1}, {"1", "1", 0}, {"7.1", "7", 1},
                    {"7.0", "7", 0}, {"7", "7.0.1", -1}, {"1.10", "1.9", 1}, {"99999999999999999999", "1", 1}};
    for (const auto& d : durumlar) {
        EXPECT_EQ(yapiKarsilastir(d.a, d.b), d.sonuc) << d.a << " vs " << d.b;
        EXPECT_EQ(yapiKarsilastir(d.b, d.a), -d.sonuc) << d.b << " vs " << d.a;
    }
}

TEST(Imza, OnlyTheMakersSignatureOverTheSameBytesIsValid) {
    Anahtar k = anahtarYap("yapimci"), baska = anahtarYap("baska");
    std::string dosya = TestOrtami::kok() + "/arsiv";
    TestOrtami::dosyaYaz(dosya, "the bytes of an archive");
    std::string imza = imzala(dosya, k);
    struct {
        const char* ne;
        std::string baytlar, imza, anahtar;
        bool gecerli;
    } durumlar[] = {
        {"the same bytes", "the bytes of an archive", imza, k.acik, true},
        {"one byte changed", "the bytes of an archivf", imza, k.acik, false},
        {"another key", "the bytes of an archive", imza, baska.acik, false},
        {"the other key's signature", "the bytes of an archive", imzala(dosya, baska), k.acik, false},
        {"a cut signature", "the bytes of an archive", imza.substr(0, 40), k.acik, false},
        {"not base64", "the bytes of an archive", std::string(88, '!'), k.acik, false},
        {"no key", "the bytes of an archive", imza, "", false},
    };
    for (const auto& d : durumlar) EXPECT_EQ(imzaGecerli(d.baytlar, d.imza, d.anahtar), d.gecerli) << d.ne;
    EXPECT_EQ(Guncelleme::sha256(*oku(dosya)), sha256sum(dosya));
}

TEST(Paket, AnArchiveReachingOutsideItsBundleIsRefusedBeforeAnythingLandsOutside) {
    const std::string p = kPaketAdi + "/";
    auto ile = [&](std::vector<Girdi> ek) {
        auto g = sahtePaket("0.2.0", "2");
        g.insert(g.end(), ek.begin(), ek.end());
        return g;
    };
    struct {
        const char* ne;
        std::vector<Girdi> girdiler;
    } durumlar[] = {
        {"a path climbing out", ile({{p + "../kacak", 'f', "x"}})},
        {"an absolute path", ile({{TestOrtami::kok() + "/kacak", 'f', "x"}})},
        {"a second top folder", ile({{"Baska.app/kacak", 'f', "x"}})},
        {"a link leading out", ile({{p + "Contents/kacak", 'l', "../../kacak"}})},
        {"an absolute link", ile({{p + "Contents/kacak", 'l', TestOrtami::kok() + "/kacak"}})},
        {"a hard link to outside", ile({{p + "Contents/kacak", 'h', "../kacak"}})},
        {"a FIFO", ile({{p + "Contents/boru", 'p', ""}})},
        {"a top folder that is no bundle", {{"Brimvale/", 'd', ""}, {"Brimvale/Contents/MacOS/Brimvale", 'f', "x", 0755}}},
        {"no program", {{p + "Contents/Info.plist", 'f', infoPlist("0.2.0", "2")}}},
        {"another build than announced", sahtePaket("0.3.0", "3")},
    };
    std::string kurulu = TestOrtami::kok() + "/Uygulamalar/" + kPaketAdi;
    fs::create_directories(kurulu);
    for (const auto& d : durumlar) {
        std::string arsiv = TestOrtami::kok() + "/arsiv.tar.gz";
        arsivYaz(arsiv, d.girdiler);
        EXPECT_THROW(ac(arsiv, kurulu, "2"), std::runtime_error) << d.ne;
        EXPECT_FALSE(fs::exists(TestOrtami::kok() + "/kacak")) << d.ne;
        EXPECT_FALSE(fs::exists(TestOrtami::kok() + "/Uygulamalar/kacak")) << d.ne;
        EXPECT_TRUE(fs::is_empty(kurulu)) << d.ne;
    }
    // A sound one unpacks, links inside the bundle included.
    std::string arsiv = TestOrtami::kok() + "/arsiv.tar.gz";
    arsivYaz(arsiv, ile({{p + "Contents/Resources", 'l', "MacOS"}, {p + "Contents/kopya", 'h', p + "Contents/Info.plist"}}));
    std::string yeni = ac(arsiv, kurulu, "2");
    EXPECT_EQ(yeni, hazirlikYolu(kurulu) + "/" + kPaketAdi);
    EXPECT_TRUE(fs::exists(yeni + "/Contents/Resources/Brimvale"));
    EXPECT_EQ(oku(yeni + "/Contents/kopya"), oku(yeni + "/Contents/Info.plist"));
}

TEST(GuncellemeDene, ANewerSignedBuildIsInstalledAndTheOldBundleIsGoneOnceItStarted) {
    Anahtar k = anahtarYap("yapimci");
    std::string kurulu = kuruluPaket(k.acik);
    // The maker's release tool packs a bundle folder.
    std::string yeniKlasor = TestOrtami::kok() + "/yeni";
    for (const auto& g : sahtePaket("0.2.0", "2"))
        if (g.tur == 'f') {
            TestOrtami::dosyaYaz(yeniKlasor + "/" + g.yol, g.icerik);
            fs::permissions(yeniKlasor + "/" + g.yol, static_cast<fs::perms>(g.mod));
        }
    std::string arsiv = TestOrtami::kok() + "/Brimvale-2.tar.gz", feed = TestOrtami::kok() + "/besleme.json";
    sh("\"$1\" \"$2\" \"$3\" \"$4\" \"$5\" >/dev/null",
       {BRIMVALE_YAYINLA, yeniKlasor + "/" + kPaketAdi, arsiv, "file://" + arsiv, feed}, *oku(k.pem));

    auto c = guncellemeDene(kurulu, "file://" + feed);
    EXPECT_EQ(c.kod, 0) << c.cikti << c.hata;
    EXPECT_EQ(c.cikti, "denetleniyor\n0.2.0 (2)\nindiriliyor\naçılıyor\nkuruluyor\nkuruldu\n");
    EXPECT_EQ(komut(kurulu + "/Contents/MacOS/Brimvale", {"--surum"}).cikti, "0.2.0 (2)\n");
    EXPECT_EQ(oku(kurulu + "/Contents/Info.plist"), infoPlist("0.2.0", "2"));
    EXPECT_FALSE(artikVar(kurulu));
    EXPECT_TRUE(Metin::iceriyor(TestOrtami::gunluk(), "Güncelleme 0.2.0 kuruldu"));
}

TEST(GuncellemeDene, ARefusedUpdateLeavesTheInstalledBundleAsItWas) {
    Anahtar k = anahtarYap("yapimci"), baska = anahtarYap("baska");
    struct Durum {
        const char* ne;
        std::function<std::string()> hazirla;  // the feed's address
        int kod;
    } durumlar[] = {
        {"no update",
         [&] { return "file://" + teklifYap(sahtePaket("0.1.0", "1"), k, "0.1.0", "1").besleme; }, 3},
        {"a tampered archive",
         [&] {
             auto t = teklifYap(sahtePaket("0.2.0", "2"), k);
             std::string b = *baytlariOku(t.arsiv);
             b[b.size() / 2] ^= 1;
             atomikYaz(t.arsiv, b);
             return "file://" + t.besleme;
         }, 1},
        {"a tampered archive with a matching digest",
         [&] {
             auto t = teklifYap(sahtePaket("0.2.0", "2"), k);
             std::string imza = imzala(t.arsiv, k);
             std::string b = *baytlariOku(t.arsiv);
             b[b.size() / 2] ^= 1;
             atomikYaz(t.arsiv, b);
             atomikYaz(t.besleme, besleme("0.2.0", "2", "file://" + t.arsiv, t.arsiv, imza));
             return "file://" + t.besleme;
         }, 1},
        {"a wrong digest",
         [&] {
             auto t = teklifYap(sahtePaket("0.2.0", "2"), k);
             atomikYaz(t.besleme, besleme("0.2.0", "2", "file://" + t.arsiv, t.arsiv, imzala(t.arsiv, k),
                                          std::string(64, 'e')));
             return "file://" + t.besleme;
         }, 1},
        {"a bad signature", [&] { return "file://" + teklifYap(sahtePaket("0.2.0", "2"), baska).besleme; }, 1},
        {"a feed over plain http",
         [&] { return "http://127.0.0.1:9/" + fs::path(teklifYap(sahtePaket("0.2.0", "2"), k).besleme).string(); }, 1},
        {"an archive over plain http",
         [&] {
             auto t = teklifYap(sahtePaket("0.2.0", "2"), k);
             atomikYaz(t.besleme, besleme("0.2.0", "2", "http://127.0.0.1:9/a.tar.gz", t.arsiv, imzala(t.arsiv, k)));
             return "file://" + t.besleme;
         }, 1},
        {"an archive whose paths escape the bundle folder",
         [&] {
             auto g = sahtePaket("0.2.0", "2");
             g.push_back({kPaketAdi + "/../../kacak", 'f', "x"});
             return "file://" + teklifYap(g, k).besleme;
         }, 1},
        {"a new build that does not start", [&] { return "file://" + teklifYap(sahtePaket("0.2.0", "2", 1), k).besleme; }, 1},
        {"a feed that is missing", [&] { return "file://" + TestOrtami::kok() + "/yok.json"; }, 1},
    };
    std::string kurulu = kuruluPaket(k.acik);
    const Iz once = iz(kurulu);
    for (const auto& d : durumlar) {
        auto c = guncellemeDene(kurulu, d.hazirla());
        EXPECT_EQ(c.kod, d.kod) << d.ne << ": " << c.cikti << c.hata;
        if (d.kod == 1) {
            EXPECT_TRUE(Metin::iceriyor(c.cikti, "HATA ")) << d.ne << ": " << c.cikti;
        }
        EXPECT_EQ(iz(kurulu), once) << d.ne;
        EXPECT_FALSE(artikVar(kurulu)) << d.ne;
        EXPECT_FALSE(fs::exists(TestOrtami::kok() + "/kacak")) << d.ne;
        EXPECT_EQ(komut(kurulu + "/Contents/MacOS/Brimvale", {"--surum"}).kod, 0) << d.ne;
    }
}

TEST(GuncellemeDene, ATestStateFolderWithoutAFeedOfItsOwnHasUpdatesOff) {
    Anahtar k = anahtarYap("yapimci");
    std::string kurulu = kuruluPaket(k.acik);
    ::unsetenv("BRIMVALE_FEED");
    KomutSonucu c = komut(kurulu + "/Contents/MacOS/Brimvale", {"--guncelleme-dene"});
    EXPECT_EQ(c.kod, 1);
    EXPECT_TRUE(c.cikti.starts_with("HATA ")) << c.cikti;
}

TEST(SessizSurucu, AServerThatNeverAnswersEndsTheRunWithCode2After120Seconds) {
    // Takes the connection and never says a word.
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(s, 4), 0);
    socklen_t n = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);

    Saat::SahteSaat saat;
    saat.herBeklemede = [] { std::this_thread::sleep_for(std::chrono::microseconds(100)); };
    Saat::kaynakKur(&saat);
    Ayar ayar;
    ayar.besleme = "https://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/besleme.json";
    ayar.anahtar = anahtarYap("yapimci").acik;
    ayar.paket = TestOrtami::kok() + "/" + kPaketAdi;
    ayar.yapi = "1";
    std::ostringstream cikti;
    int kod = SessizSurucu::yurut(cikti, ayar);
    Saat::kaynakKur(nullptr);
    ::close(s);
    EXPECT_EQ(kod, 2);
    EXPECT_EQ(cikti.str(), "denetleniyor\nHATA zaman aşımı\n");
    EXPECT_GE(saat.toplamBekleme, 120);
}

TEST(Dongu, WhileABackupRunsTheUpdateWaitsAndIsInstalledWhenItIsGone) {
    Anahtar k = anahtarYap("yapimci");
    // An installed bundle of the test's own; the cycle runs in this process.
    std::string kurulu = TestOrtami::kok() + "/Uygulamalar/" + kPaketAdi;
    for (const auto& g : sahtePaket("0.1.0", "1"))
        if (g.tur == 'f') TestOrtami::dosyaYaz(TestOrtami::kok() + "/Uygulamalar/" + g.yol, g.icerik);
    auto t = teklifYap(sahtePaket("0.2.0", "2"), k);

    Saat::SahteSaat saat;
    bool kuruluDegisti = false;
    saat.herBeklemede = [&] { kuruluDegisti |= oku(kurulu + "/Contents/Info.plist") != infoPlist("0.1.0", "1"); };
    Saat::kaynakKur(&saat);
    Ayar ayar{"file://" + t.besleme, k.acik, kurulu, "1", [&] { return saat.beklemeSayisi < 3; }};
    struct : Surucu {
        std::vector<std::string> olaylar;
        void kuruluyor() override { olaylar.push_back("kuruluyor"); }
        void ertelendi() override { olaylar.push_back("ertelendi"); }
        void kuruldu() override { olaylar.push_back("kuruldu"); }
        void hata(const std::string& h) override { olaylar.push_back(h); }
    } surucu;
    std::atomic<bool> iptal{false};
    Sonuc sonuc = dongu(ayar, surucu, iptal);
    Saat::kaynakKur(nullptr);

    EXPECT_EQ(sonuc, Sonuc::kuruldu);
    EXPECT_EQ(surucu.olaylar, (std::vector<std::string>{"kuruluyor", "ertelendi", "kuruldu"}));
    EXPECT_EQ(saat.beklemeSayisi, 3);
    EXPECT_EQ(saat.toplamBekleme, 90);
    EXPECT_FALSE(kuruluDegisti);
    EXPECT_EQ(oku(kurulu + "/Contents/Info.plist"), infoPlist("0.2.0", "2"));
    EXPECT_TRUE(Metin::iceriyor(TestOrtami::gunluk(), "Güncelleme 0.2.0: yedek bitince kurulacak"));
}
