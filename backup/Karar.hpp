#pragma once
// The user's answer to the question after the change check, written by the
// question window as is/karar.json.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

struct Karar {
    std::string islem;     // "yedekle", "cikar"; anything else postpones
    std::vector<int> sec;  // numbers of the deleted files to bring back first

    bool operator==(const Karar&) const = default;
};

void to_json(nlohmann::json& j, const Karar& k);
// Both keys are required.
void from_json(const nlohmann::json& j, Karar& k);

namespace Yedekleme {

std::string kararYolu();

// The bundle to bring forward so the question shows: only when running from
// a bundle and never in a private state directory.
std::optional<std::string> onePaket();

// Waits up to 7200 s, polling once a second, for the answer; "iptal" on a
// stop or time-out. BRIMVALE_CEVAP and BRIMVALE_SEC answer at once.
Karar kararBekle();

}  // namespace Yedekleme
