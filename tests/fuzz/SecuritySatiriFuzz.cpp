// The keychain stand-in's interactive mode reads the line the engine writes
// for a password. Any password without a line break, quoted the engine's way
// (backslash and double quote escaped, in double quotes), comes back whole.
#include "agent/Kurulum.hpp"
#include "platform/tools/Yardimci.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    Yardimci::komutSatiri(girdi);
    if (girdi.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return;
    auto satir = Yardimci::komutSatiri("add-generic-password -U -s " + Kurulum::tirnakla("com.ondrak.brimvale") + " -w " +
                                       Kurulum::tirnakla(girdi));
    gerek(satir && satir->size() == 6 && (*satir)[5] == girdi);
}
