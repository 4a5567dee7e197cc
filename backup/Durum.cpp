#include "backup/Durum.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Dosya.hpp"
#include "core/Plist.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Yol.hpp"
#include "platform/Platform.hpp"
#include "temel/HataMetni.hpp"

namespace fs = std::filesystem;

namespace {

// Seconds since 1970 that the clock can hold (up to the year 2262).
std::optional<Saat::Zaman> saniyeden(std::optional<int64_t> sn) {
    constexpr int64_t enCok = std::chrono::duration_cast<std::chrono::seconds>(Saat::Zaman::duration::max()).count();
    if (!sn || *sn > enCok) return std::nullopt;
    return Saat::Zaman(std::chrono::seconds(*sn));
}

std::string sistemMetni(const std::string& yol, int hata) { return yol + ": " + std::strerror(hata); }

// The lock appears with its pid and start time already inside (made aside,
// renamed into place), so no one ever sees a lock without its holder.
Yedekleme::KilitAlma kilidiOlustur() {
    static std::atomic<unsigned> sayac{0};
    std::string pid = std::to_string(::getpid());
    std::string gecici = Yol::kilit() + ".yeni-" + pid + "-" + std::to_string(sayac++);
    std::error_code ec;
    int olustu = ::mkdir(gecici.c_str(), 0755);
    if (olustu != 0 && errno == EEXIST) {
        // Left by a process that had our pid before and died right here.
        fs::remove_all(gecici, ec);
        olustu = ::mkdir(gecici.c_str(), 0755);
    }
    if (olustu != 0) return {false, sistemMetni(gecici, errno)};
    try {
        atomikYaz(gecici + "/pid", pid);
        if (auto baslangic = Platform::surecBaslangici(::getpid())) atomikYaz(gecici + "/baslangic", *baslangic);
    } catch (const std::exception& e) {
        fs::remove_all(gecici, ec);
        return {false, e.what()};
    }
    // Fails while a lock with its pid file is there.
    if (::rename(gecici.c_str(), Yol::kilit().c_str()) == 0) return {true, std::nullopt};
    int hata = errno;
    fs::remove_all(gecici, ec);
    if (hata == EEXIST || hata == ENOTEMPTY) return {};
    return {false, sistemMetni(Yol::kilit(), hata)};
}

ino_t dugum(const std::string& yol) {
    struct stat st{};
    return ::lstat(yol.c_str(), &st) == 0 ? st.st_ino : 0;
}

}  // namespace

namespace Yedekleme {

HataMetni asamaYaz(const std::string& asama, const std::optional<std::string>& sonuc) {
    std::string ucuncu = sonuc.value_or(std::to_string(::getpid()));
    try {
        atomikYaz(Yol::asama(), asama + "\t" + std::to_string(Saat::unix()) + "\t" + ucuncu + "\n");
    } catch (const std::exception& e) {
        return e.what();
    }
    return std::nullopt;
}

void asama(const std::string& asama, const std::optional<std::string>& sonuc) {
    [[maybe_unused]] auto hata = asamaYaz(asama, sonuc);
}

std::optional<int32_t> calisanPid() {
    // The pid and the start time must come from the same lock, not from one
    // that ended and the next one that was taken in between.
    std::optional<std::string> metin, baslangic;
    for (int deneme = 0; deneme < 3; ++deneme) {
        ino_t once = dugum(Yol::kilit());
        metin = oku(Yol::kilitPid(), kSatirDosyasi);
        baslangic = oku(Yol::kilitBaslangic(), kSatirDosyasi);
        if (dugum(Yol::kilit()) == once) break;
    }
    if (!metin) return std::nullopt;
    auto sayi = Metin::sayi(Metin::kirp(*metin));
    if (!sayi || *sayi <= 0 || *sayi > INT32_MAX) return std::nullopt;
    auto pid = static_cast<int32_t>(*sayi);
    if (::kill(pid, 0) != 0 && errno != EPERM) return std::nullopt;
    // A lock without a start time (made by hand, or by an older engine) is
    // judged by the pid alone.
    if (baslangic && Platform::surecBaslangici(pid) != Metin::kirp(*baslangic)) return std::nullopt;
    return pid;
}

KilitAlma kilitAl() {
    std::error_code ec;
    fs::create_directories(Yol::durum(), ec);
    KilitAlma ilk = kilidiOlustur();
    if (ilk.alindi || ilk.hata) return ilk;
    if (calisanPid()) return {};
    // A stale lock is replaced only while holding the takeover lock, so that
    // of several runs that found it stale, one replaces it and the others
    // then see a live holder.
    std::string devir = Yol::durum() + "/kilit-devir";
    Fd fd(::open(devir.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd) return {false, sistemMetni(devir, errno)};
    KilitAlma sonuc;
    if (::flock(fd.get(), LOCK_EX) == 0 && !calisanPid()) {
        static std::atomic<unsigned> sayac{0};
        std::string kenar = Yol::kilit() + ".eski-" + std::to_string(::getpid()) + "-" + std::to_string(sayac++);
        if (::rename(Yol::kilit().c_str(), kenar.c_str()) == 0) fs::remove_all(kenar, ec);
        sonuc = kilidiOlustur();
    }
    return sonuc;
}

void kilidiBirak() {
    std::error_code ec;
    fs::remove_all(Yol::kilit(), ec);
}

AsamaBilgisi asamaOku() {
    AsamaBilgisi b;
    auto metin = oku(Yol::asama(), kSatirDosyasi);
    if (!metin) return b;
    auto alanlar = Metin::bol(Metin::kirp(*metin), '\t', false);
    if (alanlar.empty() || alanlar[0].empty()) return b;
    b.asama = alanlar[0];
    if (alanlar.size() >= 2)
        b.zaman = saniyeden(Metin::sayi(alanlar[1]));
    if (b.asama == "bosta" && alanlar.size() >= 3) b.sonuc = alanlar[2];
    // A stage left by an engine that died does not show a running backup.
    if (b.asama != "bosta" && !calisanPid()) b.asama = "bosta";
    return b;
}

std::optional<Saat::Zaman> ertelemeOku() {
    auto alanlar = Metin::bol(oku(Yol::ertelendi(), kSatirDosyasi).value_or(""), '\t', true);
    if (alanlar.size() < 2) return std::nullopt;
    return saniyeden(Metin::sayi(Metin::kirp(alanlar[1])));
}

bool duraklatildi(int32_t pid) {
    KomutSonucu s = komut("/bin/ps", {"-o", "stat=", "-p", std::to_string(pid)});
    return s.kod == 0 && Metin::iceriyor(s.cikti, "T");
}

Anlik anlik(const Ayarlar& ayarlar) {
    Anlik a;
    if (auto yol = Disk::birim(ayarlar.diskUUID)) {
        a.diskBagli = true;
        std::error_code ec;
        a.imajVar = fs::exists(*yol + "/" + ayarlar.imajAdi, ec);
        for (const auto& b : Kurulum::disBirimler())
            if (b.yol == *yol) a.diskAdi = b.ad;
        if (a.diskAdi.empty()) a.diskAdi = fs::path(*yol).filename().string();
    }
    a.imaj = Disk::imajDurumu();
    a.sonYedek = Metin::kirp(oku(Yol::sonYedek(), kSatirDosyasi).value_or(""));
    auto asama = asamaOku();
    a.asama = asama.asama;
    a.sonuc = asama.sonuc;
    if (asama.zaman) a.asamaZamani = *asama.zaman;
    if (auto pid = calisanPid()) {
        a.pid = *pid;
        a.calisiyor = true;
        a.duraklatildi = duraklatildi(*pid);
    }
    if (a.asama == "esitleme") {
        auto ozet = jsonOku<nlohmann::json>(Yol::isKlasoru() + "/ozet.json");
        auto toplam = ozet ? Plist::sayi(*ozet, "aktarilacakBayt") : std::nullopt;
        a.toplamBayt = std::max(1.0, toplam.value_or(1));
        auto baslangic = Metin::ondalik(Metin::kirp(oku(Yol::isKlasoru() + "/baslangic", kSatirDosyasi).value_or("")));
        if (baslangic) a.bitenBayt = std::clamp(Disk::doluYer(Yol::mnt()) - *baslangic, 0.0, a.toplamBayt);
    }
    a.gunluk = sonSatirlar(Yol::gunluk(), 500);
    a.hatalar = sonSatirlar(Yol::sonHatalar(), SIZE_MAX);
    a.erteleme = ertelemeOku();
    return a;
}

}  // namespace Yedekleme
