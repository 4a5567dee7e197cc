// The keychain stand-in's interactive mode reads the line the engine writes
// for a password. Any password without a line break, quoted the engine's way
// (backslash and double quote escaped, in double quotes), comes back whole.
#include "agent/Kurulum.hpp"
#include "platform/tools/Yardimci.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

namespace {
// The words of a line; nothing when the stand-in refuses the line whole.
[[maybe_unused]] const Yardimci::Argumanlar* kelimeler(const Yardimci::Argumanlar& k) { return &k; }
[[maybe_unused]] const Yardimci::Argumanlar* kelimeler(const std::optional<Yardimci::Argumanlar>& k) {
    return k ? &*k : nullptr;
}
}  // namespace

void FuzzOrtami::dene(const std::string& girdi) {
    Yardimci::komutSatiri(girdi);
    if (girdi.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return;
    auto satir = Yardimci::komutSatiri("add-generic-password -U -s " + Kurulum::tirnakla("com.ondrak.brimvale") + " -w " +
                                       Kurulum::tirnakla(girdi));
    auto* k = kelimeler(satir);
    gerek(k && k->size() == 6 && (*k)[5] == girdi);
}
