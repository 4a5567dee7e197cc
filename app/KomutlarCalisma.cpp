// The backup run's commands: the agent, a manual run, the manual eject.
#include "app/Isleyiciler.hpp"
#include "app/Terminal.hpp"
#include "backup/Calisma.hpp"

namespace Isleyiciler {

int ajan(Komutlar::Istek&) { return Yedekleme::calistir(false); }

int yedekle(Komutlar::Istek&) {
    TerminalIzleyici izleyici;
    return Yedekleme::calistir(true);
}

int cikar(Komutlar::Istek&) {
    auto [kod, mesaj] = Yedekleme::elleCikar();
    Komutlar::yaz(mesaj);
    return kod;
}

}  // namespace Isleyiciler
