#pragma once
// The outcome of a run as the user reads it: saved as sonuc.json for the
// window's result card, the wrap-up and the final notification.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// The kind of one error line, in the order the results check them.
enum class HataTuru { kaybolan, izin, disk, yer, bilinmeyen };

struct YedekSonucu {
    std::string tur;  // "tamam", "bilgi", "dikkat" or "sorun"
    std::string baslik;
    std::string aciklama;
    std::optional<std::string> oneri;
    std::vector<std::string> atlanan;  // affected files, at most 200
    std::string teknik;
    double zaman = 0;

    YedekSonucu() = default;
    // `zaman` is now.
    YedekSonucu(std::string tur, std::string baslik, std::string aciklama, std::optional<std::string> oneri,
                std::vector<std::string> atlanan = {}, std::string teknik = "");

    static std::string yol();
    // Errors are ignored: a result that cannot be saved must not end the run.
    void yaz() const;
    static std::optional<YedekSonucu> oku();

    // The title, ". " and the advice, or the explanation when there is none.
    std::string bildirim() const;

    // Results of runs that never reach the copy pass.
    static YedekSonucu tamDiskErisimiYok();
    static YedekSonucu geriYuklemedeAcik();
    static YedekSonucu acilamadi();
    static YedekSonucu kaynakYok(const std::string& kaynakYolu);
    static YedekSonucu yedekDiskiniIceriyor(const std::string& kaynakYolu);
    static YedekSonucu baslayamadi(const std::string& teknik);
    static YedekSonucu durdu();

    bool operator==(const YedekSonucu&) const = default;
};

void to_json(nlohmann::json& j, const YedekSonucu& s);
// Every key but "oneri" is required.
void from_json(const nlohmann::json& j, YedekSonucu& s);
