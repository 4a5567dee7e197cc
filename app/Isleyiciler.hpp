#pragma once
// The handlers of the command-line flags, one function a flag. Defined by
// room: KomutlarGenel.cpp (--surum), KomutlarCalisma.cpp (the run),
// KomutlarYedek.cpp (programs, the kit's recipe, error classing),
// KomutlarDepo.cpp (copies and large files), KomutlarKurtulus.cpp (the kit
// on the disk), KomutlarDisk.cpp (disk and image), KomutlarAjan.cpp (the
// agent), KomutlarGeriYukle.cpp (restores), KomutlarDestek.cpp (support
// report, uninstall).
#include <functional>

#include "app/Komutlar.hpp"
#include "support/DestekRaporu.hpp"
#include "support/Kaldirma.hpp"

namespace Isleyiciler {

int surum(Komutlar::Istek&);
int guncellemeDene(Komutlar::Istek&);

// The backup run.
int ajan(Komutlar::Istek&);
int yedekle(Komutlar::Istek&);
int cikar(Komutlar::Istek&);
int programlar(Komutlar::Istek&);
int kurtulusYaz(Komutlar::Istek&);
int hataSinifla(Komutlar::Istek&);

// Copies and large files.
int kopyalar(Komutlar::Istek&);
int bilgiler(Komutlar::Istek&);
int gfs(Komutlar::Istek&);
int sha256(Komutlar::Istek&);  // "--ozet": a file's SHA-256 digest
int kopyaSil(Komutlar::Istek&);
// The store's part of deleting one copy on request, with the image attached
// read-write: refuses a name that is not a dated copy or is the newest,
// deletes, refreshes the history, logs and prints. The exit status; throws
// what Kopyalar::sil throws. The caller keeps the image attached meanwhile.
int kopyaSilDepoda(const std::string& ad, const std::function<double()>& bosYer);

// KomutlarAjan.cpp
int ajanKur(Komutlar::Istek&);
int ajanDurumu(Komutlar::Istek&);
int izinler(Komutlar::Istek&);

// Restores.
int surumler(Komutlar::Istek&);
int yerineKoy(Komutlar::Istek&);
int farkliKaydet(Komutlar::Istek&);
int degistirilmisler(Komutlar::Istek&);
int geriAl(Komutlar::Istek&);
int copeAt(Komutlar::Istek&);

// KomutlarDestek.cpp
int destekRaporu(Komutlar::Istek&);
int kaldir(Komutlar::Istek&);
// What the support report and the uninstall take from the agent and backup
// rooms, for the windows as for the command line.
DestekRaporu::Izin destekIzinleri();
Kaldirma::Isler kaldirmaIsleri();

// KomutlarDisk.cpp
int baglanti(Komutlar::Istek&);
int ac(Komutlar::Istek&);
int kapat(Komutlar::Istek&);
int sikistir(Komutlar::Istek&);

}  // namespace Isleyiciler
