#include "app/Terminal.hpp"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <iostream>
#include <set>

#include "backup/Baslik.hpp"
#include "backup/Degisiklik.hpp"
#include "backup/Durum.hpp"
#include "backup/Karar.hpp"
#include "core/Dosya.hpp"
#include "core/Yerel.hpp"
#include "temel/Metin.hpp"

namespace {

std::string sure(double saniye) {
    long long s = std::llround(saniye);
    char b[48];
    std::snprintf(b, sizeof b, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return b;
}

void yaz(const std::string& metin) { std::cerr << metin << std::flush; }

// Speed from the byte counts of the last five seconds, as the window measures it.
struct HizOlcer {
    std::deque<std::pair<Saat::Zaman, double>> ornekler;
    std::optional<double> ekle(Saat::Zaman su, double bayt) {
        ornekler.emplace_back(su, bayt);
        while (ornekler.size() > 2 && su - ornekler[1].first >= std::chrono::seconds(5)) ornekler.pop_front();
        double sn = std::chrono::duration<double>(su - ornekler.front().first).count();
        if (sn < 1) return std::nullopt;
        return std::max(0.0, (bayt - ornekler.front().second) / sn);
    }
};

bool varMi(const std::string& yol) {
    std::error_code ec;
    return std::filesystem::exists(yol, ec);
}

// The answer typed: "y", "e", "n", or the numbers of deleted files to bring
// back before backing up. Nothing when it is none of these.
std::optional<Karar> cevap(const std::string& satir, const Ozet& ozet) {
    std::string s = Metin::kirp(satir);
    if (s == "y" || s == "Y") return Karar{"yedekle", {}};
    if (s == "e" || s == "E") return Karar{"cikar", {}};
    if (s == "n" || s == "N") return Karar{"iptal", {}};
    std::set<int> sec;
    for (const auto& parca : Metin::bol(s, ',', true)) {
        auto n = Metin::sayi(Metin::kirp(parca));
        bool var = n && std::any_of(ozet.silinen.begin(), ozet.silinen.end(), [&](auto& d) { return d.i == *n; });
        if (!var) return std::nullopt;
        sec.insert(static_cast<int>(*n));
    }
    if (sec.empty()) return std::nullopt;
    return Karar{"yedekle", {sec.begin(), sec.end()}};
}

// Written aside and linked into place: whole, and never over an answer the
// window wrote first.
bool kararYaz(const Karar& karar) {
    std::string gecici = Yedekleme::kararYolu() + ".terminal-" + std::to_string(::getpid());
    try {
        jsonYaz(karar, gecici);
    } catch (const std::exception&) {
        return false;
    }
    bool yazildi = ::link(gecici.c_str(), Yedekleme::kararYolu().c_str()) == 0;
    ::unlink(gecici.c_str());
    return yazildi;
}

// Why the terminal no longer asks: the window answered, or the run stopped
// waiting. Nothing while the question is open.
std::optional<std::string> soruKapandi() {
    if (varMi(Yedekleme::kararYolu())) return Yerel::metin("Answered in the window.");
    if (Yedekleme::asamaOku().asama != "soru") return Yerel::metin("The question is closed.");
    return std::nullopt;
}

}  // namespace

TerminalIzleyici::TerminalIzleyici() {
    if (::isatty(STDERR_FILENO)) is_ = std::thread([this] { izle(); });
}

TerminalIzleyici::~TerminalIzleyici() {
    if (!is_.joinable()) return;
    dur_ = true;
    is_.join();
    if (cizildi_) yaz("\n");
}

void TerminalIzleyici::ciz(const std::string& satir) {
    yaz("\r\033[K" + satir);
    cizildi_ = true;
}

void TerminalIzleyici::izle() {
    // The run's stop signals belong to its own waiting thread.
    sigset_t kume;
    sigemptyset(&kume);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&kume, s);
    pthread_sigmask(SIG_BLOCK, &kume, nullptr);

    Ayarlar ayarlar = Ayarlar::yukle();
    HizOlcer hiz;
    bool soruldu = false;
    for (; !dur_; Saat::bekle(0.5)) {
        // Only our own run: another one holding the lock makes this one end at once.
        if (Yedekleme::calisanPid() != ::getpid()) continue;
        auto asama = Yedekleme::asamaOku().asama;
        if (asama == "soru" && !soruldu && ::isatty(STDIN_FILENO) && !varMi(Yedekleme::kararYolu())) {
            soruldu = true;
            sor();
            continue;
        }
        // Idle or done: the run's own messages say the rest.
        if (asama == "bosta") continue;
        Anlik a = Yedekleme::anlik(ayarlar);
        std::string satir = Yedekleme::baslik(a);
        if (a.asama == "esitleme") {
            satir += "  " + std::to_string(static_cast<int>(Yedekleme::oran(a) * 100)) + "%  " + bayt(a.bitenBayt) +
                     " / " + bayt(a.toplamBayt);
            if (auto h = hiz.ekle(Saat::simdi(), a.bitenBayt); h && *h > 0)
                satir += "  " + bayt(*h) + "/s  " + sure((a.toplamBayt - a.bitenBayt) / *h);
        }
        if (!satir.empty()) ciz(satir);
    }
}

void TerminalIzleyici::sor() {
    if (cizildi_) yaz("\n");
    cizildi_ = false;
    Ozet ozet = jsonOku<Ozet>(Yedekleme::ozetYolu()).value_or(Ozet{});
    std::string metin = Yerel::metin("Back up now?") + "\n" +
                        Yerel::bicim("New: %d, changed: %d, deleted: %d; to copy: %@",
                                     {std::to_string(ozet.yeni), std::to_string(ozet.degisen),
                                      std::to_string(ozet.silinen.size()), bayt(ozet.aktarilacakBayt)}) +
                        "\n";
    for (const auto& d : ozet.silinen) metin += "  " + std::to_string(d.i) + "  " + d.yol + "  (" + bayt(d.boy) + ")\n";
    std::string secenekler = Yerel::metin("Back Up") + " [y]";
    if (!ozet.silinen.empty()) secenekler += ", " + Yerel::bicim("Restore %d and Back Up", {"N,M"}) + " [N,M]";
    secenekler += ", " + Yerel::metin("Eject Disk") + " [e], " + Yerel::metin("Not Now") + " [n]: ";
    yaz(metin + secenekler);

    std::string tampon;
    while (!dur_) {
        if (auto neden = soruKapandi()) {
            yaz("\n" + *neden + "\n");
            return;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 250) <= 0) continue;
        char b[256];
        ssize_t n = ::read(STDIN_FILENO, b, sizeof b);
        if (n <= 0) {  // the end of the input: the window still can answer
            yaz("\n");
            return;
        }
        tampon.append(b, static_cast<size_t>(n));
        for (size_t son; (son = tampon.find('\n')) != std::string::npos;) {
            std::string satir = tampon.substr(0, son);
            tampon.erase(0, son + 1);
            auto karar = cevap(satir, ozet);
            if (!karar) {
                std::string yanlis = Metin::kirp(satir);
                yaz((yanlis.empty() ? "" : Yerel::bicim("Not understood: “%@”.", {yanlis}) + " ") + secenekler);
                continue;
            }
            if (!kararYaz(*karar)) yaz(soruKapandi().value_or("") + "\n");
            return;
        }
    }
}
