// launchctl: a per-user service manager for the program's own agent. A job
// is registered as a file in a state folder of ours; one watcher per user
// starts the jobs that ask for it whenever a volume is mounted.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <tuple>

#include "core/Dosya.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "platform/Platform.hpp"
#include "platform/tools/Yardimci.hpp"

extern char** environ;
namespace fs = std::filesystem;
using nlohmann::json;

namespace Yardimci {

namespace {

const char* kIzle = "__izle";

std::string ortam(const char* ad) {
    const char* d = std::getenv(ad);
    return d ? d : "";
}

std::string alan() { return "gui/" + std::to_string(::getuid()); }

std::string ayarKlasoru() {
    std::string c = ortam("XDG_CONFIG_HOME");
    return c.empty() ? Platform::evDizini() + "/.config" : c;
}

std::string autostartKlasoru() { return ayarKlasoru() + "/autostart"; }

bool etiketGecerli(const std::string& e) {
    return !e.empty() && e != "." && e != ".." && e.find('/') == std::string::npos && e.find('\0') == std::string::npos;
}

// "gui/<our uid>/<label>": the label; nothing for another domain or user.
std::optional<std::string> etiketi(const std::string& hedef) {
    std::string on = alan() + "/";
    if (hedef.rfind(on, 0) != 0 || !etiketGecerli(hedef.substr(on.size()))) return std::nullopt;
    return hedef.substr(on.size());
}

std::string isDosyasi(const std::string& klasor, const std::string& etiket) { return klasor + "/" + etiket + ".json"; }

struct Is {
    std::string etiket, yol;  // the definition file it was registered from
    json tanim;
};

std::optional<Is> isOku(const std::string& dosya) {
    auto j = jsonOku<json>(dosya);
    if (!j || !j->is_object() || !j->contains("tanim")) return std::nullopt;
    Is is{Plist::metin((*j)["tanim"], "Label").value_or(""), j->value("yol", ""), (*j)["tanim"]};
    if (!etiketGecerli(is.etiket)) return std::nullopt;
    return is;
}

std::vector<Is> isler(const std::string& klasor) {
    std::vector<Is> v;
    std::error_code ec;
    for (const auto& g : fs::directory_iterator(klasor, ec))
        if (g.path().extension() == ".json")
            if (auto is = isOku(g.path().string())) v.push_back(*is);
    return v;
}

std::vector<std::string> argumanlar(const json& tanim) {
    std::vector<std::string> v;
    for (const auto& a : Plist::dizi(tanim, "ProgramArguments"))
        if (a.is_string()) v.push_back(a.get<std::string>());
    return v;
}

std::string program(const json& tanim) {
    if (auto p = Plist::metin(tanim, "Program")) return *p;
    auto a = argumanlar(tanim);
    return a.empty() ? "" : a[0];
}

// Standard input from nothing, the given output files appended to, every
// other descriptor closed, all signals at their defaults, a session of its
// own: the child depends on nothing of ours and outlives us.
int ayriBaslat(const std::string& prog, std::vector<std::string> args, const std::vector<std::string>& ekOrtam,
               const std::string& cikti, const std::string& hata, const std::string& klasor, pid_t* pid) {
    for (const auto& y : {cikti, hata}) {
        std::error_code ec;
        if (fs::path(y).has_parent_path()) fs::create_directories(fs::path(y).parent_path(), ec);
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, cikti.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, hata.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addchdir_np(&fa, klasor.c_str());
    posix_spawn_file_actions_addclosefrom_np(&fa, 3);
    posix_spawnattr_t at;
    posix_spawnattr_init(&at);
    sigset_t hepsi, bos;
    sigfillset(&hepsi);
    sigemptyset(&bos);
    // The watcher blocks SIGCHLD; a job must not inherit that.
    posix_spawnattr_setsigdefault(&at, &hepsi);
    posix_spawnattr_setsigmask(&at, &bos);
    posix_spawnattr_setflags(&at, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), ekOrtam.begin(), ekOrtam.end());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t p = 0;
    int hataNo = posix_spawn(&p, prog.c_str(), &fa, &at, argv.data(), envp.data());
    posix_spawnattr_destroy(&at);
    posix_spawn_file_actions_destroy(&fa);
    if (pid) *pid = p;
    return hataNo;
}

// Starts the job as its definition says; 0 or the error number.
int isBaslat(const json& tanim, const std::vector<std::string>& ekOrtam = {}, pid_t* pid = nullptr) {
    std::string prog = program(tanim);
    auto args = argumanlar(tanim);
    if (args.empty()) args.push_back(prog);
    std::vector<std::string> e = ekOrtam;
    json degiskenler = Plist::sozluk(tanim, "EnvironmentVariables");
    for (const auto& [k, v] : degiskenler.items())
        if (v.is_string()) e.push_back(k + "=" + v.get<std::string>());
    return ayriBaslat(prog, args, e, Plist::metin(tanim, "StandardOutPath").value_or("/dev/null"),
                      Plist::metin(tanim, "StandardErrorPath").value_or("/dev/null"),
                      Plist::metin(tanim, "WorkingDirectory").value_or("/"), pid);
}

bool baslatilabilir(const json& tanim) {
    std::string p = program(tanim);
    return !p.empty() && ::access(p.c_str(), X_OK) == 0 && !fs::is_directory(p);
}

// ----- the watcher -----

std::string kilitDosyasi(const std::string& klasor) { return klasor + "/izleyici.kilit"; }
std::string pidDosyasi(const std::string& klasor) { return klasor + "/izleyici.pid"; }
std::string kayitDosyasi(const std::string& klasor) { return klasor + "/izleyici.log"; }

// The watcher's record of what it started and how each ended, one line per
// write; a long one is kept once as ".1".
void kaydet(const std::string& klasor, const std::string& satir) {
    std::string yol = kayitDosyasi(klasor);
    std::error_code ec;
    if (fs::file_size(yol, ec) > (1u << 20)) fs::rename(yol, yol + ".1", ec);
    Fd fd(::open(yol.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    std::string s = satir + "\n";
    if (fd) (void)!::write(fd.get(), s.data(), s.size());
}

// Records how the jobs that ended did, and lets them go.
void bitenleriKaydet(const std::string& klasor) {
    int durum = 0;
    for (pid_t p; (p = ::waitpid(-1, &durum, WNOHANG)) > 0;)
        kaydet(klasor, "pid " + std::to_string(p) +
                           (WIFEXITED(durum) ? " exited with status " + std::to_string(WEXITSTATUS(durum))
                                             : " killed by signal " + std::to_string(WTERMSIG(durum))));
}

// A record lock on the whole lock file: unlike flock, it can be looked at
// without taking it, so asking whether a watcher runs never makes a starting
// watcher believe another one holds the lock.
Fd kilitDosyasiAc(const std::string& klasor) {
    std::error_code ec;
    fs::create_directories(klasor, ec);
    return Fd(::open(kilitDosyasi(klasor).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
}

// A write lock on the whole file.
struct flock tumDosya() {
    struct flock k{};
    k.l_type = F_WRLCK;
    k.l_whence = SEEK_SET;
    return k;
}

// The lock taken, or nothing when a watcher already holds it.
Fd kilitAl(const std::string& klasor) {
    Fd fd = kilitDosyasiAc(klasor);
    struct flock k = tumDosya();
    if (!fd || ::fcntl(fd.get(), F_SETLK, &k) != 0) return Fd();
    return fd;
}

bool izleyiciCalisiyor(const std::string& klasor) {
    Fd fd = kilitDosyasiAc(klasor);
    struct flock k = tumDosya();
    return fd && ::fcntl(fd.get(), F_GETLK, &k) == 0 && k.l_type != F_UNLCK;
}

template <typename F>
bool bekle(F kosul) {
    for (int i = 0; i < 150; ++i) {
        if (kosul()) return true;
        Saat::bekle(0.02);
    }
    return kosul();
}

std::string kendiYolu() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    fs::path ad = exe.parent_path() / "launchctl";
    return fs::exists(ad, ec) ? ad.string() : exe.string();
}

// ----- the login start -----
// Where a systemd user manager runs, one unit of ours has it start the
// watcher at login (and again should it fail); elsewhere the desktop starts
// it from each job's autostart entry.

const char* const kSystemctl = "/usr/bin/systemctl";
const char* const kBirim = "brimvale-izleyici.service";

bool yoneticiVar() {
    std::string r = ortam("XDG_RUNTIME_DIR");
    std::error_code ec;
    return !r.empty() && fs::exists(r + "/systemd/private", ec);
}

KomutSonucu systemctl(Argumanlar a) {
    a.insert(a.begin(), "--user");
    return komut(kSystemctl, a);
}

std::string birimDosyasi() { return ayarKlasoru() + "/systemd/user/" + kBirim; }
std::string girisKaydi(const std::string& etiket) { return autostartKlasoru() + "/" + etiket + ".desktop"; }

// Arguments as a unit's command line: quoted, with the manager's own
// specifiers and variables escaped.
std::string birimKomutu(const Argumanlar& args) {
    std::string satir;
    for (const auto& a : args) {
        satir += satir.empty() ? "\"" : " \"";
        for (char c : a) {
            if (c == '"' || c == '\\') satir += '\\';
            if (c == '%' || c == '$') satir += c;
            satir += c == '\n' ? std::string("\\n") : std::string(1, c);
        }
        satir += '"';
    }
    return satir;
}

// Throws when the entry cannot be written.
void girisKaydiYaz(const std::string& etiket, const std::string& klasor) {
    if (!yoneticiVar()) {
        atomikYaz(girisKaydi(etiket), "[Desktop Entry]\nType=Application\nName=" + etiket +
                                          "\nExec=" + masaustuKomutu({kendiYolu(), kIzle, klasor}) +
                                          "\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n");
        return;
    }
    atomikYaz(birimDosyasi(), "[Unit]\nDescription=Brimvale: starts the backup agent when a disk is connected\n\n"
                              "[Service]\nExecStart=" + birimKomutu({kendiYolu(), kIzle, klasor}) +
                              "\n# A backup the watcher started outlives it.\nKillMode=process\nRestart=on-failure\n\n"
                              "[Install]\nWantedBy=default.target\n");
    (void)systemctl({"daemon-reload"});
    (void)systemctl({"enable", kBirim});
}

void girisKaydiSil(const std::string& etiket, bool sonIs) {
    std::error_code ec;
    fs::remove(girisKaydi(etiket), ec);
    if (!sonIs || !fs::exists(birimDosyasi(), ec)) return;
    (void)systemctl({"disable", "--now", kBirim});
    fs::remove(birimDosyasi(), ec);
    (void)systemctl({"daemon-reload"});
}

// Whether the watcher comes back at login: the user may have turned that
// off in the desktop's settings (each desktop marks it its own way).
bool giristeBaslar(const std::string& etiket) {
    if (yoneticiVar()) return systemctl({"is-enabled", "--quiet", kBirim}).kod == 0;
    auto giris = oku(girisKaydi(etiket));
    return giris && giris->find("\nHidden=true") == std::string::npos &&
           giris->find("\nX-GNOME-Autostart-enabled=false") == std::string::npos;
}

void izleyiciBaslat(const std::string& klasor) {
    if (izleyiciCalisiyor(klasor)) return;
    std::error_code ec;
    std::string exe = fs::read_symlink("/proc/self/exe", ec).string();
    bool basladi = yoneticiVar() ? systemctl({"start", kBirim}).kod == 0
                                 : ayriBaslat(exe, {"launchctl", kIzle, klasor}, {}, "/dev/null", "/dev/null", "/",
                                              nullptr) == 0;
    if (basladi) bekle([&] { return izleyiciCalisiyor(klasor); });
}

void izleyiciDurdur(const std::string& klasor) {
    if (!izleyiciCalisiyor(klasor)) return;
    auto pid = oku(pidDosyasi(klasor), kSatirDosyasi);
    if (!pid) return;
    ::kill(std::atoi(pid->c_str()), SIGTERM);
    bekle([&] { return !izleyiciCalisiyor(klasor); });
}

using BaglamaAnahtari = std::tuple<std::string, std::string, std::string, std::string, std::string>;

std::map<BaglamaAnahtari, int> baglamaSayilari(int fd) {
    std::string metin;
    char tampon[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, tampon, sizeof tampon)) > 0;) metin.append(tampon, size_t(n));
    std::map<BaglamaAnahtari, int> m;
    for (const auto& b : Platform::baglamalarOku(metin)) ++m[{b.yol, b.aygitNo, b.kok, b.tur, b.kaynak}];
    return m;
}

int izle(const std::string& klasor) {
    // The table as it stands before the lock is taken: whoever waits for the
    // lock to be held may mount right after, and that mount is new.
    Fd tablo(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    if (!tablo) return hata("launchctl: /proc/self/mountinfo: " + std::string(std::strerror(errno)));
    auto once = baglamaSayilari(tablo.get());
    Fd kilit = kilitAl(klasor);
    if (!kilit) return 0;
    try {
        atomikYaz(pidDosyasi(klasor), std::to_string(::getpid()) + "\n");
    } catch (const std::exception& e) {
        return hata(std::string("launchctl: ") + e.what());
    }
    // Ended jobs are heard of on a descriptor, so one poll waits for both.
    sigset_t cocuk;
    sigemptyset(&cocuk);
    sigaddset(&cocuk, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &cocuk, nullptr);
    Fd biten(::signalfd(-1, &cocuk, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!biten) return hata("launchctl: signalfd: " + std::string(std::strerror(errno)));
    while (!isler(klasor).empty()) {
        // The kernel raises POLLPRI on every change of the mount table.
        pollfd p[2] = {{tablo.get(), POLLPRI, 0}, {biten.get(), POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return hata("launchctl: poll: " + std::string(std::strerror(errno)));
        }
        if (p[1].revents) {
            signalfd_siginfo bilgi;
            while (::read(biten.get(), &bilgi, sizeof bilgi) > 0) {
            }
            bitenleriKaydet(klasor);
        }
        if (!p[0].revents) continue;
        auto simdi = baglamaSayilari(tablo.get());
        for (const auto& [b, n] : simdi) {
            auto eski = once.find(b);
            int yeni = n - (eski == once.end() ? 0 : eski->second);
            for (int i = 0; i < yeni; ++i)
                for (const auto& is : isler(klasor))
                    if (Plist::mantik(is.tanim, "StartOnMount").value_or(false)) {
                        pid_t pid = 0;
                        int e = isBaslat(is.tanim, {"BRIMVALE_BAGLANAN=" + std::get<0>(b)}, &pid);
                        kaydet(klasor, e ? "could not start " + is.etiket + ": " + std::strerror(e)
                                         : "started " + is.etiket + " pid " + std::to_string(pid) + " on " +
                                               std::get<0>(b));
                    }
        }
        once = std::move(simdi);
    }
    ::unlink(pidDosyasi(klasor).c_str());
    return 0;
}

// ----- the operations -----

std::string bulunamadi(const std::string& etiket) {
    return "Could not find service \"" + etiket + "\" in domain for user gui: " + std::to_string(::getuid());
}

int bootstrap(const Argumanlar& a, const std::string& klasor) {
    if (a.size() != 3) return hata("Usage: launchctl bootstrap <domain-target> <service-path>", 64);
    if (a[1] != alan()) return hata("Bootstrap failed: 125: Domain does not support specified action", 125);
    std::error_code ec;
    if (!fs::exists(a[2], ec)) return hata("Bootstrap failed: 2: No such file or directory", 2);
    auto tanim = Plist::dosyaOku(a[2]);
    std::string etiket = tanim ? Plist::metin(*tanim, "Label").value_or("") : "";
    if (!tanim || !tanim->is_object() || !etiketGecerli(etiket) || program(*tanim).empty())
        return hata("Bootstrap failed: 22: Invalid argument", 22);
    bool vardi = isOku(isDosyasi(klasor, etiket)).has_value();
    if (!vardi) {
        try {
            jsonYaz(json{{"yol", fs::absolute(a[2]).string()}, {"tanim", *tanim}}, isDosyasi(klasor, etiket));
            girisKaydiYaz(etiket, klasor);
        } catch (const std::exception& e) {
            return hata(std::string("Bootstrap failed: 5: Input/output error: ") + e.what(), 5);
        }
    }
    izleyiciBaslat(klasor);
    if (vardi) return hata("Bootstrap failed: 5: Input/output error", 5);
    if (Plist::mantik(*tanim, "RunAtLoad").value_or(false)) (void)isBaslat(*tanim);
    return 0;
}

int bootout(const Argumanlar& a, const std::string& klasor) {
    if (a.size() != 2) return hata("Usage: launchctl bootout <service-target>", 64);
    auto etiket = etiketi(a[1]);
    if (!etiket || !isOku(isDosyasi(klasor, *etiket))) return hata("Boot-out failed: 3: No such process", 3);
    std::error_code ec;
    fs::remove(isDosyasi(klasor, *etiket), ec);
    bool sonIs = isler(klasor).empty();
    girisKaydiSil(*etiket, sonIs);
    if (sonIs) izleyiciDurdur(klasor);
    return 0;
}

int print(const Argumanlar& a, const std::string& klasor) {
    if (a.size() != 2) return hata("Usage: launchctl print <service-target>", 64);
    auto etiket = etiketi(a[1]);
    auto is = etiket ? isOku(isDosyasi(klasor, *etiket)) : std::nullopt;
    if (!is) return hata(bulunamadi(etiket.value_or(a[1])), 113);
    const json& t = is->tanim;
    std::cout << a[1] << " = {\n\tpath = " << is->yol << "\n\tstate = "
              << (baslatilabilir(t) ? "waiting" : "spawn failed") << "\n\tprogram = " << program(t)
              << "\n\targuments = {\n";
    for (const auto& arg : argumanlar(t)) std::cout << "\t\t" << arg << "\n";
    std::cout << "\t}\n\tstdout path = " << Plist::metin(t, "StandardOutPath").value_or("/dev/null")
              << "\n\tstderr path = " << Plist::metin(t, "StandardErrorPath").value_or("/dev/null")
              << "\n\tstart on mount = " << Plist::mantik(t, "StartOnMount").value_or(false)
              << "\n\trun at load = " << Plist::mantik(t, "RunAtLoad").value_or(false)
              << "\n\twatcher = " << (izleyiciCalisiyor(klasor) ? "running" : "not running")
              << "\n\tlogin start = " << (giristeBaslar(etiket.value()) ? "enabled" : "disabled") << "\n}\n";
    return 0;
}

int kickstart(const Argumanlar& a, const std::string& klasor) {
    std::vector<std::string> hedefler;
    for (size_t i = 1; i < a.size(); ++i)
        if (a[i].empty() || a[i][0] != '-') hedefler.push_back(a[i]);
    if (hedefler.size() != 1) return hata("Usage: launchctl kickstart [-k] [-p] <service-target>", 64);
    auto etiket = etiketi(hedefler[0]);
    auto is = etiket ? isOku(isDosyasi(klasor, *etiket)) : std::nullopt;
    if (!is) return hata(bulunamadi(etiket.value_or(hedefler[0])), 113);
    if (int e = isBaslat(is->tanim))
        return hata("Could not kickstart service \"" + *etiket + "\": spawn failed: " + std::strerror(e), 1);
    return 0;
}

}  // namespace

std::string isKlasoru() {
    std::string d = ortam("BRIMVALE_DURUM");
    if (!d.empty()) return d + "/hizmetler";
    std::string s = ortam("XDG_STATE_HOME");
    return (s.empty() ? Platform::evDizini() + "/.local/state" : s) + "/brimvale/hizmetler";
}

std::string masaustuKomutu(const Argumanlar& args) {
    std::string satir;
    for (const auto& a : args) {
        if (!satir.empty()) satir += ' ';
        satir += '"';
        for (char c : a) {
            // Quoted as the desktop entry's Exec key wants it, then escaped as
            // any of its strings (a backslash doubled once more), "%" as "%%".
            if (c == '"' || c == '`' || c == '$') satir += std::string("\\\\") + c;
            else if (c == '\\') satir += "\\\\\\\\";
            else if (c == '%') satir += "%%";
            else if (c == '\n') satir += "\\n";
            else satir += c;
        }
        satir += '"';
    }
    return satir;
}

int launchctl(const Argumanlar& a) {
    std::string islem = a.empty() ? "" : a[0];
    if (islem == kIzle) return a.size() == 2 ? izle(a[1]) : hata("launchctl: the watcher needs its folder", 64);
    std::string klasor = isKlasoru();
    if (islem == "bootstrap") return bootstrap(a, klasor);
    if (islem == "bootout") return bootout(a, klasor);
    if (islem == "print") return print(a, klasor);
    if (islem == "kickstart") return kickstart(a, klasor);
    return hata("Usage: launchctl print|bootout|bootstrap|kickstart ...", 64);
}

}  // namespace Yardimci
