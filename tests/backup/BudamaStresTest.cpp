// Thinning on a real encrypted image, round after round: copies thinned in
// one run are removed straight on the disk right after the next attach, and
// no copy kept ever loses a file or a link. Root, loop devices and FUSE;
// skips elsewhere.
#include <fcntl.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "agent/Kurulum.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/Kopyalar.hpp"
#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using TestOrtami::gunluk;
using Adlar = std::vector<std::string>;

namespace {

const char* kParola = "Budama parolasi 3";
constexpr int kTur = 30, kDosya = 300;

int calistir(const std::vector<std::string>& args) { return TestOrtami::bitis(TestOrtami::baslat(args)); }

std::string asama() {
    auto alanlar = Metin::bol(Metin::kirp(oku(Yol::asama()).value_or("")), '\t', false);
    return alanlar.empty() ? "" : alanlar[0];
}

Adlar gizliler() {
    Adlar v;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Yol::yedekler(), ec))
        if (e.path().filename().string().starts_with(Kopyalar::silinecekOnek)) v.push_back(e.path().filename());
    std::sort(v.begin(), v.end());
    return v;
}

class BudamaStres : public ::testing::Test {
protected:
    std::unique_ptr<DenemeDiski> disk;
    std::string kaynak, imaj, anlik;
    Ayarlar ayarlar;
    std::mt19937 rastgele;

    void SetUp() override {
        if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        setenv("TZ", "UTC", 1);
        tzset();
        DenemeDiski::yardimcilariKur();
        disk = std::make_unique<DenemeDiski>("BRIMSTR", 256);
        setenv("BRIMVALE_PAROLA", kParola, 1);
        // Files are deleted between rounds: the answer to the question is given.
        setenv("BRIMVALE_CEVAP", "yedekle", 1);
        kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
        anlik = TestOrtami::kok() + "/anliklar";
        for (int i = 0; i < kDosya; ++i) yaz(i, 0);
        fs::create_symlink("k0/d0.txt", kaynak + "/bag");
        ayarlar.diskUUID = disk->uuid;
        ayarlar.kaynaklar = {kaynak};
        ayarlar.seyrelt = true;
        ayarlar.saklama = {4, 3, 1, 1, 1};
        ayarlar.kaydet();
        imaj = disk->yol + "/" + ayarlar.imajAdi;
        Birim birim{disk->uuid, disk->etiket, disk->yol, Disk::toplamYer(disk->yol), Disk::bosYer(disk->yol)};
        ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, kParola), std::nullopt);
        unsigned tohum = std::random_device{}();
        if (const char* t = std::getenv("BRIMVALE_TOHUM")) tohum = static_cast<unsigned>(std::strtoul(t, nullptr, 10));
        std::printf("seed: %u (BRIMVALE_TOHUM=%u repeats this run)\n", tohum, tohum);
        rastgele.seed(tohum);
    }
    void TearDown() override {
        if (disk && Disk::imajDurumu() != Disk::Baglanti::yok) komut("/usr/bin/fusermount3", {"-u", "-z", Yol::mnt()});
    }

    std::string dosya(int n) { return kaynak + "/k" + std::to_string(n % 10) + "/d" + std::to_string(n) + ".txt"; }
    // Content and time of round `tur`, so that the copy tool's size and time
    // check sees every change.
    void yaz(int n, int tur) {
        TestOrtami::dosyaYaz(dosya(n), "file " + std::to_string(n) + " round " + std::to_string(tur) + "\n" +
                                           std::string(static_cast<size_t>(n % 50 + tur), 'x'));
        fs::last_write_time(dosya(n), fs::file_time_type::clock::now() - std::chrono::hours(1000 - tur));
    }
    int rastgeleDosya() { return std::uniform_int_distribution<int>(0, kDosya - 1)(rastgele); }
    // Files changed, deleted, and deleted ones made again.
    void degistir(int tur, std::set<int>& silinmis) {
        for (int i = 0; i < 8; ++i) yaz(rastgeleDosya(), tur);
        for (int i = 0; i < 5; ++i)
            if (int n = rastgeleDosya(); n != 0 && fs::remove(dosya(n))) silinmis.insert(n);
        for (int i = 0; i < 3 && !silinmis.empty(); ++i) {
            auto it = silinmis.begin();
            std::advance(it, std::uniform_int_distribution<size_t>(0, silinmis.size() - 1)(rastgele));
            yaz(*it, tur);
            silinmis.erase(it);
        }
    }
    std::string anlikAl(int tur) {
        std::string hedef = anlik + "/" + std::to_string(tur);
        fs::create_directories(anlik);
        EXPECT_EQ(komut("/usr/bin/cp", {"-a", kaynak, hedef}).kod, 0);
        return hedef;
    }
    void ayniOlmali(const std::string& anlikYolu, const std::string& kopya) {
        KomutSonucu d = komut("/usr/bin/diff", {"-r", "--no-dereference", anlikYolu,
                                                Yol::yedekler() + "/" + kopya + "/Belgeler"});
        EXPECT_EQ(d.kod, 0) << kopya << ": " << d.cikti.substr(0, 500);
    }
    void gerekirseTak() {
        if (!Disk::birim(ayarlar.diskUUID)) disk->yenidenTak();
    }
    void yeniSaniye() {
        time_t t = ::time(nullptr);
        kosulBekle([&] { return ::time(nullptr) != t; }, 2);
    }
    // Copies made 7 hours apart from 2024-01-08 on, so that every kind of
    // bucket thins something; the runs themselves all fall in one hour.
    static std::string yapayAd(int tur) {
        return Kopyalar::yeniAd(Saat::Zaman{std::chrono::seconds(1704672000 + tur * 7 * 3600)});
    }
    // The copy just made goes back in time under its made-up name, with its statistics.
    void geriAl(const std::string& ad, const std::string& yeni) {
        ASSERT_EQ(::rename((Yol::yedekler() + "/" + ad).c_str(), (Yol::yedekler() + "/" + yeni).c_str()), 0);
        std::rename((Kopyalar::metaKlasoru() + "/" + ad + ".json").c_str(),
                    (Kopyalar::metaKlasoru() + "/" + yeni + ".json").c_str());
    }
};

}  // namespace

TEST_F(BudamaStres, ThinnedCopiesGoAtTheNextAttachAndKeptOnesStayWhole) {
    std::map<std::string, std::string> anliklar;  // copy -> the source it was made from
    std::set<int> silinmis;
    Adlar onceki;  // hidden trees when the last run began
    for (int tur = 0; tur < kTur; ++tur) {
        SCOPED_TRACE("round " + std::to_string(tur));
        if (tur > 0) degistir(tur, silinmis);
        std::string a = anlikAl(tur);
        gerekirseTak();
        yeniSaniye();
        if (tur == 20) {
            // Killed once its thinning is done and the image is detached:
            // the trees it moved aside wait, hidden, for the next attach.
            pid_t pid = TestOrtami::baslat({"--yedekle"});
            bool bitti = false;
            kosulBekle([&] { return asama() == "kurtulus" || (bitti = ::waitpid(pid, nullptr, WNOHANG) == pid); }, 60);
            if (!bitti) {
                ::kill(-pid, SIGKILL);
                TestOrtami::bitis(pid);
            }
            std::printf("round %d: run %s\n", tur, bitti ? "ended before it could be killed" : "killed");
        } else {
            ASSERT_EQ(calistir({"--yedekle"}), 0) << gunluk();
        }

        gerekirseTak();
        ASSERT_EQ(Disk::imajiBagla(imaj, false, ayarlar), std::nullopt);
        Adlar kalan;
        auto simdi = gizliler();
        std::set_intersection(onceki.begin(), onceki.end(), simdi.begin(), simdi.end(), std::back_inserter(kalan));
        EXPECT_EQ(kalan, Adlar{}) << "left after the attach that should have removed them";
        auto adlar = Kopyalar::liste(Yol::yedekler());
        ASSERT_FALSE(adlar.empty());
        std::string yeni = yapayAd(tur);
        ASSERT_GT(adlar.back(), yeni);  // the run's own copy, made now
        geriAl(adlar.back(), yeni);
        anliklar[yeni] = a;
        ayniOlmali(a, yeni);

        // A run that died after moving a copy out of the list: the tree stays
        // hidden, whole or partly removed, for the next attach.
        adlar = Kopyalar::liste(Yol::yedekler());
        if (tur % 6 == 2 && adlar.size() > 1) {
            Kopyalar::sil(adlar.front(), Yol::yedekler(), false);
        }
        if (tur % 6 == 4 && adlar.size() > 1) {
            Kopyalar::sil(adlar.front(), Yol::yedekler(), false);
            std::string gizli = Yol::yedekler() + "/" + Kopyalar::silinecekAdi(adlar.front()) + "/Belgeler";
            for (int k = 0; k < 5; ++k) fs::remove_all(gizli + "/k" + std::to_string(k));
        }
        onceki = gizliler();
        std::printf("round %d: %zu copies, %zu hidden\n", tur, Kopyalar::liste(Yol::yedekler()).size(), onceki.size());
        std::fflush(stdout);
        // Once, the image stays attached as a killed run leaves it: the next
        // run did not attach it, so it removes through the image.
        if (tur != 13) {
            ASSERT_EQ(Disk::imajiAyir(), std::nullopt);
        }
    }

    // A last run, thinning off: it removes what the last thinning left.
    ayarlar.seyrelt = false;
    ayarlar.kaydet();
    gerekirseTak();
    yeniSaniye();
    ASSERT_EQ(calistir({"--yedekle"}), 0) << gunluk();
    gerekirseTak();
    ASSERT_EQ(Disk::imajiBagla(imaj, true, ayarlar), std::nullopt);
    EXPECT_EQ(gizliler(), Adlar{});
    auto adlar = Kopyalar::liste(Yol::yedekler());
    anliklar[adlar.back()] = anliklar[yapayAd(kTur - 1)];
    std::printf("copies kept: %zu of %d\n", adlar.size(), kTur + 1);
    EXPECT_GE(adlar.size(), 4u);

    // Every file of every copy as it was made, and each file's links are
    // exactly the copies that hold it.
    std::map<ino_t, nlink_t> baglar;
    std::map<ino_t, nlink_t> sayilan;
    for (const auto& ad : adlar) {
        ASSERT_TRUE(anliklar.count(ad)) << ad;
        ayniOlmali(anliklar[ad], ad);
        for (const auto& e : fs::recursive_directory_iterator(Yol::yedekler() + "/" + ad)) {
            struct stat st{};
            ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
            if (!S_ISREG(st.st_mode)) continue;
            baglar[st.st_ino] = st.st_nlink;
            ++sayilan[st.st_ino];
        }
    }
    EXPECT_EQ(baglar, sayilan);
    // Straight on the disk wherever the run attached the image itself, and
    // never a way back through the image.
    EXPECT_EQ(gunluk().find("removed through the image"), std::string::npos) << gunluk();
    size_t diskte = 0;
    for (size_t i = 0; (i = gunluk().find("deletion left (on the disk): ", i)) != std::string::npos; ++i) ++diskte;
    std::printf("trees removed on the disk: %zu\n", diskte);
    EXPECT_GE(diskte, static_cast<size_t>(kTur / 2));
    // The run after the one that found the image attached went through it.
    EXPECT_NE(gunluk().find("deletion left: " + std::string(Kopyalar::silinecekOnek)), std::string::npos);
    EXPECT_EQ(Disk::imajiAyir(), std::nullopt);
}
