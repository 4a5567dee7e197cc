#include "core/Komut.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "core/UygulamaBilgisi.hpp"

extern char** environ;

namespace {

bool calistirilabilir(const std::string& yol) { return ::access(yol.c_str(), X_OK) == 0; }

std::string tabanAd(const std::string& yol) {
    auto p = yol.rfind('/');
    return p == std::string::npos ? yol : yol.substr(p + 1);
}

// A child writing into a closed pipe must not kill us: ignore SIGPIPE once,
// and give every child the default handlers back.
void sigpipeYoksay() {
    static std::once_flag bir;
    std::call_once(bir, [] {
        struct sigaction eski{};
        sigaction(SIGPIPE, nullptr, &eski);
        if (eski.sa_handler == SIG_DFL) signal(SIGPIPE, SIG_IGN);
    });
}

struct Borular {
    Fd cikisOku, cikisYaz, girisOku, girisYaz;
};

// Feeds the input and drains the output together, so a child that writes a
// lot before reading all its input cannot block us both.
std::string besleVeOku(Fd girisYaz, Fd cikisOku, const std::string& girdi) {
    std::string toplanan;
    size_t yazilan = 0;
    if (girisYaz) ::fcntl(girisYaz.get(), F_SETFL, O_NONBLOCK);
    while (girisYaz || cikisOku) {
        std::array<pollfd, 2> fds{};
        int n = 0;
        if (girisYaz) fds[n++] = {girisYaz.get(), POLLOUT, 0};
        if (cikisOku) fds[n++] = {cikisOku.get(), POLLIN, 0};
        if (::poll(fds.data(), static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].fd == girisYaz.get() && fds[i].revents) {
                ssize_t w = yazilan < girdi.size()
                                ? ::write(girisYaz.get(), girdi.data() + yazilan, girdi.size() - yazilan)
                                : 0;
                if (w > 0) yazilan += static_cast<size_t>(w);
                bool hata = w < 0 && errno != EAGAIN && errno != EINTR;
                if (yazilan >= girdi.size() || hata || (fds[i].revents & (POLLERR | POLLHUP))) girisYaz.sifirla();
            } else if (fds[i].fd == cikisOku.get() && fds[i].revents) {
                char buf[65536];
                ssize_t r = ::read(cikisOku.get(), buf, sizeof buf);
                if (r > 0) toplanan.append(buf, static_cast<size_t>(r));
                else if (r == 0 || (errno != EINTR && errno != EAGAIN)) cikisOku.sifirla();
            }
        }
    }
    return toplanan;
}

}  // namespace

std::string aracYolu(const std::string& path) {
    std::string ad = tabanAd(path);
    if (const char* klasor = std::getenv("BRIMVALE_ARACLAR"); klasor && *klasor) {
        std::string aday = std::string(klasor) + "/" + ad;
        if (calistirilabilir(aday)) return aday;
    }
#if defined(__linux__)
    static const char* yalnizMac[] = {"hdiutil", "diskutil", "security", "launchctl", "osascript", "ditto", "open"};
    for (const char* arac : yalnizMac) {
        if (ad != arac) continue;
        if (auto paket = UygulamaBilgisi::paketYolu()) {
            std::string aday = *paket + "/Contents/Helpers/" + ad;
            if (calistirilabilir(aday)) return aday;
        }
    }
#endif
    return path;
}

KomutSonucu komut(const std::string& path, const std::vector<std::string>& args, const std::optional<std::string>& girdi,
            const std::optional<std::string>& cikti, const std::optional<std::string>& hata) {
    sigpipeYoksay();
    std::string program = aracYolu(path);

    Borular b;
    int p[2];
    if (!cikti) {
        if (::pipe2(p, O_CLOEXEC) != 0) return {127, std::strerror(errno)};
        b.cikisOku = Fd(p[0]);
        b.cikisYaz = Fd(p[1]);
    }
    if (girdi) {
        if (::pipe2(p, O_CLOEXEC) != 0) return {127, std::strerror(errno)};
        b.girisOku = Fd(p[0]);
        b.girisYaz = Fd(p[1]);
    }

    posix_spawn_file_actions_t eylemler;
    posix_spawn_file_actions_init(&eylemler);
    if (girdi) posix_spawn_file_actions_adddup2(&eylemler, b.girisOku.get(), 0);
    const int ekle = O_WRONLY | O_CREAT | O_APPEND;
    if (cikti) posix_spawn_file_actions_addopen(&eylemler, 1, cikti->c_str(), ekle, 0644);
    else posix_spawn_file_actions_adddup2(&eylemler, b.cikisYaz.get(), 1);
    if (hata) posix_spawn_file_actions_addopen(&eylemler, 2, hata->c_str(), ekle, 0644);
    else if (cikti) posix_spawn_file_actions_addopen(&eylemler, 2, "/dev/null", O_WRONLY, 0);
    else posix_spawn_file_actions_adddup2(&eylemler, b.cikisYaz.get(), 2);

    posix_spawnattr_t nitelik;
    posix_spawnattr_init(&nitelik);
    sigset_t varsayilan, bos;
    sigemptyset(&varsayilan);
    for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP}) sigaddset(&varsayilan, s);
    sigemptyset(&bos);
    posix_spawnattr_setsigdefault(&nitelik, &varsayilan);
    posix_spawnattr_setsigmask(&nitelik, &bos);
    posix_spawnattr_setflags(&nitelik, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    int durum = posix_spawn(&pid, program.c_str(), &eylemler, &nitelik, argv.data(), environ);
    posix_spawn_file_actions_destroy(&eylemler);
    posix_spawnattr_destroy(&nitelik);
    if (durum != 0) return {127, std::string("The file \u201C") + tabanAd(program) + "\u201D couldn\u2019t be run: " + std::strerror(durum)};

    // Our copies of the child's ends must close, or we would never see end of file.
    b.cikisYaz.sifirla();
    b.girisOku.sifirla();
    std::string toplanan = besleVeOku(std::move(b.girisYaz), std::move(b.cikisOku), girdi.value_or(""));

    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {}
    // A child ended by a signal reports 128 + the signal, as shells do: the
    // bare number would pass for an exit status (SIGINT for rsync's 2).
    int kod = WIFEXITED(st) ? WEXITSTATUS(st) : (WIFSIGNALED(st) ? 128 + WTERMSIG(st) : st);
    return {kod, cikti ? std::string() : Metin::utf8Onar(toplanan)};
}
