#pragma once
// The command line's update run: a whole check, download and install with
// no questions, each step one line on standard output.
#include <functional>
#include <ostream>

#include "update/Dongu.hpp"

namespace SessizSurucu {

// The run; the exit status: 0 installed, 1 an error, 2 nothing heard for
// 120 s, 3 no update.
int yurut(std::ostream& cikti, const Guncelleme::Ayar& ayar);
[[noreturn]] void calistir(std::function<bool()> yedekCalisiyor);

}  // namespace SessizSurucu
