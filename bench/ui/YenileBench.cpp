// What one refresh of the window application costs with a 100 MB log and
// 1,000 copies: the measurement on the worker thread (the status read from
// the state files, the log from its end) against reading the whole log as
// before, and on the main thread the views' update; and re-listing the
// 1,000 copies when asked for (a refresh lists them on the worker, and only
// when the image's state changes). 20 passes each, interleaved; min /
// median / max in milliseconds.
// Usage: QT_QPA_PLATFORM=offscreen bench_yenile
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "backup/Durum.hpp"
#include "core/Yol.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/Model.hpp"

namespace fs = std::filesystem;

namespace {

double ms(const std::function<void()>& is) {
    auto bas = std::chrono::steady_clock::now();
    is();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - bas).count();
}

void yaz(const char* ad, std::vector<double> t) {
    std::sort(t.begin(), t.end());
    std::printf("%-44s min %8.2f  median %8.2f  max %8.2f ms\n", ad, t.front(), t[t.size() / 2], t.back());
}

}  // namespace

int main(int argc, char** argv) {
    std::string kok = (fs::temp_directory_path() / ("bench-yenile-" + std::to_string(::getpid()))).string();
    ::setenv("BRIMVALE_DURUM", (kok + "/durum").c_str(), 1);
    ::setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fs::create_directories(kok + "/durum");
    {
        std::ofstream g(Yol::gunluk());
        std::string satir = "2026-12-07 10:00:00 a line of the log as the engine writes it, of ordinary length\n";
        for (size_t n = 0; n < 100u * 1000 * 1000; n += satir.size()) g << satir;
    }
    for (int i = 0; i < 1000; ++i) {
        char ad[32];
        std::snprintf(ad, sizeof ad, "2024-%02d-%02d_%02d0000", i / 300 + 1, i / 12 % 28 + 1, i % 24);
        fs::create_directories(Yol::yedekler() + "/" + ad);
    }
    std::printf("log %.0f MB, %zu copies\n", fs::file_size(Yol::gunluk()) / 1e6,
                static_cast<size_t>(std::distance(fs::directory_iterator(Yol::yedekler()), {})));

    QApplication uygulama(argc, argv);
    Model m;
    AnaPencere p(m);
    p.show();
    Ayarlar ayarlar;
    std::vector<double> olcum, butun, gorunum, liste;
    for (int i = 0; i < 20; ++i) {
        olcum.push_back(ms([&] { (void)Yedekleme::anlik(ayarlar); }));
        butun.push_back(ms([&] { (void)Metin::bol(oku(Yol::gunluk()).value_or(""), '\n', true); }));
        gorunum.push_back(ms([&] { emit m.degisti(); }));
        liste.push_back(ms([&] {
            m.kopyalar.clear();
            m.kopyalarYenile();
        }));
    }
    yaz("worker: status snapshot (log read from end)", olcum);
    yaz("  before: the whole log read and split", butun);
    yaz("main thread: views updated", gorunum);
    yaz("kopyalarYenile (asked for; refreshes list on the worker)", liste);
    std::error_code ec;
    fs::remove_all(kok, ec);
    return 0;
}
