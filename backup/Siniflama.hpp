#pragma once
// Turns the copy pass's status and the copy tool's error text into the
// result the user reads.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backup/YedekSonucu.hpp"

namespace Siniflama {

// The affected names of the error lines, grouped by kind. The tool's closing
// summary lines name no file.
std::map<HataTuru, std::vector<std::string>> sinifla(const std::string& hata);

// `kod` is the pass status, `hata` the pass's error text, `sure` the elapsed
// time already formatted, `aktarilan` the bytes sent, `dosya` files copied.
YedekSonucu esitlemeSonucu(int kod, const std::string& hata, const std::string& sure, double aktarilan, int64_t dosya);

YedekSonucu yerYok(const std::string& teknik);

// After the copy pass: keeps the error text as son-hatalar.txt, saves the
// result, logs the skipped files and, when the copy was not completed, the
// title and the tail of the error text. Returns the notification text.
std::string kaydet(const YedekSonucu& sonuc, int kod, const std::string& hata, bool tamamlandi);

}  // namespace Siniflama

namespace Yedekleme {

// The vanished files when every error line is about a vanished file;
// nothing when there is a real error or no vanished file at all.
std::optional<std::vector<std::string>> kaybolanlar(const std::string& hata);

}  // namespace Yedekleme
