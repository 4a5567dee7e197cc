// The keychain stand-in's interactive mode reads the line the engine writes
// for a password. Any password without a line break, quoted the engine's way
// (backslash and double quote escaped, in double quotes), comes back whole.
#include <cstdlib>

#include "agent/Kurulum.hpp"
#include "disk/Disk.hpp"
#include "platform/tools/Yardimci.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

namespace {

// The words of a line; nothing when the stand-in refuses the line whole.
const Yardimci::Argumanlar* kelimeler(const Yardimci::Argumanlar& k) { return &k; }
[[maybe_unused]] const Yardimci::Argumanlar* kelimeler(const std::optional<Yardimci::Argumanlar>& k) {
    return k ? &*k : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string metin = FuzzOrtami::metin(veri, boy);
    Yardimci::komutSatiri(metin);
    if (metin.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return 0;
    auto satir = Yardimci::komutSatiri("add-generic-password -U -s " + Kurulum::tirnakla("com.ondrak.brimvale") + " -w " +
                                       Kurulum::tirnakla(metin));
    auto* k = kelimeler(satir);
    if (!k || k->size() != 6 || (*k)[5] != metin) std::abort();
    return 0;
}
