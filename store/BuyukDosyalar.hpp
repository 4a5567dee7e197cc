#pragma once
// Large files are copied by the program itself, before the copy tool runs:
// in 8 MiB chunks through a hidden temporary name, hashed on the way, linked
// to the previous copy when only their date changed.
// In BuyukKopya.cpp (one file, the threshold) and BuyukAktarim.cpp (the pass).
#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "core/Hata.hpp"
#include "core/Sha256.hpp"

// Catalog entry: what a large file in the store held when it was transferred.
struct BuyukKayit {
    double boyut = 0;
    double mtime = 0;  // seconds since 1970 with the nanoseconds as a fraction
    std::string sha256;
    bool operator==(const BuyukKayit&) const = default;
};
void to_json(nlohmann::json& j, const BuyukKayit& k);
void from_json(const nlohmann::json& j, BuyukKayit& k);

namespace BuyukDosyalar {

using Durdu = Sha256::Durdu;

struct Aday {
    std::string rel;     // source name + "/" + path inside the source
    std::string kaynak;  // the file on the computer
    std::string hedef;   // its place in the unfinished copy
    std::optional<std::string> onceki;  // the same file in the newest copy
    bool yalnizTarih = false;           // same size, only the date differs
    double boyut = 0;
    bool operator==(const Aday&) const = default;
};

struct Aktarim {
    int64_t kopyalanan = 0;
    int64_t bagli = 0;
    double bayt = 0;
    std::optional<std::string> hata;  // rel + ": " + the error's text
    // The same error in parts, for a report that reads the same whatever the
    // names hold: the file's rel, the system's words for the failure, and
    // whether it was the file on the computer that could not be opened (else
    // the failure was on the backup side).
    std::string hataAdi, hataNedeni;
    bool kaynakta = false;
};

// BRIMVALE_BUYUK_ESIK when it parses as a number, else 1 GiB.
double esik();
std::string katalogYolu();
// <folder>/.brimvale-<name>
std::string geciciAd(const std::string& yol);
BrimvaleHatasi hataYap(const std::string& metin);

// The catalog; empty when missing or unreadable.
std::map<std::string, BuyukKayit> katalog();

// The large new or changed files of this run, from the change check's
// listings in the work folder.
std::vector<Aday> adaylar(const Ayarlar& ayarlar, const std::optional<std::string>& son);
// Removes what an interrupted run left that no longer matches its source.
void bayatlariTemizle(const std::vector<Aday>& adaylar);
// Copies or links the candidates; the first error ends the transfer and is
// returned, never thrown.
Aktarim aktar(const std::vector<Aday>& adaylar, const Durdu& durdu);

// Copies through the temporary name: flushed, given the mode and times of
// `st`, then renamed into place. The digest, or nothing when stopped (then
// neither the temporary nor the final file is left). Throws.
std::optional<std::string> kopyala(const std::string& kaynak, const std::string& hedef, const struct stat& st,
                                   const Durdu& durdu);
// Creates the folder and its missing parents (0755). Throws.
void klasorAc(const std::string& yol);
// Both exist with the same size and the same whole second of modification.
bool ayni(const std::string& yol1, const std::string& yol2);
double zaman(const struct timespec& ts);
// Access and modification times of `st`, not following a final link.
void zamaniKoy(const std::string& yol, const struct stat& st);

}  // namespace BuyukDosyalar
