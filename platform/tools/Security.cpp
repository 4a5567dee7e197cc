// security on Linux: generic passwords in the Secret Service when a session
// bus and a keyring are there, else in a file only the user can read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "core/Dosya.hpp"
#include "platform/Platform.hpp"
#include "platform/tools/Yardimci.hpp"

#ifdef BRIMVALE_LIBSECRET
#include <dlfcn.h>
#include <libsecret/secret.h>
#endif

namespace fs = std::filesystem;

namespace Yardimci {
namespace {

struct Oge {
    std::string servis, hesap, etiket, parola;
};

// ---- the file store ----

fs::path dosyaYolu() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path veri = (xdg && *xdg) ? fs::path(xdg) : fs::path(Platform::evDizini()) / ".local/share";
    return veri / "Ondrak Brimvale" / "anahtarlik.json";
}

nlohmann::json dosyaOku() {
    auto b = baytlariOku(dosyaYolu().string());
    try {
        if (b) return nlohmann::json::parse(*b);
    } catch (const std::exception&) {
    }
    return nlohmann::json::object();
}

// Created 0600 in a 0700 folder and renamed into place, so the secret is
// never readable by others, not even for a moment.
bool dosyaYaz(const nlohmann::json& icerik) {
    fs::path yol = dosyaYolu();
    std::error_code ec;
    fs::create_directories(yol.parent_path(), ec);
    ::chmod(yol.parent_path().c_str(), 0700);
    std::string gecici = yol.string() + ".yeni-" + std::to_string(::getpid());
    int fd = ::open(gecici.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::fchmod(fd, 0600);
    std::string metin = icerik.dump(2);
    bool tamam = ::write(fd, metin.data(), metin.size()) == static_cast<ssize_t>(metin.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (tamam && ::rename(gecici.c_str(), yol.c_str()) == 0) return true;
    ::unlink(gecici.c_str());
    return false;
}

std::string anahtar(const std::string& servis, const std::string& hesap) { return servis + "\n" + hesap; }

bool dosyayaKoy(const Oge& o) {
    nlohmann::json d = dosyaOku();
    d[anahtar(o.servis, o.hesap)] = {{"label", o.etiket}, {"password", o.parola}};
    return dosyaYaz(d);
}

std::optional<std::string> dosyadanAl(const std::string& servis, const std::string& hesap) {
    nlohmann::json d = dosyaOku();
    auto it = d.find(anahtar(servis, hesap));
    if (it == d.end() || !it->is_object() || !it->contains("password") || !(*it)["password"].is_string())
        return std::nullopt;
    return (*it)["password"].get<std::string>();
}

// ---- the Secret Service, loaded only where a session bus exists ----

#ifdef BRIMVALE_LIBSECRET
const SecretSchema* sema() {
    static const SecretSchema s = {"org.freedesktop.Secret.Generic",
                                   SECRET_SCHEMA_DONT_MATCH_NAME,
                                   {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                   0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &s;
}

void* kutuphane() {
    static void* h = oturumVar() ? ::dlopen("libsecret-1.so.0", RTLD_NOW | RTLD_LOCAL) : nullptr;
    return h;
}

bool servisKoy(const Oge& o) {
    using Koy = gboolean (*)(const SecretSchema*, const gchar*, const gchar*, const gchar*, GCancellable*, GError**, ...);
    auto koy = kutuphane() ? reinterpret_cast<Koy>(::dlsym(kutuphane(), "secret_password_store_sync")) : nullptr;
    return koy && koy(sema(), SECRET_COLLECTION_DEFAULT, o.etiket.c_str(), o.parola.c_str(), nullptr, nullptr,
                      "service", o.servis.c_str(), "account", o.hesap.c_str(), nullptr);
}

std::optional<std::string> servistenAl(const std::string& servis, const std::string& hesap) {
    using Al = gchar* (*)(const SecretSchema*, GCancellable*, GError**, ...);
    using Birak = void (*)(gchar*);
    auto al = kutuphane() ? reinterpret_cast<Al>(::dlsym(kutuphane(), "secret_password_lookup_sync")) : nullptr;
    auto birak = kutuphane() ? reinterpret_cast<Birak>(::dlsym(kutuphane(), "secret_password_free")) : nullptr;
    if (!al || !birak) return std::nullopt;
    gchar* p = al(sema(), nullptr, nullptr, "service", servis.c_str(), "account", hesap.c_str(), nullptr);
    if (!p) return std::nullopt;
    std::string s = p;
    birak(p);
    return s;
}
#else
bool servisKoy(const Oge&) { return false; }
std::optional<std::string> servistenAl(const std::string&, const std::string&) { return std::nullopt; }
#endif

bool koy(const Oge& o) { return servisKoy(o) || dosyayaKoy(o); }

std::optional<std::string> al(const std::string& servis, const std::string& hesap) {
    if (auto p = servistenAl(servis, hesap)) return p;
    return dosyadanAl(servis, hesap);
}

// ---- commands ----

const char* kBulunamadi =
    "security: SecKeychainSearchCopyNext: The specified item could not be found in the keychain.";

int calistir(const Argumanlar& a) {
    std::string verb = a.empty() ? "" : a[0];
    Oge o;
    bool yalnizParola = false;
    for (size_t i = 1; i < a.size(); ++i) {
        auto deger = [&](std::string& hedef) {
            if (i + 1 < a.size()) hedef = a[++i];
        };
        if (a[i] == "-s") deger(o.servis);
        else if (a[i] == "-a") deger(o.hesap);
        else if (a[i] == "-l") deger(o.etiket);
        else if (a[i] == "-w" && verb == "add-generic-password") deger(o.parola);
        else if (a[i] == "-w") yalnizParola = true;
    }
    if (verb == "add-generic-password") {
        if (o.etiket.empty()) o.etiket = o.servis;
        return koy(o) ? 0 : hata("security: SecKeychainItemCreateFromContent: the item could not be stored.", 1);
    }
    if (verb == "find-generic-password") {
        auto p = al(o.servis, o.hesap);
        if (!p) return hata(kBulunamadi, 44);
        if (yalnizParola) std::cout << *p << "\n";
        else std::cout << "keychain: \"file\"\nclass: \"genp\"\n    \"svce\"<blob>=\"" << o.servis << "\"\n";
        return 0;
    }
    return hata("security: unknown command \"" + verb + "\"", 1);
}

}  // namespace

// One command line of interactive mode: words split at white space, double
// quotes group, a backslash takes the next character as it is.
Argumanlar komutSatiri(const std::string& satir) {
    Argumanlar kelimeler;
    std::string su;
    bool tirnakta = false, kelimeVar = false;
    for (size_t i = 0; i < satir.size(); ++i) {
        char c = satir[i];
        if (c == '\\' && i + 1 < satir.size()) {
            su += satir[++i];
            kelimeVar = true;
        } else if (c == '"') {
            tirnakta = !tirnakta;
            kelimeVar = true;
        } else if (!tirnakta && (c == ' ' || c == '\t' || c == '\r')) {
            if (kelimeVar) kelimeler.push_back(su);
            su.clear();
            kelimeVar = false;
        } else {
            su += c;
            kelimeVar = true;
        }
    }
    if (kelimeVar) kelimeler.push_back(su);
    return kelimeler;
}

int security(const Argumanlar& a) {
    if (a.size() == 1 && a[0] == "-i") {
        int kod = 0;
        std::istringstream girdiAkisi(girdi());
        std::string satir;
        while (std::getline(girdiAkisi, satir)) {
            Argumanlar k = komutSatiri(satir);
            if (k.empty()) continue;
            if (int r = calistir(k); r != 0) kod = r;
        }
        return kod;
    }
    return calistir(a);
}

}  // namespace Yardimci
