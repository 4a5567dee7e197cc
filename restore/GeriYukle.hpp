#pragma once
// Getting an item back from the dated copies: its versions, its places in a
// copy and on the computer, restoring in place with undo, saving a copy
// elsewhere, and the records of the restores in place.
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "core/Hata.hpp"
#include "core/Saat.hpp"

// One version of an item: the run of copies that hold the same file.
struct Surum {
    std::string kopya;     // the oldest copy holding it
    std::string sonKopya;  // the newest copy holding it
    double boy = 0;
    double zaman = 0;      // modification time, whole seconds
    bool klasor = false;
    bool operator==(const Surum&) const = default;
};
void to_json(nlohmann::json& j, const Surum& s);
void from_json(const nlohmann::json& j, Surum& s);

// One restore in place.
struct GeriYukleme {
    std::string id;
    double zaman = 0;
    std::string rel;
    std::string kopya;
    std::string hedef;
    std::optional<std::string> damgali;  // the kept current item; none when nothing was there
    std::string durum;                   // "duruyor", "geri-alindi" or "cope-atildi"
    bool operator==(const GeriYukleme&) const = default;
};
void to_json(nlohmann::json& j, const GeriYukleme& g);
void from_json(const nlohmann::json& j, GeriYukleme& g);

namespace GeriYukle {

struct Hata : BrimvaleHatasi {
    enum class Tur { rafta, kopyalama, yol, yok };
    Tur tur;
    std::string ek;  // the payload of rafta and kopyalama
    Hata(Tur tur, std::string ek = "");
};

// The versions of `rel` across the copies of Yol::yedekler(), newest first.
std::vector<Surum> surumler(const std::string& rel);
// The item's path inside a copy (it need not exist); nothing when `kopya` is
// not a copy name, the path leaves the copy, or a component above the item
// inside the copy is a symbolic link (it could lead anywhere).
std::optional<std::string> kopyaYolu(const std::string& kopya, const std::string& rel);
// The copy's own folder; nothing for a name that is not a copy's or a link.
std::optional<std::string> kopyaKoku(const std::string& kopya);
// The item's path on the computer; nothing for a backed-up folder itself, an
// unknown folder name, a path that leaves the folder, or one that passes
// through a symbolic link below the backed-up folder.
std::optional<std::string> macYolu(const std::string& rel, const Ayarlar& ayarlar);

// Restores the version in place; the current item is kept aside. Throws Hata
// or the file system's error.
GeriYukleme yerineKoy(const std::string& kopya, const std::string& rel, const Ayarlar& ayarlar);
// Copies the version into `klasor`; the path written. Throws.
std::string farkliKaydet(const std::string& kopya, const std::string& rel, const std::string& klasor);

// The records file; empty when missing or unreadable.
std::vector<GeriYukleme> kayitlar();
// Writes the records file whole. Throws.
void kaydet(const std::vector<GeriYukleme>& kayitlar);
// Sets the state of the first record with `id`; an unknown id changes nothing.
void degistir(const std::string& id, const std::string& durum);
// Puts the kept item back; the restored one goes to the Trash. Throws.
void geriAl(const std::string& id);
// Moves the kept item to the Trash. Throws.
void copeAt(const std::string& id);

// The free name the current item at `yol` is kept under when replaced at `zaman`.
std::string damgaliAd(const std::string& yol, bool klasor, Saat::Zaman zaman);
// The copier: a file, or a folder merged into `hedef`. Throws Hata kopyalama.
void ditto(const std::string& kaynak, const std::string& hedef);
// Copies what exists only in `eski` into `yeni`, folder by folder. Throws.
void sonradanEklenenler(const std::string& eski, const std::string& yeni);

}  // namespace GeriYukle

template <>
struct std::hash<Surum> {
    size_t operator()(const Surum& s) const noexcept {
        return std::hash<std::string>()(s.kopya) ^ (std::hash<std::string>()(s.sonKopya) << 1) ^
               std::hash<double>()(s.zaman) ^ std::hash<double>()(s.boy) ^ s.klasor;
    }
};
template <>
struct std::hash<GeriYukleme> {
    size_t operator()(const GeriYukleme& g) const noexcept {
        return std::hash<std::string>()(g.id) ^ (std::hash<std::string>()(g.durum) << 1);
    }
};
