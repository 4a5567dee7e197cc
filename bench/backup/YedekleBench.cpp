// Whole backup runs (`--yedekle`) of 20,000 files with 100 changed, onto a
// loop-device disk holding the encrypted image, against one plain copy pass
// with --link-dest into the same mounted image, in interleaved rounds
// (`--tur N`, default 5): a run with nothing to thin, the plain pass, and a
// run that removes a thinned tree of 20,000 links and thins older copies.
// Prints each round, medians with their spread and the ratios. Needs root,
// loop devices and FUSE; without them it says why and exits 0.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "agent/Kurulum.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int ustKlasor = 20, altKlasor = 10, klasorBasina = 100;  // 20,000 files
constexpr int degisen = 100;
constexpr uintmax_t diskBoyu = uintmax_t{2} << 30;
const char* const etiket = "BRIMBENCH";
const char* const parola = "tezgah parolasi 42";

using Saat = std::chrono::steady_clock;

double saniye(Saat::time_point bas) { return std::chrono::duration<double>(Saat::now() - bas).count(); }

std::string calistir(const std::string& program, const std::vector<std::string>& args,
                     const std::optional<std::string>& girdi = std::string()) {
    KomutSonucu s = komut(program, args, girdi);
    if (s.kod != 0) throw std::runtime_error(program + " failed (" + std::to_string(s.kod) + "): " + s.cikti);
    return Metin::kirp(s.cikti);
}

std::string eksik() {
    if (::geteuid() != 0) return "needs root to attach loop devices and mount";
    if (!fs::exists("/dev/loop-control")) return "no loop devices (/dev/loop-control missing)";
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is not usable";
    for (const char* p : {"/usr/sbin/losetup", "/usr/sbin/sfdisk", "/usr/sbin/mkfs.ext4", "/usr/bin/partx",
                          "/usr/bin/gocryptfs", "/usr/bin/fusermount3", "/usr/bin/rsync", BRIMVALE_PROGRAM})
        if (::access(p, X_OK) != 0) return std::string(p) + " is missing";
    return {};
}

// Stage changes and new log lines of a running engine, stamped to the
// millisecond: the log's own stamps are whole seconds.
class Gozcu {
public:
    Gozcu() : bas_(Saat::now()), konum_(dosyaBoyu(Yol::gunluk())) {
        is_ = std::thread([this] {
            std::string sonAsama;
            while (!dur_) {
                auto alanlar = Metin::bol(oku(Yol::asama()).value_or(""), '\t', true);
                std::string asama = alanlar.empty() ? "" : alanlar.front();
                if (!asama.empty() && asama != sonAsama) ekle("stage " + (sonAsama = asama));
                auto gunluk = baytlariOku(Yol::gunluk()).value_or("");
                if (gunluk.size() > konum_) {
                    auto son = gunluk.rfind('\n');
                    if (son != std::string::npos && son >= konum_) {
                        for (const auto& satir : Metin::bol(gunluk.substr(konum_, son - konum_), '\n', true))
                            ekle("log   " + satir);
                        konum_ = son + 1;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~Gozcu() { durdur(); }
    void durdur() {
        dur_ = true;
        if (is_.joinable()) is_.join();
    }
    void yazdir() const {
        for (const auto& [t, olay] : olaylar_) std::printf("  %8.3f s  %s\n", t, olay.c_str());
    }

private:
    static size_t dosyaBoyu(const std::string& yol) {
        std::error_code ec;
        auto boy = fs::file_size(yol, ec);
        return ec ? 0 : static_cast<size_t>(boy);
    }
    void ekle(const std::string& olay) { olaylar_.emplace_back(saniye(bas_), olay); }

    Saat::time_point bas_;
    size_t konum_;
    std::atomic<bool> dur_{false};
    std::vector<std::pair<double, std::string>> olaylar_;
    std::thread is_;
};

// The private world: folders, the disk file and its loop device, the mounts.
// Everything is undone when it goes, also after a failure.
class Tezgah {
public:
    Tezgah() {
        char sablon[] = "/tmp/brimvale-yedekle-bench-XXXXXX";
        if (!::mkdtemp(sablon)) throw std::runtime_error("mkdtemp failed");
        kok = sablon;
        dosya = kok + "/disk.img";
        yol = kok + "/harici/" + etiket;
        kaynak = kok + "/ev/Belgeler";
        imajYeri = kok + "/duz";
    }
    ~Tezgah() { temizle(); }
    Tezgah(const Tezgah&) = delete;
    Tezgah& operator=(const Tezgah&) = delete;

    void ortamKur() {
        std::string durum = kok + "/durum", araclar = kok + "/araclar", ev = kok + "/ev";
        for (const auto& k : {durum, araclar, ev + "/.local/share", yol}) fs::create_directories(k);
        ::setenv("BRIMVALE_DURUM", durum.c_str(), 1);
        ::setenv("HOME", ev.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (ev + "/.local/share").c_str(), 1);
        ::setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
        ::setenv("BRIMVALE_PAROLA", parola, 1);
        ::setenv("BRIMVALE_ARACLAR", araclar.c_str(), 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        // This program is not inside the bundle: it reaches the stand-ins through the tool folder.
        for (const char* ad : {"hdiutil", "diskutil", "security", "ditto", "osascript", "open"})
            fs::create_symlink(fs::path(BRIMVALE_PAKET) / "Contents/Helpers" / ad, fs::path(araclar) / ad);
    }

    void diskKur() {
        std::ofstream(dosya).close();
        fs::resize_file(dosya, diskBoyu);
        calistir("/usr/sbin/sfdisk", {"-q", dosya}, std::string("label: dos\n,,L\n"));
        tak();
        calistir("/usr/sbin/mkfs.ext4", {"-q", "-F", "-L", etiket, bolum});
        calistir("/usr/bin/mount", {bolum, yol});
    }

    // The same backing file on a loop device again, freshly mounted at `yol`
    // as when the disk is plugged in: each timed pass starts with the disk's
    // file system caches as cold as the others'.
    void yenidenTak() {
        for (const auto& b : Platform::baglamalar())
            if (b.yol == yol) {
                // The image's daemon may still be closing its files on the disk.
                for (int i = 0; komut("/usr/bin/umount", {yol}).kod != 0; ++i) {
                    if (i == 50) throw std::runtime_error("the disk stays busy: " + yol);
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            }
        if (std::string d = dongu(); d.empty()) tak();
        else bolum = d + "p1";
        calistir("/usr/bin/mount", {bolum, yol});
    }

    // The loop device our disk file is attached to, if any.
    std::string dongu() const {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/sys/block", ec)) {
            std::string ad = e.path().filename().string();
            if (!ad.starts_with("loop")) continue;
            if (Metin::kirp(oku(e.path().string() + "/loop/backing_file").value_or("")) == dosya) return "/dev/" + ad;
        }
        return {};
    }

    void temizle() {
        if (kok.empty()) return;
        // FUSE mounts under our folder first (the image), then the disk's own mounts.
        auto bizim = [&](const Platform::Baglama& b) { return b.yol.starts_with(kok + "/"); };
        for (const auto& b : Platform::baglamalar())
            if (bizim(b) && b.tur.starts_with("fuse")) komut("/usr/bin/fusermount3", {"-u", "-z", b.yol});
        auto baglamalar = Platform::baglamalar();
        for (auto it = baglamalar.rbegin(); it != baglamalar.rend(); ++it)
            if (bizim(*it) || (!bolum.empty() && it->kaynak == bolum)) komut("/usr/bin/umount", {"-l", it->yol});
        for (std::string d = dongu(), onceki; !d.empty() && d != onceki; onceki = d, d = dongu())
            komut("/usr/sbin/losetup", {"-d", d});
        std::error_code ec;
        fs::remove_all(kok, ec);
        kok.clear();
    }

    std::string kok, dosya, yol, bolum, kaynak, imajYeri;

private:
    void tak() {
        std::string d = calistir("/usr/sbin/losetup", {"-f", "--show", "-P", dosya});
        bolum = d + "p1";
        // Without udev the partition may only appear once partx adds it.
        if (!fs::exists(bolum)) komut("/usr/bin/partx", {"-a", d});
        for (int i = 0; i < 50 && !fs::exists(bolum); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!fs::exists(bolum)) throw std::runtime_error("no partition node " + bolum);
    }
};

void yaz(const std::string& yol, const std::string& icerik) {
    std::ofstream f(yol, std::ios::binary | std::ios::trunc);
    f << icerik;
    if (!f) throw std::runtime_error("cannot write " + yol);
}

std::string dosyaYolu(const std::string& kaynak, int n) {
    int ust = n / (altKlasor * klasorBasina), alt = n / klasorBasina % altKlasor, d = n % klasorBasina;
    return kaynak + "/u" + std::to_string(ust) + "/a" + std::to_string(alt) + "/d" + std::to_string(d) + ".txt";
}

void kaynakKur(const std::string& kaynak) {
    for (int n = 0; n < ustKlasor * altKlasor * klasorBasina; ++n) {
        std::string yol = dosyaYolu(kaynak, n);
        if (n % klasorBasina == 0) fs::create_directories(fs::path(yol).parent_path());
        yaz(yol, std::string(200 + n % 1800, static_cast<char>('a' + n % 26)));
    }
}

// New content (and size) for the same 100 files each round.
void degistir(const std::string& kaynak, int tur) {
    for (int i = 0; i < degisen; ++i)
        yaz(dosyaYolu(kaynak, i * 199), "round " + std::to_string(tur) + "\n" + std::string(3000 + tur * 10 + i, 'z'));
}

// Seconds of one whole `--yedekle`; with `gozle` its timeline is printed too.
double yedekle(bool gozle) {
    std::optional<Gozcu> gozcu;
    if (gozle) gozcu.emplace();
    auto bas = Saat::now();
    KomutSonucu s = komut(BRIMVALE_PROGRAM, {"--yedekle"}, std::string());
    double sure = saniye(bas);
    if (gozcu) {
        gozcu->durdur();
        std::printf("  timeline (stage changes and log lines as they appeared):\n");
        gozcu->yazdir();
    }
    if (s.kod != 0 || !Metin::iceriyor(oku(Yol::gunluk()).value_or(""), "DONE: "))
        throw std::runtime_error("backup run failed (" + std::to_string(s.kod) + "): " + s.cikti + "\nlog:\n" +
                                 oku(Yol::gunluk()).value_or(""));
    return sure;
}

struct Dagilim {
    double orta, enAz, enCok;
};
Dagilim dagilim(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return {n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}
void satir(const char* ad, const std::vector<double>& v) {
    auto d = dagilim(v);
    std::printf("%-58s median %.3f  min %.3f  max %.3f\n", ad, d.orta, d.enAz, d.enCok);
}

// Hidden trees of deletions, removed through the image mounted at `yer`.
void gizlileriSil(const std::string& yer) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(yer + "/yedekler", ec))
        if (e.path().filename().string().starts_with(".silinecek-")) fs::remove_all(e.path(), ec);
}

int olc(int turlar) {
    Tezgah t;
    t.ortamKur();
    t.diskKur();
    kaynakKur(t.kaynak);

    auto aygit = Platform::aygit(t.bolum);
    if (!aygit || aygit->uuid.empty()) throw std::runtime_error("no UUID read from " + t.bolum);
    Ayarlar ayarlar;
    ayarlar.diskUUID = aygit->uuid;
    ayarlar.kaynaklar = {t.kaynak};
    ayarlar.kaydet();
    Birim birim{aygit->uuid, etiket, t.yol, Disk::toplamYer(t.yol), Disk::bosYer(t.yol)};
    if (auto hata = Kurulum::imajOlustur(birim, ayarlar, parola)) throw std::runtime_error("image: " + *hata);
    std::string imaj = t.yol + "/" + ayarlar.imajAdi;
    std::string ad = fs::path(t.kaynak).filename().string();
    fs::create_directories(t.imajYeri);
    auto elleBagla = [&] {
        calistir(aracYolu("/usr/bin/hdiutil"), {"attach", "-stdinpass", "-mountpoint", t.imajYeri, imaj}, parola);
    };

    double ilk = yedekle(false);
    std::printf("files: %d, changed per run: %d, rounds: %d\n", ustKlasor * altKlasor * klasorBasina, degisen, turlar);
    std::printf("run 1 (first full copy, not compared): %.3f s\n", ilk);

    // Each round, interleaved so that the machine's load falls on all three alike:
    //  N  a run with nothing to thin and nothing left to remove;
    //  B  the plain pass: the image mounted by hand, one rsync -a --link-dest
    //     to the newest copy (timed alone, and with attach and unmount);
    //  T  a run in the steady state of thinning: at its attach it removes the
    //     tree a previous thinning left (B's tree of 20,000 links, moved to a
    //     hidden name like a thinned copy), and it thins the older copies.
    // Between rounds the trees T left are removed by hand, untimed. Every
    // pass starts on a freshly mounted disk. Round 0 prints the runs'
    // timelines and is not counted: watching them costs time of its own.
    std::vector<double> n, b, bTam, tt, nOran, tOran;
    int sayac = 1;
    for (int tur = 0; tur <= turlar; ++tur) {
        bool gozle = tur == 0;
        t.yenidenTak();
        elleBagla();
        gizlileriSil(t.imajYeri);
        calistir("/usr/bin/fusermount3", {"-u", t.imajYeri});

        // One whole run on the disk as plugged in, after the next changes.
        auto calis = [&](bool seyrelt, const char* harf) {
            t.yenidenTak();
            degistir(t.kaynak, ++sayac);
            ayarlar.seyrelt = seyrelt;
            ayarlar.kaydet();
            if (gozle) std::printf("%s, round 0 (not counted):\n", harf);
            return yedekle(gozle);
        };
        double nSure = calis(false, "N");

        degistir(t.kaynak, ++sayac);
        t.yenidenTak();
        auto bas = Saat::now();
        elleBagla();
        double baglama = saniye(bas);
        std::string son = Metin::kirp(oku(t.imajYeri + "/_son-yedek.txt").value_or(""));
        std::string onceki = t.imajYeri + "/yedekler/" + son + "/" + ad;
        if (son.empty() || !fs::is_directory(onceki)) throw std::runtime_error("no newest copy at " + onceki);
        std::string taban = t.imajYeri + "/yedekler/bench-baseline";
        fs::create_directories(taban + "/" + ad);
        bas = Saat::now();
        calistir("/usr/bin/rsync", {"-a", "--link-dest=" + onceki, t.kaynak + "/", taban + "/" + ad + "/"});
        double bSure = saniye(bas);
        fs::rename(taban, t.imajYeri + "/yedekler/.silinecek-bench-" + std::to_string(tur));
        bas = Saat::now();
        calistir("/usr/bin/fusermount3", {"-u", t.imajYeri});
        double bTamSure = baglama + bSure + saniye(bas);

        double tSure = calis(true, "T");
        if (gozle) continue;
        n.push_back(nSure);
        b.push_back(bSure);
        bTam.push_back(bTamSure);
        tt.push_back(tSure);
        nOran.push_back(n.back() / b.back());
        tOran.push_back(tt.back() / b.back());
        std::printf("round %d: N %.3f s, B %.3f s (with attach and unmount %.3f s), T %.3f s; N/B %.3f, T/B %.3f\n",
                    tur, n.back(), b.back(), bTam.back(), tt.back(), nOran.back(), tOran.back());
    }
    std::printf("\n");
    satir("N: --yedekle, nothing thinned (s)", n);
    satir("T: --yedekle, previous copies thinned (s)", tt);
    satir("B: rsync -a --link-dest into the mounted image (s)", b);
    satir("B with attach and unmount (s)", bTam);
    satir("N/B per round (target <= 1.10)", nOran);
    satir("T/B per round (target <= 1.20)", tOran);
    auto orta = [](const std::vector<double>& v) { return dagilim(v).orta; };
    std::printf("ratio of medians: N/B %.3f, T/B %.3f; against B with attach and unmount: N %.3f, T %.3f\n",
                orta(n) / orta(b), orta(tt) / orta(b), orta(n) / orta(bTam), orta(tt) / orta(bTam));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int turlar = 5;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--tur" && i + 1 < argc) turlar = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: bench_yedekle [--tur N]   (interleaved rounds, default 5)\n");
            return 64;
        }
    }
    if (auto e = eksik(); !e.empty()) {
        std::printf("skipped: %s\n", e.c_str());
        return 0;
    }
    try {
        return olc(turlar);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
}
