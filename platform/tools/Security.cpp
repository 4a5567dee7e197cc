// security on Linux: generic passwords in the Secret Service when a session
// bus and a keyring are there, else in a file only the user can read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "core/Dosya.hpp"
#include "core/Saat.hpp"
#include "platform/Platform.hpp"
#include "platform/tools/Yardimci.hpp"

#include <libsecret/secret.h>

namespace fs = std::filesystem;

namespace Yardimci {
namespace {

struct Oge {
    std::string servis, hesap, etiket, parola;
};

// ---- the file store ----

fs::path dosyaYolu() { return fs::path(Platform::veriDizini()) / "Ondrak Brimvale" / "anahtarlik.json"; }

// The store as read. A store that is there but cannot be read, or is not a
// store, is never taken for an empty one.
struct Depo {
    enum Durum { tamam, okunamadi, bozuk } durum = tamam;
    nlohmann::json ogeler = nlohmann::json::object();
};

Depo dosyaOku() {
    std::string yol = dosyaYolu().string();
    auto b = baytlariOku(yol);
    if (!b) {
        struct stat st{};
        bool yok = ::lstat(yol.c_str(), &st) != 0 && errno == ENOENT;
        return {yok ? Depo::tamam : Depo::okunamadi};
    }
    try {
        auto j = nlohmann::json::parse(*b);
        if (j.is_object()) return {Depo::tamam, j};
    } catch (const std::exception&) {
    }
    return {Depo::bozuk};
}

// A damaged store keeps its name's place no longer: it is renamed aside whole
// (never over another file), so every password in it can still be recovered
// by hand, and the new one goes into a fresh store.
std::optional<std::string> kenaraKoy() {
    std::string yol = dosyaYolu().string();
    std::string ad = yol + ".bozuk-" + Saat::yerelMetin("%Y%m%d-%H%M%S");
    for (int n = 1; n < 100; ++n) {
        std::string kenar = n == 1 ? ad : ad + "-" + std::to_string(n);
        if (::renameat2(AT_FDCWD, yol.c_str(), AT_FDCWD, kenar.c_str(), RENAME_NOREPLACE) == 0) return kenar;
        if (errno != EEXIST) break;
    }
    return std::nullopt;
}

// Created 0600 in a 0700 folder, so the secret is never readable by others.
bool dosyaYaz(const nlohmann::json& icerik) {
    fs::path yol = dosyaYolu();
    std::error_code ec;
    fs::create_directories(yol.parent_path(), ec);
    ::chmod(yol.parent_path().c_str(), 0700);
    try {
        atomikYaz(yol.string(), icerik.dump(2), std::nullopt, 0600);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string anahtar(const std::string& servis, const std::string& hesap) { return servis + "\n" + hesap; }

std::string depoAdi() { return "\u201C" + dosyaYolu().string() + "\u201D"; }

bool dosyayaKoy(const Oge& o) {
    Depo d = dosyaOku();
    if (d.durum == Depo::okunamadi) {
        hata("security: the password store " + depoAdi() + " could not be read; nothing was stored.");
        return false;
    }
    if (d.durum == Depo::bozuk) {
        auto kenar = kenaraKoy();
        if (!kenar) {
            hata("security: the password store " + depoAdi() + " is damaged and could not be kept aside; nothing was stored.");
            return false;
        }
        hata("security: the password store " + depoAdi() + " was damaged; it was kept as \u201C" + *kenar +
             "\u201D and a new store was started.");
    }
    d.ogeler[anahtar(o.servis, o.hesap)] = {{"label", o.etiket}, {"password", o.parola}};
    return dosyaYaz(d.ogeler);
}

// Throws when the store cannot be read: that is no "not found".
std::optional<std::string> dosyadanAl(const std::string& servis, const std::string& hesap) {
    Depo depo = dosyaOku();
    if (depo.durum != Depo::tamam)
        throw std::runtime_error("security: the password store " + depoAdi() +
                                 (depo.durum == Depo::bozuk ? " is damaged." : " could not be read."));
    const nlohmann::json& d = depo.ogeler;
    auto it = d.find(anahtar(servis, hesap));
    if (it == d.end() || !it->is_object() || !it->contains("password") || !(*it)["password"].is_string())
        return std::nullopt;
    return (*it)["password"].get<std::string>();
}

// ---- the Secret Service, asked only where a session bus exists ----

const SecretSchema* sema() {
    static const SecretSchema s = {"org.freedesktop.Secret.Generic",
                                   SECRET_SCHEMA_DONT_MATCH_NAME,
                                   {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                   0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &s;
}

// Where no Secret Service answers, the file store above keeps the password.
bool servisKoy(const Oge& o) {
    if (!oturumVar()) return false;
    GError* hata = nullptr;
    bool tamam = secret_password_store_sync(sema(), SECRET_COLLECTION_DEFAULT, o.etiket.c_str(), o.parola.c_str(),
                                            nullptr, &hata, "service", o.servis.c_str(), "account", o.hesap.c_str(),
                                            nullptr);
    if (hata) g_error_free(hata);
    return tamam;
}

std::optional<std::string> servistenAl(const std::string& servis, const std::string& hesap) {
    if (!oturumVar()) return std::nullopt;
    GError* hata = nullptr;
    std::unique_ptr<gchar, void (*)(gchar*)> p(
        secret_password_lookup_sync(sema(), nullptr, &hata, "service", servis.c_str(), "account", hesap.c_str(), nullptr),
        secret_password_free);
    if (hata) g_error_free(hata);
    if (!p) return std::nullopt;
    return std::string(p.get());
}

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
        for (const std::string* d : {&o.servis, &o.hesap, &o.etiket, &o.parola})
            if (d->find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
                return hata("security: add-generic-password: a value holds a line break or NUL; nothing was stored.", 1);
        if (o.etiket.empty()) o.etiket = o.servis;
        return koy(o) ? 0 : hata("security: SecKeychainItemCreateFromContent: the item could not be stored.", 1);
    }
    if (verb == "find-generic-password") {
        std::optional<std::string> p;
        try {
            p = al(o.servis, o.hesap);
        } catch (const std::exception& e) {
            return hata(e.what(), 1);
        }
        if (!p) return hata(kBulunamadi, 44);
        if (yalnizParola) std::cout << *p << "\n";
        else std::cout << "keychain: \"file\"\nclass: \"genp\"\n    \"svce\"<blob>=\"" << o.servis << "\"\n";
        return 0;
    }
    return hata("security: unknown command \"" + verb + "\"", 1);
}

}  // namespace

// One command line of interactive mode: words split at white space, double
// quotes group, a backslash takes the next character as it is. Nothing when a
// quote is left open: the value went on past the end of the line.
std::optional<Argumanlar> komutSatiri(const std::string& satir) {
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
    if (tirnakta) return std::nullopt;
    if (kelimeVar) kelimeler.push_back(su);
    return kelimeler;
}

// Interactive mode runs all of its lines or none: a line break or NUL inside
// a value would otherwise turn the rest of that value into commands.
int security(const Argumanlar& a) {
    if (a.size() == 1 && a[0] == "-i") {
        std::string metin = girdi();
        if (metin.find('\0') != std::string::npos) return hata("security: the input holds a NUL; nothing was run.", 1);
        std::vector<Argumanlar> komutlar;
        std::istringstream girdiAkisi(metin);
        std::string satir;
        for (int no = 1; std::getline(girdiAkisi, satir); ++no) {
            auto k = komutSatiri(satir);
            if (!k) return hata("security: line " + std::to_string(no) + " ends inside quotes; nothing was run.", 1);
            if (!k->empty()) komutlar.push_back(std::move(*k));
        }
        int kod = 0;
        for (const auto& k : komutlar)
            if (int r = calistir(k); r != 0) kod = r;
        return kod;
    }
    return calistir(a);
}

}  // namespace Yardimci
