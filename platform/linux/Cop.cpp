// The freedesktop.org Trash: the home trash for items on the home file
// system, $topdir/.Trash-$uid for items on other volumes.
#include "platform/Platform.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace Platform {
namespace {

[[noreturn]] void sistemHatasi(const std::string& ne) {
    throw std::runtime_error(ne + ": " + std::strerror(errno));
}

// The mount point holding `yol`: the highest ancestor on the same device.
fs::path bagliKok(const fs::path& yol, dev_t aygit) {
    fs::path su = yol;
    while (su.has_parent_path() && su != su.root_path()) {
        fs::path ust = su.parent_path();
        struct stat st{};
        if (lstat(ust.c_str(), &st) != 0 || st.st_dev != aygit) return su;
        su = ust;
    }
    return su;
}

std::string yuzdeKodla(const std::string& s) {
    static const char* onaltilik = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += onaltilik[c >> 4];
            out += onaltilik[c & 15];
        }
    }
    return out;
}

fs::path evCopu() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path veri = (xdg && *xdg) ? fs::path(xdg) : fs::path(evDizini()) / ".local/share";
    return veri / "Trash";
}

}  // namespace

void copeTasi(const std::string& yolMetni) {
    fs::path yol = fs::absolute(fs::path(yolMetni)).lexically_normal();
    if (yol.filename().empty()) yol = yol.parent_path();
    struct stat st{};
    if (lstat(yol.c_str(), &st) != 0) sistemHatasi(yol.string());

    fs::path cop = evCopu();
    std::string kayitYolu = yol.string();
    std::error_code ec;
    fs::create_directories(cop, ec);
    struct stat copSt{};
    if (stat(cop.c_str(), &copSt) != 0 || copSt.st_dev != st.st_dev) {
        fs::path kok = bagliKok(yol, st.st_dev);
        cop = kok / (".Trash-" + std::to_string(getuid()));
        kayitYolu = yol.lexically_relative(kok).string();
    }
    fs::create_directories(cop / "files", ec);
    fs::create_directories(cop / "info", ec);
    ::chmod(cop.c_str(), 0700);

    char tarih[32];
    std::time_t simdi = std::time(nullptr);
    std::tm yerel{};
    localtime_r(&simdi, &yerel);
    std::strftime(tarih, sizeof tarih, "%Y-%m-%dT%H:%M:%S", &yerel);
    std::string bilgi = "[Trash Info]\nPath=" + yuzdeKodla(kayitYolu) + "\nDeletionDate=" + tarih + "\n";

    // Reserve a free name by creating its .trashinfo exclusively, then move.
    std::string ad = yol.filename().string();
    for (int n = 1; n < 10000; ++n) {
        std::string aday = n == 1 ? ad : ad + "." + std::to_string(n);
        fs::path bilgiYolu = cop / "info" / (aday + ".trashinfo");
        int fd = ::open(bilgiYolu.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            sistemHatasi(bilgiYolu.string());
        }
        bool yazildi = ::write(fd, bilgi.data(), bilgi.size()) == static_cast<ssize_t>(bilgi.size());
        ::close(fd);
        fs::path hedef = cop / "files" / aday;
        if (yazildi && !fs::exists(fs::symlink_status(hedef)) && ::rename(yol.c_str(), hedef.c_str()) == 0) return;
        int kayitHatasi = errno;
        ::unlink(bilgiYolu.c_str());
        if (yazildi && fs::exists(fs::symlink_status(hedef))) continue;
        errno = kayitHatasi;
        sistemHatasi(yol.string());
    }
    throw std::runtime_error(yol.string() + ": no free name in the Trash");
}

}  // namespace Platform
