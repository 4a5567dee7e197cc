#include "platform/Oturum.hpp"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <cstdlib>

namespace Platform {
namespace {

// A bus connection, or nullptr. Only asked for when its address is known, so
// a machine without a bus never waits on one.
GDBusConnection* bagla(GBusType tur) {
    if (tur == G_BUS_TYPE_SESSION) {
        const char* adres = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (!adres || !*adres) return nullptr;
    } else if (::access("/run/dbus/system_bus_socket", F_OK) != 0 && !std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        return nullptr;
    }
    GError* hata = nullptr;
    GDBusConnection* b = g_bus_get_sync(tur, nullptr, &hata);
    if (hata) g_error_free(hata);
    return b;
}

}  // namespace

namespace {

// One call to the desktop notification service; whether it answered in time.
bool bildirimServisi(const char* yontem, GVariant* girdi, const char* cevapTuru, double sureSn) {
    GDBusConnection* b = bagla(G_BUS_TYPE_SESSION);
    if (!b) {
        if (girdi) g_variant_unref(g_variant_ref_sink(girdi));
        return false;
    }
    GError* hata = nullptr;
    GVariant* cevap = g_dbus_connection_call_sync(
        b, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications", yontem,
        girdi, G_VARIANT_TYPE(cevapTuru), G_DBUS_CALL_FLAGS_NONE, static_cast<int>(sureSn * 1000), nullptr, &hata);
    bool tamam = cevap != nullptr;
    if (cevap) g_variant_unref(cevap);
    if (hata) g_error_free(hata);
    g_object_unref(b);
    return tamam;
}

}  // namespace

bool masaustuBildirimi(const std::string& baslik, const std::string& metin, double sureSn) {
    GVariantBuilder eylemler, ipuclari;
    g_variant_builder_init(&eylemler, G_VARIANT_TYPE("as"));
    g_variant_builder_init(&ipuclari, G_VARIANT_TYPE("a{sv}"));
    return bildirimServisi(
        "Notify",
        g_variant_new("(susssasa{sv}i)", baslik.c_str(), 0u, "", baslik.c_str(), metin.c_str(), &eylemler, &ipuclari, -1),
        "(u)", sureSn);
}

bool bildirimServisiVar(double sureSn) {
    return bildirimServisi("GetServerInformation", nullptr, "(ssss)", sureSn);
}

std::unique_ptr<UykuEngeli> uykuyuEngelle(const std::string& ad, const std::string& neden) {
    GDBusConnection* b = bagla(G_BUS_TYPE_SYSTEM);
    if (!b) return nullptr;
    GUnixFDList* fdler = nullptr;
    GError* hata = nullptr;
    GVariant* cevap = g_dbus_connection_call_with_unix_fd_list_sync(
        b, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "Inhibit",
        g_variant_new("(ssss)", "sleep:idle", ad.c_str(), neden.c_str(), "block"), G_VARIANT_TYPE("(h)"),
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &fdler, nullptr, &hata);
    std::unique_ptr<UykuEngeli> engel;
    if (cevap && fdler) {
        gint32 sira = 0;
        g_variant_get(cevap, "(h)", &sira);
        int fd = g_unix_fd_list_get(fdler, sira, nullptr);
        if (fd >= 0) engel = std::make_unique<UykuEngeli>(fd);
    }
    if (cevap) g_variant_unref(cevap);
    if (fdler) g_object_unref(fdler);
    if (hata) g_error_free(hata);
    g_object_unref(b);
    return engel;
}

}  // namespace Platform
