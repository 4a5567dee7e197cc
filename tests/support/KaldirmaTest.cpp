// Uninstalling: what goes, what stays, and that nothing changes while a
// backup runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "agent/Kurulum.hpp"
#include "backup/Durum.hpp"
#include "core/Ayarlar.hpp"
#include "core/Komut.hpp"
#include "core/Saat.hpp"
#include "core/Tercihler.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"
#include "store/Kopyalar.hpp"
#include "support/Kaldirma.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/SahteBaglama.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

const std::string kYedekVar = "A backup is running. Try again when it is done.";

// Every file below `kok` with its contents, by path relative to it.
std::map<std::string, std::string> agac(const std::string& kok) {
    std::map<std::string, std::string> m;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(kok, ec))
        m[fs::relative(e.path(), kok).string()] = e.is_regular_file() ? baytlariOku(e.path().string()).value_or("?") : "/";
    return m;
}

std::string cop() { return TestOrtami::kok() + "/cop"; }

// What a user's computer holds of the program before it is uninstalled.
void kurulmusGibi() {
    TestOrtami::dosyaYaz(Yol::ayarlar(), "{\"diskUUID\": \"ABC\"}\n");
    TestOrtami::dosyaYaz(Yol::gunluk(), "2026-12-05 09:00:00 Yedekleme bitti\n");
    TestOrtami::dosyaYaz(Yol::sonYedek(), "2026-12-05 09:00\n");
    fs::create_directories(Yol::mnt());
    Tercihler::yaz("eskiYedekUyariGunu", 20426);
    TestOrtami::dosyaYaz(TestOrtami::ev() + "/.config/baska-program.json", "{}\n");
    TestOrtami::dosyaYaz(Platform::veriDizini() + "/Ondrak Brimvale/anahtarlik.json", "{}\n");
}

}  // namespace

// The steps run in order, and the first that fails ends the uninstall with
// the steps before it done and those after it not.
TEST(Kaldirma, StepsRunUpToTheFirstThatFails) {
    struct Durum {
        const char* ad;
        bool yedekVar, copBozuk;
        std::optional<std::string> hata;  // "" for any system text
        bool ajanKaldirildi, durumTasindi, tercihlerSilindi;
    };
    for (const auto& d : std::vector<Durum>{
             {"a backup runs", true, false, kYedekVar, false, false, false},
             {"the Trash cannot take the state folder", false, true, "", true, false, false},
             {"nothing in the way", false, false, std::nullopt, true, true, true},
         }) {
        SCOPED_TRACE(d.ad);
        fs::remove_all(Yol::durum());
        fs::remove_all(cop());
        kurulmusGibi();
        const auto once = agac(Yol::durum());
        if (d.copBozuk) {
            TestOrtami::dosyaYaz(cop(), "a file where the Trash should be");
            setenv("BRIMVALE_COP", (cop() + "/icinde").c_str(), 1);
        } else {
            setenv("BRIMVALE_COP", cop().c_str(), 1);
        }
        int ajan = 0;
        auto hata = Kaldirma::kaldir(false, {[&] { return d.yedekVar; }, [&] { ++ajan; }});
        ASSERT_EQ(hata.has_value(), d.hata.has_value());
        if (d.hata && !d.hata->empty()) {
            EXPECT_EQ(*hata, *d.hata);
        } else if (d.hata) {
            EXPECT_NE(*hata, kYedekVar);
        }
        EXPECT_EQ(ajan, d.ajanKaldirildi ? 1 : 0);
        EXPECT_EQ(fs::exists(Yol::durum()), !d.durumTasindi);
        EXPECT_EQ(Tercihler::oku("eskiYedekUyariGunu").has_value(), !d.tercihlerSilindi);
        if (!d.durumTasindi) {
            EXPECT_EQ(agac(Yol::durum()), once);
        }
        std::vector<fs::path> copte;
        if (fs::is_directory(cop()))
            for (const auto& e : fs::directory_iterator(cop())) copte.push_back(e.path());
        ASSERT_EQ(copte.size(), d.durumTasindi ? 1u : 0u);
        if (d.durumTasindi) {
            EXPECT_TRUE(copte[0].filename().string().ends_with("-durum")) << copte[0];
            EXPECT_EQ(agac(copte[0].string()), once);
        }
    }
}

// Moving the state folder with the image still attached inside it would carry
// the mounted backups into the Trash: an image that will not detach stops the
// uninstall before anything goes.
TEST(Kaldirma, AnImageThatStaysAttachedStopsItBeforeAnythingGoes) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount";
    kurulmusGibi();
    setenv("BRIMVALE_COP", cop().c_str(), 1);
    SahteBaglama imaj(false);
    ASSERT_TRUE(imaj.tamam);
    SahteArac(TestOrtami::araclar(), "hdiutil").cevap("hdiutil: detach failed - Resource busy", 16);
    Saat::SahteSaat saat;  // the detach retries wait
    Saat::kaynakKur(&saat);
    int ajan = 0;
    auto hata = Kaldirma::kaldir(false, {[] { return false; }, [&] { ++ajan; }});
    Saat::kaynakKur(nullptr);
    EXPECT_EQ(hata, "hdiutil: detach failed - Resource busy");
    EXPECT_EQ(ajan, 0);
    EXPECT_TRUE(fs::exists(Yol::ayarlar()));
    EXPECT_FALSE(fs::exists(cop()));
    EXPECT_TRUE(Tercihler::oku("eskiYedekUyariGunu"));
}

namespace {

struct KaldirmaKomutu : testing::Test {
    const std::string plist = TestOrtami::ev() + "/Library/LaunchAgents/com.ondrak.brimvale.ajan.plist";
    // The agent's watcher, started by the bundle's service-manager stand-in,
    // must not outlive the test.
    void TearDown() override {
        std::string program = fs::canonical(TestOrtami::calistirilabilir()).string();
        std::string launchctl = fs::path(program).parent_path().parent_path() / "Helpers/launchctl";
        komut(launchctl, {"bootout", "gui/" + std::to_string(::getuid()) + "/com.ondrak.brimvale.ajan"});
    }
};

}  // namespace

// The command line keeps the program; while a backup runs it refuses and
// nothing changes; afterwards agent, state and preferences go and the
// password store stays.
TEST_F(KaldirmaKomutu, RefusedWhileABackupRunsThenRemovesAllButTheProgramAndPassword) {
    setenv("BRIMVALE_COP", cop().c_str(), 1);
    setenv("BRIMVALE_AJAN_DENE", "1", 1);
    kurulmusGibi();
    ASSERT_EQ(TestOrtami::calistir({"--ajan-kur"}).kod, 0);
    ASSERT_TRUE(fs::exists(plist));
    ASSERT_TRUE(Yedekleme::kilitAl());
    const auto durumOnce = agac(Yol::durum());
    const auto tanimOnce = oku(plist);
    const auto tercihlerOnce = oku(Tercihler::yol());

    EXPECT_EQ(TestOrtami::calistir({"--kaldir"}), (TestOrtami::Cikti{1, kYedekVar + "\n", ""}));
    EXPECT_EQ(agac(Yol::durum()), durumOnce);
    EXPECT_EQ(oku(plist), tanimOnce);
    EXPECT_EQ(oku(Tercihler::yol()), tercihlerOnce);
    EXPECT_NE(TestOrtami::calistir({"--ajan-durumu"}).cikti.find("kurulu: true"), std::string::npos);
    EXPECT_FALSE(fs::exists(cop()));
    Yedekleme::kilidiBirak();

    // In a test run the service-manager stand-in keeps its jobs in the state
    // folder too; the agent's removal takes its job from there.
    auto programinkiler = [](std::map<std::string, std::string> m) {
        std::erase_if(m, [](const auto& e) { return e.first.starts_with("hizmetler"); });
        return m;
    };
    const auto durumSimdi = programinkiler(agac(Yol::durum()));
    EXPECT_EQ(TestOrtami::calistir({"--kaldir"}), (TestOrtami::Cikti{0, "", ""}));
    EXPECT_FALSE(fs::exists(Yol::durum())) << "nothing is written to the log after it went";
    EXPECT_FALSE(fs::exists(plist));
    EXPECT_EQ(TestOrtami::calistir({"--ajan-durumu"}).cikti.find("kurulu: true"), std::string::npos);
    EXPECT_FALSE(fs::exists(Tercihler::yol()));
    EXPECT_TRUE(fs::exists(TestOrtami::ev() + "/.config/baska-program.json"));
    EXPECT_TRUE(fs::exists(Platform::veriDizini() + "/Ondrak Brimvale/anahtarlik.json"));
    EXPECT_TRUE(fs::exists(TestOrtami::calistirilabilir()));
    std::vector<fs::path> copte;
    for (const auto& e : fs::directory_iterator(cop())) copte.push_back(e.path());
    ASSERT_EQ(copte.size(), 1u);
    EXPECT_EQ(programinkiler(agac(copte[0].string())), durumSimdi);
    EXPECT_FALSE(fs::exists(copte[0] / "hizmetler/com.ondrak.brimvale.ajan.json"));
}

// Backups on the disk and the password outlive the uninstall: after it, the
// copy made before opens with the stored password and restores.
TEST(KaldirmaGercek, ABackupMadeBeforeStillOpensAndRestoresAfterwards) {
    if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    DenemeDiski::yardimcilariKur();
    DenemeDiski disk("BRIMKALD", 128);
    const std::string parola = "Kaldirma parolasi 5";
    std::string kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
    TestOrtami::dosyaYaz(kaynak + "/mektup.txt", "sevgili disk\n");
    Ayarlar ayarlar;
    ayarlar.diskUUID = disk.uuid;
    ayarlar.kaynaklar = {kaynak};
    ayarlar.seyrelt = false;
    ayarlar.kaydet();
    ASSERT_TRUE(Kurulum::parolaKaydet(parola, ayarlar));
    Birim birim{disk.uuid, disk.etiket, disk.yol, Disk::toplamYer(disk.yol), Disk::bosYer(disk.yol)};
    ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, parola), std::nullopt);
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    auto yedek = TestOrtami::calistir({"--yedekle"});
    ASSERT_EQ(yedek.kod, 0) << yedek.cikti << TestOrtami::gunluk();

    if (!Disk::birim(disk.uuid)) disk.yenidenTak();
    setenv("BRIMVALE_COP", cop().c_str(), 1);
    ASSERT_EQ(TestOrtami::calistir({"--kaldir"}), (TestOrtami::Cikti{0, "", ""}));
    ASSERT_FALSE(fs::exists(Yol::durum()));

    // Installed again: the same disk chosen, nothing else carried over.
    ayarlar.kaydet();
    auto ac = TestOrtami::calistir({"--ac"});
    ASSERT_EQ(ac.kod, 0) << ac.cikti << ac.hata;
    Disk::ImajAyirici ayirici;
    auto kopyalar = Kopyalar::liste(Yol::yedekler());
    ASSERT_EQ(kopyalar.size(), 1u);
    std::string hedef = TestOrtami::kok() + "/geri";
    fs::create_directories(hedef);
    auto geri = TestOrtami::calistir({"--farkli-kaydet", kopyalar[0], "Belgeler/mektup.txt", hedef});
    ASSERT_EQ(geri.kod, 0) << geri.cikti << geri.hata;
    EXPECT_EQ(oku(Metin::kirp(geri.cikti)), "sevgili disk\n") << geri.cikti;
    EXPECT_EQ(ayirici.ayir(), std::nullopt);
}
