#pragma once
// The commands whose rows are built. Each room's file in app/ defines its own.
#include "app/Komutlar.hpp"

namespace Satirlar {

int surum(Komutlar::Istek&);

// KomutlarDisk.cpp
int baglanti(Komutlar::Istek&);
int ac(Komutlar::Istek&);
int kapat(Komutlar::Istek&);
int sikistir(Komutlar::Istek&);

}  // namespace Satirlar
