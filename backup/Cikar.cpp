// The end of a run and the manual eject: detach, compact after deletions,
// recovery files, eject, and tell the user whether the disk may be unplugged.
#include <unistd.h>

#include <filesystem>

#include "agent/Bildirim.hpp"
#include "backup/Calisma.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Gunluk.hpp"
#include "core/Yerel.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"
#include "backup/Durum.hpp"
#include "recovery/Kurtulus.hpp"

namespace Yedekleme {
namespace {

// The recovery files failing never fails the backup: the saved result gains
// one sentence and the warning line.
void kurtulusYaz(const Ayarlar& ayarlar, const std::string& birim, const KurtulusBilgisi& kurtulus) {
    asama("kurtulus");
    auto hata = Kurtulus::kokuYaz(ayarlar, birim, kurtulus.kopya, kurtulus.imajBirimAdi, kurtulus.brewfile);
    if (!hata) return;
    std::string uyari = "WARNING: recovery files not written: " + *hata;
    Gunluk::yaz(uyari);
    if (auto s = YedekSonucu::oku()) {
        s->aciklama += " " + Yerel::metin("The recovery files on the disk could not be written; the backup itself is complete.");
        s->teknik += (s->teknik.empty() ? "" : "\n") + uyari;
        s->yaz();
    }
}

}  // namespace

int32_t cikar(const Ayarlar& ayarlar, const std::string& birim, const std::string& imaj, bool budandi,
              const std::optional<std::string>& bildirim, const std::optional<KurtulusBilgisi>& kurtulus) {
    asama("cikariliyor");
    bool ayrildi = !Disk::imajiAyir();
    if (ayrildi) {
        // An image that gives freed space back by itself has nothing to
        // reclaim, and measuring that would walk every file of every copy twice.
        if (budandi && !Platform::imajKendiniKucultur(imaj)) {
            asama("sikistirma");
            Disk::sikistirOlc(imaj, ayarlar);
        }
        if (kurtulus) kurtulusYaz(ayarlar, birim, *kurtulus);
    }

    std::string metin = bildirim ? *bildirim + " " : "";
    if (bildirim && !ayarlar.otomatikCikar) {
        bildir(metin + Yerel::metin("Eject the disk before unplugging it."));
        return 0;
    }
    if (!ayrildi || !Disk::cikar(birim)) {
        Gunluk::yaz("WARNING: disk could not be ejected");
        bildir(metin + Yerel::metin("The disk could NOT be ejected: do not unplug it. Try Eject in Finder."));
        return 1;
    }
    Gunluk::yaz(Yerel::metin("Disk ejected"));
    bildir(metin + Yerel::metin("Disk ejected; you can unplug it now."));
    return 0;
}

std::pair<int32_t, std::string> elleCikar() {
    if (calisanPid()) return {2, Yerel::metin("A backup is running; stop it first. Do not unplug the disk.")};
    Ayarlar ayarlar = Ayarlar::yukle();
    auto birim = Disk::birim(ayarlar.diskUUID);
    // Settings that do not lead to the disk say nothing about our image: while
    // it is attached, its disk is the one to close and eject.
    bool imajBagli = Disk::imajDurumu() != Disk::Baglanti::yok;
    if (!birim && imajBagli)
        if (auto imaj = Disk::noktadakiImaj().yol) birim = std::filesystem::path(*imaj).parent_path().string();
    if (!birim && !imajBagli)
        return {0, Yerel::metin("The backup disk is not connected; if the cable is plugged in, you can unplug it safely.")};
    if (Disk::imajiAyir())
        return {1, Yerel::metin("The backup could not be closed (an open Finder window or file?). Do not unplug the disk.")};
    if (!birim) {
        Gunluk::yaz("WARNING: disk could not be ejected (manually): the image's disk was not found");
        return {1, Yerel::metin("The backup was closed, but its disk was not found to eject it. Eject it before unplugging it.")};
    }
    if (Disk::cikar(*birim)) {
        Gunluk::yaz(Yerel::metin("Disk ejected (manually)"));
        return {0, Yerel::metin("Disk ejected; you can unplug it now.")};
    }
    Gunluk::yaz("WARNING: disk could not be ejected (manually)");
    return {1, Yerel::metin("The disk could not be ejected: an app is using it. Do not unplug it; quit that app and try again.")};
}

}  // namespace Yedekleme
