#include "store/ImajBirimi.hpp"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include "core/Yol.hpp"

namespace ImajBirimi {

bool bagli() {
    // A mount point lies on another device than its parent folder.
    struct stat nokta{}, ust{};
    std::string mnt = Yol::mnt();
    if (::stat(mnt.c_str(), &nokta) != 0 || ::stat((mnt + "/..").c_str(), &ust) != 0) return false;
    return nokta.st_dev != ust.st_dev || nokta.st_ino == ust.st_ino;
}

double bosYer(const std::string& yol) {
    struct statvfs s{};
    if (::statvfs(yol.c_str(), &s) != 0) return 0;
    return static_cast<double>(s.f_bavail) * static_cast<double>(s.f_frsize);
}

}  // namespace ImajBirimi
