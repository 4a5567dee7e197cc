#pragma once
// The application's icon: a clock face inside a circular arrow, drawn at any
// size, and `--ikon <folder>` writing it as the ten PNG files of an icon set.
#include <QImage>

#include "app/Komutlar.hpp"

namespace Ikon {

QImage ciz(int boyut);
int komut(Komutlar::Istek& istek);

}  // namespace Ikon
