#pragma once
// A private desktop session for one test: its own D-Bus session bus (no
// service activation, socket in the test's folder), on request a keyring
// daemon unlocked by a test password, and a notification server that records
// what it is sent. Nothing of a real session is touched; every process
// started here is ended by its id.
#include <gio/gio.h>
#include <sys/types.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

class OzelOturum {
public:
    // Why the session cannot be had here (a program that is missing), or
    // nothing. `anahtarlik` asks for the keyring daemon and its client too.
    static std::optional<std::string> eksik(bool anahtarlik);
    // The Secret Service's command-line client, to look at the keyring directly.
    static const char* const kSecretTool;

    // Starts the bus and points DBUS_SESSION_BUS_ADDRESS at it; check hazir().
    OzelOturum();
    ~OzelOturum();
    OzelOturum(const OzelOturum&) = delete;
    OzelOturum& operator=(const OzelOturum&) = delete;

    bool hazir() const { return baglanti_ != nullptr; }
    const std::string& adres() const { return adres_; }
    // A keyring daemon on the bus whose new login keyring `parola` unlocks;
    // false when its Secret Service does not appear.
    bool anahtarlikBaslat(const std::string& parola);

private:
    std::string klasor_, adres_;
    pid_t bus_ = -1, anahtarlik_ = -1;
    GDBusConnection* baglanti_ = nullptr;
};

struct Bildirim {
    std::string uygulama, baslik, metin;
};

// Owns org.freedesktop.Notifications on the bus at `adres` and answers Notify
// and GetServerInformation. With `cevapla` false it takes every call and
// never answers, like a hung server.
class BildirimSunucusu {
public:
    BildirimSunucusu(const std::string& adres, bool cevapla);
    ~BildirimSunucusu();
    BildirimSunucusu(const BildirimSunucusu&) = delete;
    BildirimSunucusu& operator=(const BildirimSunucusu&) = delete;

    bool hazir() const { return hazir_; }
    std::vector<Bildirim> cagrilar();

private:
    static GDBusMessage* geldi(GDBusConnection* b, GDBusMessage* mesaj, gboolean gelen, gpointer veri);

    bool cevapla_, hazir_ = false;
    GDBusConnection* baglanti_;
    std::mutex kilit_;
    std::vector<Bildirim> cagrilar_;
};
