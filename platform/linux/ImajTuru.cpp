// What kind of image lies on the backup disk.
#include <filesystem>

#include "platform/Platform.hpp"

namespace Platform {

bool imajKendiniKucultur(const std::string& imaj) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(imaj) / "gocryptfs.conf", ec);
}

}  // namespace Platform
