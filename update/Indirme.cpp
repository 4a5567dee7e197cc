#include "update/Indirme.hpp"

#include <curl/curl.h>
#include <mutex>
#include <stdexcept>

namespace Guncelleme {
namespace {

struct Aktarim {
    std::string veri;
    unsigned long long alinan = 0, sinir = 0;
    const std::atomic<bool>* iptal = nullptr;
    const std::function<void()>* duyuldu = nullptr;
    bool fazla = false;
};

size_t yazici(char* p, size_t boyut, size_t adet, void* kullanici) {
    auto* a = static_cast<Aktarim*>(kullanici);
    size_t n = boyut * adet;
    a->alinan += n;
    if (a->alinan > a->sinir) {
        a->fazla = true;
        return 0;
    }
    a->veri.append(p, n);
    if (*a->duyuldu) (*a->duyuldu)();
    return n;
}

// libcurl calls this about once a second even while nothing arrives.
int ilerleme(void* kullanici, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Aktarim*>(kullanici)->iptal->load() ? 1 : 0;
}

void aktar(const std::string& adres, Aktarim& a) {
    if (adres.rfind("https://", 0) != 0 && adres.rfind("file://", 0) != 0)
        throw std::runtime_error("updates are only fetched over https: " + adres);
    static std::once_flag ilk;
    std::call_once(ilk, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* c = curl_easy_init();
    if (!c) throw std::runtime_error("the download could not start");
    char hata[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(c, CURLOPT_URL, adres.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https,file");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    // A transfer that stalls for a minute has failed.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(a.sinir));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Ondrak Brimvale");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, yazici);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &a);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, ilerleme);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &a);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, hata);
    CURLcode k = curl_easy_perform(c);
    curl_easy_cleanup(c);
    if (k == CURLE_OK) return;
    if (a.fazla || k == CURLE_FILESIZE_EXCEEDED) throw std::runtime_error("the download is larger than announced: " + adres);
    if (k == CURLE_ABORTED_BY_CALLBACK) throw std::runtime_error("the download was stopped");
    throw std::runtime_error(std::string(*hata ? hata : curl_easy_strerror(k)) + ": " + adres);
}

}  // namespace

std::string getir(const std::string& adres, unsigned long long sinir, const std::atomic<bool>& iptal,
                  const std::function<void()>& duyuldu) {
    Aktarim a;
    a.sinir = sinir;
    a.iptal = &iptal;
    a.duyuldu = &duyuldu;
    aktar(adres, a);
    return std::move(a.veri);
}

}  // namespace Guncelleme
