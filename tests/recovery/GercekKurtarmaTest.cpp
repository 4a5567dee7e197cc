// A person with a fresh Linux machine, gocryptfs and only the backup disk
// follows the instructions file line by line and gets the files back.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "recovery/Kurtulus.hpp"
#include "tests/recovery/KitOrtami.hpp"
#include "tests/support/DenemeDiski.hpp"

namespace fs = std::filesystem;

namespace {

const std::string parola = "Kurtarma-Parolasi-90210";
const std::string kopya = "2026-12-05_091200";

// The shell runs a line of the text; a mounting gocryptfs keeps running in
// the background, so its output goes to a file rather than a pipe.
KomutSonucu kabuk(const std::string& satir, const std::string& girdi = "") {
    std::string kayit = TestOrtami::kok() + "/kabuk.log";
    fs::remove(kayit);
    KomutSonucu s = komut("/bin/sh", {"-c", satir}, girdi, kayit);
    s.cikti = oku(kayit).value_or("");
    return s;
}

// Unmounts whatever is still mounted there, also when the test fails.
struct Baglama {
    std::string yol;
    ~Baglama() { komut("/usr/bin/fusermount3", {"-u", "-z", yol}, std::string()); }
};

std::map<std::string, std::string> agac(const std::string& kok) {
    std::map<std::string, std::string> sonuc;
    for (const auto& d : KitOrtami::dosyalar(kok)) sonuc[fs::relative(d, kok).string()] = *baytlariOku(d);
    return sonuc;
}

struct Komutlar {
    std::string kur, dogrula, ac, kapat;
    std::vector<std::string> kopyalar;
};

// The command lines exactly as the text gives them, in its own language's part.
Komutlar komutlar(const std::string& metin, bool turkce) {
    Komutlar k;
    const std::vector<std::pair<std::string*, std::regex>> kaliplar =
        turkce ? decltype(kaliplar){{&k.dogrula, std::regex("Doğrulama: (.*)$")},
                                    {&k.kur, std::regex("^1\\. Ondrak-Brimvale\\.dmg .*çıkar: (.*)$")},
                                    {&k.ac, std::regex("^1\\. (mkdir.*)$")},
                                    {&k.kapat, std::regex("^4\\. (fusermount3.*)$")}}
               : decltype(kaliplar){{&k.kur, std::regex("to Applications \\((.*)\\) and open it")},
                                    {&k.ac, std::regex("^- Without the app: (.*) \\(asks for the password\\)")},
                                    {&k.kapat, std::regex("^  and (.*)\\. The program list")}};
    std::smatch m;
    bool ingilizce = false;
    for (const auto& satir : Metin::bol(metin, '\n', true)) {
        ingilizce = ingilizce || satir == "IN ENGLISH";
        if (turkce && ingilizce) break;
        if (satir.starts_with("   mkdir -p ")) k.kopyalar.push_back(satir.substr(3));
        for (const auto& [alan, kalip] : kaliplar)
            if (std::regex_search(satir, m, kalip)) *alan = m[1];
    }
    return k;
}

void kurtar(bool turkce) {
    if (auto neden = DenemeDiski::imajEksik(); !neden.empty()) GTEST_SKIP() << "Skipped: " << neden;
    if (turkce) setenv("LANGUAGE", "tr", 1);
    std::string disk = TestOrtami::kok() + "/media/YEDEK", sifreli = disk + "/Brimvale.sparsebundle";
    std::string ev = TestOrtami::ev();
    fs::create_directories(sifreli);
    KomutSonucu s = komut("/usr/bin/gocryptfs", {"-init", "-q", "-scryptn", "10", sifreli}, parola + "\n");
    ASSERT_EQ(s.kod, 0) << s.cikti;

    // The backup as it was made on the old machine.
    std::string yaz = TestOrtami::kok() + "/yaz", hedefNotlar = TestOrtami::kok() + "/yeni/iç/Notlar \"eski\" $x";
    std::string kaynak = yaz + "/yedekler/" + kopya;
    {
        fs::create_directories(yaz);
        Baglama b{yaz};
        s = komut("/bin/sh", {"-c", "gocryptfs -q \"$1\" \"$2\" >/dev/null 2>&1", "sh", sifreli, yaz}, parola + "\n");
        ASSERT_EQ(s.kod, 0) << s.cikti;
        TestOrtami::dosyaYaz(kaynak + "/Belgeler/mektup.txt", "Sevgili Ayşe\n");
        TestOrtami::dosyaYaz(kaynak + "/Belgeler/alt klasör/veri.bin", std::string("\0\x01\xff", 3));
        TestOrtami::dosyaYaz(kaynak + "/Notlar \"eski\" $x/not.md", "# not\n");
    }

    // The new machine already has a Belgeler folder with a file of its own.
    TestOrtami::dosyaYaz(ev + "/Belgeler/zaten.txt", "burada\n");
    Ayarlar a;
    a.kaynaklar = {ev + "/Belgeler", hedefNotlar};
    SahteArac h = KitOrtami::hdiutil();
    ASSERT_EQ(Kurtulus::kokuYaz(a, disk, kopya, "Brimvale", false, KitOrtami::paket()), std::nullopt);
    std::string metin = *oku(disk + "/" + Kurtulus::okuAdi());
    Komutlar k = komutlar(metin, turkce);
    ASSERT_EQ(k.kopyalar.size(), 2u) << metin;
    ASSERT_FALSE(k.ac.empty() || k.kapat.empty() || k.kur.empty()) << metin;

    if (turkce) {
        s = kabuk(k.dogrula);
        EXPECT_EQ(s.kod, 0) << k.dogrula << "\n" << s.cikti;
    }
    s = kabuk(k.kur);
    EXPECT_EQ(s.kod, 0) << k.kur << "\n" << s.cikti;
    EXPECT_TRUE(fs::exists(ev + "/Applications/Ondrak Brimvale.app/Contents/MacOS/Brimvale"));

    Baglama acik{ev + "/Brimvale"};
    s = kabuk(k.ac, parola + "\n");
    ASSERT_EQ(s.kod, 0) << k.ac << "\n" << s.cikti;
    for (const auto& satir : k.kopyalar) {
        s = kabuk(satir);
        EXPECT_EQ(s.kod, 0) << satir << "\n" << s.cikti;
    }
    s = kabuk(k.kapat);
    EXPECT_EQ(s.kod, 0) << k.kapat << "\n" << s.cikti;
    EXPECT_FALSE(fs::exists(ev + "/Brimvale/yedekler"));

    auto geriGelen = agac(ev + "/Belgeler");
    EXPECT_EQ(geriGelen.erase("zaten.txt"), 1u);
    EXPECT_EQ(geriGelen, (std::map<std::string, std::string>{{"mektup.txt", "Sevgili Ayşe\n"},
                                                             {"alt klasör/veri.bin", std::string("\0\x01\xff", 3)}}));
    EXPECT_EQ(agac(hedefNotlar), (std::map<std::string, std::string>{{"not.md", "# not\n"}}));

    for (const auto& kok : {disk, Yol::durum()})
        for (const auto& d : KitOrtami::dosyalar(kok)) EXPECT_EQ(baytlariOku(d)->find(parola), std::string::npos) << d;
}

}  // namespace

TEST(GercekKurtarma, EnglishInstructionsBringTheFilesBack) { kurtar(false); }

TEST(GercekKurtarma, TurkishInstructionsBringTheFilesBack) { kurtar(true); }
