#include "platform/Platform.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "temel/Dosya.hpp"

namespace Platform {

std::string calistirilabilir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

std::optional<std::string> surecBaslangici(int pid) {
    if (pid <= 0) return std::nullopt;
    std::string yol = "/proc/" + std::to_string(pid) + "/stat";
    Fd fd(::open(yol.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    std::string stat;
    char buf[1024];
    for (ssize_t n; (n = ::read(fd.get(), buf, sizeof buf)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        stat.append(buf, static_cast<size_t>(n));
    }
    // The command name (field 2) may hold spaces and parentheses: count the
    // fields after its closing parenthesis, which begin with field 3, the state.
    auto kapanis = stat.rfind(')');
    if (kapanis == std::string::npos) return std::nullopt;
    std::vector<std::string> alanlar;
    for (size_t i = kapanis + 1; i < stat.size();) {
        while (i < stat.size() && stat[i] == ' ') ++i;
        size_t son = stat.find(' ', i);
        if (son == std::string::npos) son = stat.size();
        if (son > i) alanlar.push_back(stat.substr(i, son - i));
        i = son;
    }
    if (alanlar.size() < 20 || alanlar[0] == "Z" || alanlar[0] == "X") return std::nullopt;
    return alanlar[19];  // field 22
}

std::string evDizini() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string veriDizini() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return xdg;
    return evDizini() + "/.local/share";
}

std::string kullaniciAdi() {
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return std::to_string(getuid());
}

}  // namespace Platform
