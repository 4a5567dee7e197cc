#include "app/Komutlar.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/ImajAc.hpp"
#include "app/Isleyiciler.hpp"
#include "core/Json.hpp"
#include "core/Yerel.hpp"
#include "temel/Metin.hpp"

namespace Komutlar {
namespace {

enum class Imaj { serbest, gerekir };

struct Satir {
    const char* bayrak;
    size_t arguman;      // positional arguments the command needs
    Isleyici isleyici;   // nullptr while its part of the program is not built
    Imaj imaj;           // reads the image, which it expects attached
    const char* argumanlar;  // for the help, "" when none
    const char* aciklama;    // for the help, one line
};

// Short names keep each row of the table on one line.
constexpr Imaj S = Imaj::serbest, I = Imaj::gerekir;

// In the order in which the flags are tested.
std::vector<Satir>& tablo() {
    static std::vector<Satir> t = {
        {"--ajan", 0, Isleyiciler::ajan, S, "", "back up as the background agent does"},
        {"--guncelleme-dene", 0, Isleyiciler::guncellemeDene, S, "", "look for an update and install it without asking"},
        {"--destek-raporu", 0, Isleyiciler::destekRaporu, S, "", "print the support report"},
        {"--kaldir", 0, Isleyiciler::kaldir, S, "", "uninstall, keeping the application itself"},
        {"--surum", 0, Isleyiciler::surum, S, "", "print the version"},
        {"--ajan-durumu", 0, Isleyiciler::ajanDurumu, S, "", "show the background agent's state"},
        {"--ajan-kur", 0, Isleyiciler::ajanKur, S, "", "install the background agent"},
        {"--yedekle", 0, Isleyiciler::yedekle, S, "", "back up now"},
        {"--cikar", 0, Isleyiciler::cikar, S, "", "detach the image and eject the backup disk"},
        {"--ac", 0, Isleyiciler::ac, S, "[--yaz]", "attach the image (writable with --yaz) and print where"},
        {"--kapat", 0, Isleyiciler::kapat, S, "", "detach the image"},
        {"--kopya-sil", 1, Isleyiciler::kopyaSil, S, "<copy>", "delete one dated copy"},
        {"--sikistir", 0, Isleyiciler::sikistir, S, "", "compact the image"},
        {"--kurtulus-yaz", 0, Isleyiciler::kurtulusYaz, S, "", "write the recovery kit to the backup disk"},
        {"--programlar", 0, Isleyiciler::programlar, S, "", "the programs the recovery kit reinstalls, as JSON"},
        {"--ozet", 1, Isleyiciler::sha256, S, "<file>", "print a file's SHA-256 digest"},
        {"--kopyalar", 0, Isleyiciler::kopyalar, I, "", "the dated copies in the image, as JSON"},
        {"--bilgiler", 0, Isleyiciler::bilgiler, I, "", "the statistics of every copy, as JSON"},
        {"--surumler", 1, Isleyiciler::surumler, I, "<path>", "the versions of an item across the copies, as JSON"},
        {"--yerine-koy", 2, Isleyiciler::yerineKoy, I, "<copy> <path>", "restore an item of a copy in place"},
        {"--farkli-kaydet", 3, Isleyiciler::farkliKaydet, I, "<copy> <path> <folder>",
         "save an item of a copy into a folder"},
        {"--degistirilmisler", 0, Isleyiciler::degistirilmisler, S, "", "the restores in place, as JSON"},
        {"--geri-al", 1, Isleyiciler::geriAl, S, "<id>", "undo a restore in place"},
        {"--cope-at", 1, Isleyiciler::copeAt, S, "<id>", "move what a restore in place kept aside to the Trash"},
        {"--gfs", 1, Isleyiciler::gfs, S, "<h,d,w,m,y>",
         "of the copy names on standard input, print those the retention keeps"},
        {"--ikon", 1, nullptr, S, "<folder>", "draw the application icon into PNG files"},
        {"--baglanti", 0, Isleyiciler::baglanti, S, "", "show the backup disk's connection, speed and serial"},
        {"--izinler", 0, Isleyiciler::izinler, S, "", "show the permissions the program has"},
        {"--hata-sinifla", 1, Isleyiciler::hataSinifla, S, "<file>",
         "tell vanished files from real errors in a copy error text"},
    };
    return t;
}

// Characters, not bytes, so that translated columns line up.
size_t genislik(const std::string& s) {
    return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

[[noreturn]] void bitir(int kod) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::exit(kod);
}

}  // namespace

const std::string& Istek::arg(size_t i) const {
    if (i < args.size()) return args[i];
    std::cerr << "missing argument\n";
    throw Cikis{64};
}

const std::set<std::string>& bayraklar() {
    static const std::set<std::string> s = [] {
        std::set<std::string> b;
        for (const auto& satir : tablo()) b.insert(satir.bayrak);
        return b;
    }();
    return s;
}

void isleyiciKur(const std::string& bayrak, Isleyici isleyici) {
    for (auto& satir : tablo())
        if (bayrak == satir.bayrak) satir.isleyici = isleyici;
}

int yurut(const std::vector<std::string>& args) {
    try {
        Istek istek{args, Ayarlar::yukle()};
        for (const auto& satir : tablo()) {
            if (args.empty() || args[0] != satir.bayrak) continue;
            if (satir.arguman > 0) istek.arg(satir.arguman);
            if (satir.imaj == Imaj::gerekir) imajBagliOlmali();
            return satir.isleyici ? satir.isleyici(istek) : 64;
        }
        return 64;
    } catch (const Cikis& c) {
        return c.kod;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

void calistir(const std::vector<std::string>& args) { bitir(yurut(args)); }

bool yardimMi(const std::string& arg) { return arg == "--help" || arg == "-h"; }

void yardim() {
    std::vector<std::pair<std::string, std::string>> satirlar;
    for (const auto& satir : tablo()) {
        std::string sol = satir.bayrak;
        if (*satir.argumanlar) sol += " " + Yerel::metin(satir.argumanlar);
        satirlar.emplace_back(sol, Yerel::metin(satir.aciklama));
    }
    satirlar.emplace_back("-h, --help", Yerel::metin("show this help"));
    size_t en = 0;
    for (const auto& [sol, sag] : satirlar) en = std::max(en, genislik(sol));
    yaz(Yerel::metin("Usage: Brimvale <flag> [arguments]; without a flag the window application starts."));
    yaz("");
    for (const auto& [sol, sag] : satirlar) yaz("  " + sol + std::string(en - genislik(sol) + 2, ' ') + sag);
}

int bilinmeyen(const std::string& bayrak) {
    std::cerr << Yerel::bicim("unknown flag %@; --help lists them", {bayrak}) << "\n";
    return 64;
}

void hata(const std::exception& e) {
    std::cerr << e.what() << "\n";
    throw Cikis{1};
}

void json(const nlohmann::json& deger) {
    std::string metin;
    try {
        metin = Metin::utf8Onar(Json::metin(deger, false));
    } catch (const std::exception&) {
        metin.clear();
    }
    std::cout << metin << "\n";
}

void yaz(const std::string& satir) { std::cout << satir << "\n"; }

}  // namespace Komutlar
