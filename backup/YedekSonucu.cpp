#include "backup/YedekSonucu.hpp"
#include "core/Json.hpp"

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"

namespace {

double simdi() { return std::chrono::duration<double>(Saat::simdi().time_since_epoch()).count(); }

YedekSonucu yedeksiz(const std::string& tur, const std::string& baslik, const std::string& oneri) {
    return {tur, baslik, Yerel::metin("No backup was made."), Yerel::metin(oneri)};
}

// The folder's last path component; the path itself for the root.
std::string klasorAdi(const std::string& yol) {
    std::string ad = std::filesystem::path(yol).filename().string();
    if (ad.empty()) ad = std::filesystem::path(yol).parent_path().filename().string();
    return ad.empty() ? yol : ad;
}

}  // namespace

YedekSonucu::YedekSonucu(std::string tur, std::string baslik, std::string aciklama, std::optional<std::string> oneri,
                         std::vector<std::string> atlanan, std::string teknik)
    : tur(std::move(tur)),
      baslik(std::move(baslik)),
      aciklama(std::move(aciklama)),
      oneri(std::move(oneri)),
      atlanan(std::move(atlanan)),
      teknik(std::move(teknik)),
      zaman(simdi()) {}

std::string YedekSonucu::yol() { return Yol::sonuc(); }

void YedekSonucu::yaz() const { yazDene(yol(), jsonMetni(*this)); }

std::optional<YedekSonucu> YedekSonucu::oku() { return jsonOku<YedekSonucu>(yol()); }

std::string YedekSonucu::bildirim() const { return baslik + ". " + oneri.value_or(aciklama); }

YedekSonucu YedekSonucu::tamDiskErisimiYok() {
    return yedeksiz("dikkat", Yerel::metin("Full Disk Access is off"),
                    "Open Ondrak Brimvale and turn on Full Disk Access; then connect the disk again.");
}

YedekSonucu YedekSonucu::geriYuklemedeAcik() {
    return yedeksiz("dikkat", Yerel::metin("The backup is open in Restore"),
                    "Lock the backups in Restore, then back up again.");
}

YedekSonucu YedekSonucu::acilamadi() {
    return yedeksiz("sorun", Yerel::metin("The encrypted backup could not be opened"),
                    "Check that the backup password is still in the Keychain (Ondrak Brimvale > Settings).");
}

YedekSonucu YedekSonucu::kaynakYok(const std::string& kaynakYolu) {
    return yedeksiz("dikkat", Yerel::bicim("A folder to back up was not found: %@", {klasorAdi(kaynakYolu)}),
                    "Connect the drive it is on, or remove the folder in Settings > Folders.");
}

YedekSonucu YedekSonucu::yedekDiskiniIceriyor(const std::string& kaynakYolu) {
    return yedeksiz("dikkat", Yerel::bicim("A folder to back up contains the backup disk: %@", {klasorAdi(kaynakYolu)}),
                    "Remove it in Settings > Folders and choose a folder that does not contain the backup disk.");
}

YedekSonucu YedekSonucu::baslayamadi(const std::string& teknik) {
    YedekSonucu s = yedeksiz("sorun", Yerel::metin("The backup could not start"),
                             "Try again. If it happens again, the technical details help find the cause.");
    s.teknik = teknik;
    return s;
}

YedekSonucu YedekSonucu::durdu() {
    return {"bilgi", Yerel::metin("Backup stopped"),
            Yerel::metin("You stopped the backup. Files copied so far are safe; the next backup continues where it "
                         "stopped."),
            std::nullopt};
}

namespace {
const auto kAlanlar = std::tuple{Json::alan("tur", &YedekSonucu::tur),         Json::alan("baslik", &YedekSonucu::baslik),
                                 Json::alan("aciklama", &YedekSonucu::aciklama), Json::alan("oneri", &YedekSonucu::oneri),
                                 Json::alan("atlanan", &YedekSonucu::atlanan),   Json::alan("teknik", &YedekSonucu::teknik),
                                 Json::alan("zaman", &YedekSonucu::zaman)};
}  // namespace

void to_json(nlohmann::json& j, const YedekSonucu& s) { Json::yaz(j, s, kAlanlar); }
void from_json(const nlohmann::json& j, YedekSonucu& s) { Json::oku(j, s, kAlanlar); }
