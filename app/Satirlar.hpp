#pragma once
// The commands whose rows are built. Each room's file in app/ defines its own.
#include <functional>

#include "app/Komutlar.hpp"

namespace Satirlar {

int surum(Komutlar::Istek&);

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
int ozet(Komutlar::Istek&);
int kopyaSil(Komutlar::Istek&);
// The store's part of deleting one copy on request, with the image attached
// read-write: refuses a name that is not a dated copy or is the newest,
// deletes, refreshes the history, logs and prints. The exit status; throws
// what Kopyalar::sil throws. The caller detaches the image on every path.
int kopyaSilDepoda(const std::string& ad, const std::function<double()>& bosYer);

// KomutlarDisk.cpp
int baglanti(Komutlar::Istek&);
int ac(Komutlar::Istek&);
int kapat(Komutlar::Istek&);
int sikistir(Komutlar::Istek&);

}  // namespace Satirlar
