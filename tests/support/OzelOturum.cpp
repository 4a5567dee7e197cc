#include "tests/support/OzelOturum.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

extern char** environ;

namespace fs = std::filesystem;
using Kronometre = std::chrono::steady_clock;

namespace {

const char* kDbusDaemon = "/usr/bin/dbus-daemon";
const char* kAnahtarlikDaemon = "/usr/bin/gnome-keyring-daemon";

// Starts `args` with the given descriptors as its standard input, output
// and error (-1: /dev/null), plus `ek` as descriptor 3 when it is given.
pid_t baslat(const std::vector<std::string>& args, int girdi, int cikti, int ek = -1) {
    posix_spawn_file_actions_t eylemler;
    posix_spawn_file_actions_init(&eylemler);
    if (girdi >= 0) posix_spawn_file_actions_adddup2(&eylemler, girdi, 0);
    else posix_spawn_file_actions_addopen(&eylemler, 0, "/dev/null", O_RDONLY, 0);
    if (cikti >= 0) {
        posix_spawn_file_actions_adddup2(&eylemler, cikti, 1);
        posix_spawn_file_actions_adddup2(&eylemler, cikti, 2);
    } else {
        posix_spawn_file_actions_addopen(&eylemler, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&eylemler, 2, "/dev/null", O_WRONLY, 0);
    }
    if (ek >= 0) posix_spawn_file_actions_adddup2(&eylemler, ek, 3);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &eylemler, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&eylemler);
    return pid;
}

// Ends a child of ours: asked first, forced after ten seconds.
void bitir(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (!kosulBekle([&] { return ::waitpid(pid, nullptr, WNOHANG) != 0; }, 10)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

// One line from `fd` within `sinir`; empty on time-out or end of file.
std::string satirOku(int fd, std::chrono::seconds sinir) {
    std::string satir;
    auto son = Kronometre::now() + sinir;
    while (satir.find('\n') == std::string::npos) {
        auto kalan = std::chrono::duration_cast<std::chrono::milliseconds>(son - Kronometre::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (kalan <= 0 || ::poll(&p, 1, static_cast<int>(kalan)) <= 0) return {};
        char buf[256];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return {};
        satir.append(buf, static_cast<size_t>(n));
    }
    return Metin::kirp(satir.substr(0, satir.find('\n')));
}

const char* kBusAyari = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=@SOKET@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

const char* kBildirimArayuzu = R"(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
    </method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
  </interface>
</node>)";

GDBusConnection* busaBaglan(const std::string& adres) {
    auto bayrak = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return g_dbus_connection_new_for_address_sync(adres.c_str(), bayrak, nullptr, nullptr, nullptr);
}

}  // namespace

const char* const OzelOturum::kSecretTool = "/usr/bin/secret-tool";

std::optional<std::string> OzelOturum::eksik(bool anahtarlik) {
    std::vector<std::pair<const char*, const char*>> gerekli = {{kDbusDaemon, "dbus"}};
    if (anahtarlik) {
        gerekli.push_back({kAnahtarlikDaemon, "gnome-keyring"});
        gerekli.push_back({kSecretTool, "libsecret-tools"});
    }
    for (const auto& [program, paket] : gerekli)
        if (::access(program, X_OK) != 0)
            return std::string(program) + " is not installed (package " + paket + ", see setup.sh)";
    return std::nullopt;
}

OzelOturum::OzelOturum() {
    static std::atomic<int> sayac{0};
    klasor_ = TestOrtami::kok() + "/oturum-" + std::to_string(sayac++);
    fs::create_directories(klasor_ + "/calisma");
    ::chmod((klasor_ + "/calisma").c_str(), 0700);
    std::string ayar = kBusAyari;
    ayar.replace(ayar.find("@SOKET@"), 7, klasor_ + "/bus");
    std::ofstream(klasor_ + "/bus.conf") << ayar;

    int boru[2];
    if (::pipe2(boru, O_CLOEXEC) != 0) return;
    bus_ = baslat({kDbusDaemon, "--config-file=" + klasor_ + "/bus.conf", "--nofork", "--print-address=3"}, -1, -1,
                  boru[1]);
    ::close(boru[1]);
    std::string adres = bus_ > 0 ? satirOku(boru[0], std::chrono::seconds(20)) : "";
    ::close(boru[0]);
    if (adres.empty()) {
        bitir(bus_);
        return;
    }
    adres_ = adres;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", adres_.c_str(), 1);
    // The keyring daemon keeps its control socket here, not in the real session's folder.
    ::setenv("XDG_RUNTIME_DIR", (klasor_ + "/calisma").c_str(), 1);
    baglanti_ = busaBaglan(adres_);
}

OzelOturum::~OzelOturum() {
    if (baglanti_) {
        g_dbus_connection_close_sync(baglanti_, nullptr, nullptr);
        g_object_unref(baglanti_);
    }
    if (hazir()) {
        // The process-wide session connection the code under test may hold
        // must not end this process when the bus goes away.
        if (GDBusConnection* ortak = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
            g_dbus_connection_set_exit_on_close(ortak, FALSE);
            g_object_unref(ortak);
        }
    }
    bitir(anahtarlik_);
    bitir(bus_);
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
}

bool OzelOturum::sahipli(const std::string& ad) {
    if (!baglanti_) return false;
    GVariant* cevap = g_dbus_connection_call_sync(baglanti_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", ad.c_str()),
                                                  G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    gboolean var = FALSE;
    if (cevap) {
        g_variant_get(cevap, "(b)", &var);
        g_variant_unref(cevap);
    }
    return var;
}

bool OzelOturum::anahtarlikBaslat(const std::string& parola) {
    if (!hazir() || anahtarlik_ > 0) return false;
    int girdi[2];
    if (::pipe2(girdi, O_CLOEXEC) != 0) return false;
    int kayit = ::open((klasor_ + "/anahtarlik.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    anahtarlik_ = baslat({kAnahtarlikDaemon, "--foreground", "--unlock", "--components=secrets"}, girdi[0], kayit);
    ::close(girdi[0]);
    if (kayit >= 0) ::close(kayit);
    [[maybe_unused]] ssize_t n = ::write(girdi[1], parola.data(), parola.size());
    ::close(girdi[1]);
    if (anahtarlik_ <= 0) return false;
    bool var = false;
    kosulBekle([&] { return (var = sahipli("org.freedesktop.secrets")) || ::waitpid(anahtarlik_, nullptr, WNOHANG) != 0; },
               20);
    return var;
}

// ---- the notification server ----

BildirimSunucusu::BildirimSunucusu(const std::string& adres, bool cevapla) : cevapla_(cevapla) {
    is_ = std::thread([this, adres] { calis(adres); });
    std::unique_lock<std::mutex> k(kilit_);
    degisti_.wait_for(k, std::chrono::seconds(20), [this] { return basladi_; });
}

BildirimSunucusu::~BildirimSunucusu() {
    {
        std::lock_guard<std::mutex> k(kilit_);
        if (dongu_) g_main_loop_quit(dongu_);
    }
    if (is_.joinable()) is_.join();
}

void BildirimSunucusu::calis(const std::string& adres) {
    baglam_ = g_main_context_new();
    g_main_context_push_thread_default(baglam_);
    GDBusConnection* b = adres.empty() ? nullptr : busaBaglan(adres);
    GDBusNodeInfo* dugum = g_dbus_node_info_new_for_xml(kBildirimArayuzu, nullptr);
    static const GDBusInterfaceVTable yontemler = {&BildirimSunucusu::cagriGeldi, nullptr, nullptr, {}};
    guint kayit = b ? g_dbus_connection_register_object(b, "/org/freedesktop/Notifications", dugum->interfaces[0],
                                                        &yontemler, this, nullptr, nullptr)
                    : 0;
    guint32 sonuc = 0;
    if (kayit) {
        // 4: do not queue; 1 in the answer: we are the owner.
        GVariant* cevap = g_dbus_connection_call_sync(
            b, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.freedesktop.Notifications", 4u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE,
            5000, nullptr, nullptr);
        if (cevap) {
            g_variant_get(cevap, "(u)", &sonuc);
            g_variant_unref(cevap);
        }
    }
    {
        std::lock_guard<std::mutex> k(kilit_);
        hazir_ = sonuc == 1;
        if (hazir_) dongu_ = g_main_loop_new(baglam_, FALSE);
        basladi_ = true;
    }
    degisti_.notify_all();
    if (dongu_) g_main_loop_run(dongu_);

    for (GDBusMethodInvocation* c : bekleyenler_)
        g_dbus_method_invocation_return_dbus_error(c, "org.freedesktop.DBus.Error.Failed", "server gone");
    if (kayit) g_dbus_connection_unregister_object(b, kayit);
    g_dbus_node_info_unref(dugum);
    if (b) {
        g_dbus_connection_close_sync(b, nullptr, nullptr);
        g_object_unref(b);
    }
    {
        std::lock_guard<std::mutex> k(kilit_);
        if (dongu_) g_main_loop_unref(dongu_);
        dongu_ = nullptr;
    }
    g_main_context_pop_thread_default(baglam_);
    g_main_context_unref(baglam_);
}

void BildirimSunucusu::cagriGeldi(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* yontem,
                                  GVariant* parametreler, GDBusMethodInvocation* cagri, gpointer veri) {
    auto* s = static_cast<BildirimSunucusu*>(veri);
    std::string ad = yontem;
    if (ad == "GetCapabilities") {
        const gchar* yetenekler[] = {"body", nullptr};
        g_dbus_method_invocation_return_value(cagri, g_variant_new("(^as)", yetenekler));
    } else if (ad == "GetServerInformation") {
        g_dbus_method_invocation_return_value(cagri, g_variant_new("(ssss)", "deneme", "brimvale", "1", "1.2"));
    } else if (ad == "CloseNotification") {
        g_dbus_method_invocation_return_value(cagri, nullptr);
    } else {
        const gchar *uygulama = nullptr, *baslik = nullptr, *metin = nullptr;
        g_variant_get_child(parametreler, 0, "&s", &uygulama);
        g_variant_get_child(parametreler, 3, "&s", &baslik);
        g_variant_get_child(parametreler, 4, "&s", &metin);
        std::lock_guard<std::mutex> k(s->kilit_);
        s->cagrilar_.push_back({uygulama, baslik, metin});
        if (s->cevapla_) g_dbus_method_invocation_return_value(cagri, g_variant_new("(u)", 1u));
        else s->bekleyenler_.push_back(cagri);
        s->degisti_.notify_all();
    }
}

std::vector<Bildirim> BildirimSunucusu::cagrilar() {
    std::lock_guard<std::mutex> k(kilit_);
    return cagrilar_;
}

std::vector<Bildirim> BildirimSunucusu::bekle(size_t n, std::chrono::seconds sinir) {
    std::unique_lock<std::mutex> k(kilit_);
    degisti_.wait_for(k, sinir, [&] { return cagrilar_.size() >= n; });
    return cagrilar_;
}
