#include "platform/tools/Yardimci.hpp"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>

#include "core/Dosya.hpp"
#include "core/Plist.hpp"

namespace fs = std::filesystem;

namespace Yardimci {

int hata(const std::string& mesaj, int kod) {
    std::cerr << mesaj << "\n";
    return kod;
}

void plistYaz(const nlohmann::json& deger) { std::cout << Plist::xml(deger); }

std::string girdi() { return std::string(std::istreambuf_iterator<char>(std::cin), {}); }

KomutSonucu arkaPlanli(const std::string& program, const Argumanlar& args, const std::optional<std::string>& girdi) {
    char sablon[] = "/tmp/brimvale-arac-XXXXXX";
    int fd = ::mkstemp(sablon);
    if (fd < 0) return {127, "no temporary file"};
    ::close(fd);
    KomutSonucu s = komut(program, args, girdi, std::string(sablon), std::string(sablon));
    s.cikti = baytlariOku(sablon).value_or("");
    ::unlink(sablon);
    return s;
}

bool oturumVar() {
    const char* d = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return d && *d;
}

std::string yanDosya(const std::string& imaj) {
    fs::path p = fs::path(imaj).lexically_normal();
    if (p.filename().empty()) p = p.parent_path();
    return (p.parent_path() / ("." + p.filename().string() + ".plist")).string();
}

std::string imajBirimAdi(const std::string& imaj) {
    if (auto p = Plist::dosyaOku(yanDosya(imaj)))
        if (auto ad = Plist::metin(*p, "volume-name")) return *ad;
    return fs::path(imaj).stem().string();
}

}  // namespace Yardimci
