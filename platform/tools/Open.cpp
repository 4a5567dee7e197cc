// open PATH: an application bundle is started (detached, without arguments,
// so it comes up as the window application); anything else goes to the
// desktop's opener.
#include <spawn.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "platform/tools/Yardimci.hpp"

extern char** environ;
namespace fs = std::filesystem;

namespace Yardimci {

int open(const Argumanlar& args) {
    if (args.size() != 1) {
        std::cerr << "usage: open path\n";
        return 1;
    }
    fs::path yol = args[0];
    std::error_code ec;
    if (!fs::exists(yol, ec)) {
        std::cerr << "The file " << yol.string() << " does not exist.\n";
        return 1;
    }
    if (yol.extension() != ".app") return komut("/usr/bin/xdg-open", {yol.string()}).kod == 0 ? 0 : 1;

    auto bilgi = Plist::dosyaOku((yol / "Contents/Info.plist").string());
    std::string ad = bilgi ? Plist::metin(*bilgi, "CFBundleExecutable").value_or("") : "";
    std::string program = (yol / "Contents/MacOS" / ad).string();
    if (ad.empty() || ::access(program.c_str(), X_OK) != 0) {
        std::cerr << "open: " << yol.string() << " has no executable\n";
        return 1;
    }
    // A new session, so the application outlives this tool and its caller.
    posix_spawnattr_t nitelik;
    posix_spawnattr_init(&nitelik);
    posix_spawnattr_setflags(&nitelik, POSIX_SPAWN_SETSID);
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    int hata = posix_spawn(&pid, program.c_str(), nullptr, &nitelik, argv, environ);
    posix_spawnattr_destroy(&nitelik);
    if (hata != 0) {
        std::cerr << "open: " << program << ": could not start\n";
        return 1;
    }
    return 0;
}

}  // namespace Yardimci
