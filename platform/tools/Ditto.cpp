// ditto SRC DST: a file is copied to DST; a folder's whole tree is copied into
// DST, merging with what is there. Modes, times, owners where allowed,
// extended attributes and symbolic links are kept; missing parents are made.
#include <sys/stat.h>

#include <filesystem>
#include <iostream>

#include "core/Komut.hpp"
#include "platform/tools/Yardimci.hpp"

namespace fs = std::filesystem;

namespace Yardimci {

int ditto(const Argumanlar& args) {
    if (args.size() != 2) {
        std::cerr << "usage: ditto source destination\n";
        return 1;
    }
    const std::string& kaynak = args[0];
    const std::string& hedef = args[1];
    struct stat st{};
    if (::lstat(kaynak.c_str(), &st) != 0) {
        std::cerr << "ditto: " << kaynak << ": No such file or directory\n";
        return 1;
    }
    std::error_code ec;
    bool klasor = S_ISDIR(st.st_mode);
    fs::path olusturulacak = klasor ? fs::path(hedef) : fs::path(hedef).parent_path();
    if (!olusturulacak.empty()) fs::create_directories(olusturulacak, ec);
    if (ec) {
        std::cerr << "ditto: " << olusturulacak.string() << ": " << ec.message() << "\n";
        return 1;
    }
    // "SRC/." copies the folder's content into DST instead of DST/SRC.
    std::vector<std::string> cp = {"-a", "--", klasor ? kaynak + "/." : kaynak, hedef};
    KomutSonucu s = komut("/bin/cp", cp);
    std::cerr << s.cikti;
    return s.kod == 0 ? 0 : 1;
}

}  // namespace Yardimci
