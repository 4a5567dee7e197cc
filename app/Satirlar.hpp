#pragma once
// The commands whose rows are built. Each room's file in app/ defines its own.
#include "app/Komutlar.hpp"

namespace Satirlar {

int surum(Komutlar::Istek&);
int hataSinifla(Komutlar::Istek&);

}  // namespace Satirlar
