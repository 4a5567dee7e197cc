#include "tests/support/OzelOturum.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {

const char* kDbusDaemon = "/usr/bin/dbus-daemon";
const char* kAnahtarlikDaemon = "/usr/bin/gnome-keyring-daemon";

const char* kBusAyari = R"(<busconfig>
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

// Ends a daemon of ours, no longer our child once it forked: asked first, forced after ten seconds.
void bitir(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (!kosulBekle([&] { return !yasiyor(pid); }, 10)) ::kill(pid, SIGKILL);
}

GDBusConnection* busaBaglan(const std::string& adres) {
    auto bayrak = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return g_dbus_connection_new_for_address_sync(adres.c_str(), bayrak, nullptr, nullptr, nullptr);
}

// The bus daemon's one-number answer to `yontem`; nothing when it refused.
std::optional<guint32> busaSor(GDBusConnection* b, const char* yontem, GVariant* parametreler) {
    GVariant* cevap = g_dbus_connection_call_sync(b, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", yontem, parametreler, G_VARIANT_TYPE("(u)"),
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (!cevap) return std::nullopt;
    guint32 sayi = 0;
    g_variant_get(cevap, "(u)", &sayi);
    g_variant_unref(cevap);
    return sayi;
}

}  // namespace

const char* const OzelOturum::kSecretTool = "/usr/bin/secret-tool";

std::optional<std::string> OzelOturum::eksik(bool anahtarlik) {
    std::vector<std::string> gerekli = {kDbusDaemon};
    if (anahtarlik) gerekli.insert(gerekli.end(), {kAnahtarlikDaemon, kSecretTool});
    for (const auto& program : gerekli)
        if (::access(program.c_str(), X_OK) != 0) return program + " is not installed (see setup.sh)";
    return std::nullopt;
}

OzelOturum::OzelOturum() {
    static std::atomic<int> sayac{0};
    klasor_ = TestOrtami::kok() + "/oturum-" + std::to_string(sayac++);
    std::filesystem::create_directories(klasor_ + "/calisma");
    ::chmod((klasor_ + "/calisma").c_str(), 0700);
    std::string ayar = kBusAyari;
    TestOrtami::dosyaYaz(klasor_ + "/bus.conf", ayar.replace(ayar.find("@SOKET@"), 7, klasor_ + "/bus"));
    // The daemon prints its address and id and forks once it listens.
    KomutSonucu s = komut(kDbusDaemon,
                          {"--config-file=" + klasor_ + "/bus.conf", "--fork", "--print-address=1", "--print-pid=1"},
                          std::string());
    auto satirlar = Metin::bol(s.cikti, '\n', true);
    if (s.kod != 0 || satirlar.size() != 2) return;
    adres_ = satirlar[0];
    bus_ = static_cast<pid_t>(Metin::sayi(satirlar[1]).value_or(-1));
    ::setenv("DBUS_SESSION_BUS_ADDRESS", adres_.c_str(), 1);
    // The keyring daemon keeps its control socket here, not in the real session's folder.
    ::setenv("XDG_RUNTIME_DIR", (klasor_ + "/calisma").c_str(), 1);
    baglanti_ = busaBaglan(adres_);
}

OzelOturum::~OzelOturum() {
    if (baglanti_) {
        g_dbus_connection_close_sync(baglanti_, nullptr, nullptr);
        g_object_unref(baglanti_);
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

bool OzelOturum::anahtarlikBaslat(const std::string& parola) {
    if (!hazir() || anahtarlik_ > 0) return false;
    // It forks once set up, its login keyring unlocked by what came on standard input.
    if (komut(kAnahtarlikDaemon, {"--daemonize", "--unlock", "--components=secrets"}, parola).kod != 0) return false;
    std::optional<guint32> pid;
    kosulBekle([&] {
        pid = busaSor(baglanti_, "GetConnectionUnixProcessID", g_variant_new("(s)", "org.freedesktop.secrets"));
        return pid.has_value();
    }, 20);
    if (pid) anahtarlik_ = static_cast<pid_t>(*pid);
    return pid.has_value();
}

BildirimSunucusu::BildirimSunucusu(const std::string& adres, bool cevapla)
    : cevapla_(cevapla), baglanti_(busaBaglan(adres)) {
    if (!baglanti_) return;
    // No object is registered: the filter takes Notify before anything else sees it.
    g_dbus_connection_add_filter(baglanti_, &BildirimSunucusu::geldi, this, nullptr);
    // 4: do not queue; 1 in the answer: we are the owner.
    hazir_ = busaSor(baglanti_, "RequestName", g_variant_new("(su)", "org.freedesktop.Notifications", 4u)) == 1u;
}

BildirimSunucusu::~BildirimSunucusu() {
    if (!baglanti_) return;
    // Filters run on the connection's own thread, which is done with them once it is closed.
    g_dbus_connection_close_sync(baglanti_, nullptr, nullptr);
    g_object_unref(baglanti_);
}

GDBusMessage* BildirimSunucusu::geldi(GDBusConnection* b, GDBusMessage* mesaj, gboolean gelen, gpointer veri) {
    auto* s = static_cast<BildirimSunucusu*>(veri);
    const char* uye = g_dbus_message_get_member(mesaj);
    if (gelen && uye && std::string(uye) == "GetServerInformation") {
        if (s->cevapla_) {
            GDBusMessage* cevap = g_dbus_message_new_method_reply(mesaj);
            g_dbus_message_set_body(cevap, g_variant_new("(ssss)", "deneme", "Brimvale", "1", "1.2"));
            g_dbus_connection_send_message(b, cevap, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
            g_object_unref(cevap);
        }
        g_object_unref(mesaj);
        return nullptr;
    }
    GVariant* govde = g_dbus_message_get_body(mesaj);
    // Only Notify carries this signature.
    if (!gelen || !govde || !g_variant_is_of_type(govde, G_VARIANT_TYPE("(susssasa{sv}i)"))) return mesaj;
    const gchar *uygulama = nullptr, *baslik = nullptr, *metin = nullptr;
    g_variant_get_child(govde, 0, "&s", &uygulama);
    g_variant_get_child(govde, 3, "&s", &baslik);
    g_variant_get_child(govde, 4, "&s", &metin);
    {
        std::lock_guard<std::mutex> k(s->kilit_);
        s->cagrilar_.push_back({uygulama, baslik, metin});
    }
    // Answered only once recorded; a hung server lets the call wait.
    if (s->cevapla_) {
        GDBusMessage* cevap = g_dbus_message_new_method_reply(mesaj);
        g_dbus_message_set_body(cevap, g_variant_new("(u)", 1u));
        g_dbus_connection_send_message(b, cevap, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
        g_object_unref(cevap);
    }
    g_object_unref(mesaj);
    return nullptr;
}

std::vector<Bildirim> BildirimSunucusu::cagrilar() {
    std::lock_guard<std::mutex> k(kilit_);
    return cagrilar_;
}
