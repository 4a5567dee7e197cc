#include "store/KopyaBilgisi.hpp"

#include "core/Json.hpp"
#include "store/Kopyalar.hpp"

Saat::Zaman KopyaBilgisi::tarih() const { return Kopyalar::tarih(ad).value_or(Saat::Zaman::min()); }

namespace {

const auto kAlanlar = std::tuple{Json::alan("ad", &KopyaBilgisi::ad),
                                 Json::alan("aktarilan", &KopyaBilgisi::aktarilan),
                                 Json::alan("kopyalanan", &KopyaBilgisi::kopyalanan),
                                 Json::alan("yeni", &KopyaBilgisi::yeni),
                                 Json::alan("degisen", &KopyaBilgisi::degisen),
                                 Json::alan("silinen", &KopyaBilgisi::silinen),
                                 Json::alan("silinenBayt", &KopyaBilgisi::silinenBayt),
                                 Json::alan("sure", &KopyaBilgisi::sure),
                                 Json::alan("toplamBoyut", &KopyaBilgisi::toplamBoyut),
                                 Json::alan("dosyaSayisi", &KopyaBilgisi::dosyaSayisi),
                                 Json::alan("kaynaklar", &KopyaBilgisi::kaynaklar)};

}  // namespace

void to_json(nlohmann::json& j, const KopyaBilgisi& b) { Json::yaz(j, b, kAlanlar); }
void from_json(const nlohmann::json& j, KopyaBilgisi& b) { Json::oku(j, b, kAlanlar); }
