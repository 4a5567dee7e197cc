// The driver: markers, settings, the disk, ask once per connection, the run
// lock, stop handling; then the run, and the final stage.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <thread>

#include "agent/Bildirim.hpp"
#include "agent/Izinler.hpp"
#include "backup/Calisma.hpp"
#include "backup/Durdurma.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "backup/Durum.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {
namespace {

bool varMi(const std::string& yol) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(yol, ec));
}

void sil(const std::string& yol) {
    std::error_code ec;
    fs::remove(yol, ec);
}

// SIGTERM, SIGINT and SIGHUP only set the stop flag, once; the run notices
// it between steps. They are blocked in every thread and taken by one
// waiting thread, so no handler runs inside the run's own code. Children get
// the default handlers and an empty mask back from the tool runner.
void durdurmaKur() {
    sigset_t kume;
    sigemptyset(&kume);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&kume, s);
    pthread_sigmask(SIG_BLOCK, &kume, nullptr);
    std::thread([kume] {
        while (true) {
            int s = 0;
            if (sigwait(&kume, &s) != 0) continue;
            if (!durduruldu.exchange(true)) Gunluk::yaz("Stopped by user");
        }
    }).detach();
}

// A run that cannot keep its state must not pass for one with nothing to
// do: it says so where it was started and in a notification, and fails.
int32_t durumYazilamadi(const std::string& neden) {
    std::string metin = Yerel::bicim("No backup was made: the state folder %@ cannot be written (%@).",
                                     {Yol::durum(), neden});
    std::cerr << metin << "\n";
    bildir(metin);
    return 1;
}

}  // namespace

int32_t calistir(bool elle) {
    std::error_code ec;
    fs::create_directories(Yol::durum(), ec);
    if (ec) return durumYazilamadi(ec.message());

    if (!elle && varMi(Yol::yoklama())) {
        sil(Yol::yoklama());
        return 0;
    }
    if (varMi(Yol::simdi())) {
        sil(Yol::simdi());
        elle = true;
    }
    bool yenidenSor = varMi(Yol::yenidenSor());
    sil(Yol::yenidenSor());

    Ayarlar ayarlar = Ayarlar::yukle();
    if (ayarlar.kaynaklar.empty()) return 0;
    auto birim = Disk::birim(ayarlar.diskUUID);
    if (!birim) return 0;
    std::string imaj = *birim + "/" + ayarlar.imajAdi;
    std::string kimlik = Disk::takilis(*birim).value_or("");

    if (!elle && !yenidenSor && oku(Yol::sorulan(), kSatirDosyasi) == kimlik) return 0;

    KilitAlma kilit = kilitAl();
    if (kilit.hata) return durumYazilamadi(*kilit.hata);
    if (!kilit) return 0;
    yazDene(Yol::sorulan(), kimlik);

    if (!Izinler::tamDiskErisimi()) {
        YedekSonucu s = YedekSonucu::tamDiskErisimiYok();
        s.yaz();
        bildir(s.bildirim());
        Gunluk::yaz(s.baslik);
        kilidiBirak();
        asama("bosta", "iptal");
        return 0;
    }

    if (auto hata = asamaYaz("basliyor")) {
        kilidiBirak();
        return durumYazilamadi(*hata);
    }
    durdurmaKur();
    Calisma calisma;
    int32_t kod = akis(ayarlar, *birim, imaj, elle, calisma);

    if (calisma.sonuc == "ertelendi") yazDene(Yol::ertelendi(), kimlik + "\t" + std::to_string(Saat::unix()) + "\n");
    else sil(Yol::ertelendi());
    kilidiBirak();
    asama("bosta", durduruldu ? std::string("durduruldu") : calisma.sonuc);
    return kod;
}

}  // namespace Yedekleme
