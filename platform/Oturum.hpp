#pragma once
// The user's desktop session: notifications and keeping the machine awake.
#include <memory>
#include <string>

#include "temel/Dosya.hpp"

namespace Platform {

// Posts a notification through the desktop notification service; false when
// there is no session bus or no answer within `sureSn` seconds.
bool masaustuBildirimi(const std::string& baslik, const std::string& metin, double sureSn);
// Whether a desktop notification service answers within `sureSn` seconds.
bool bildirimServisiVar(double sureSn);

// Holds the machine out of sleep and idle sleep while it lives.
class UykuEngeli {
public:
    explicit UykuEngeli(int fd) : fd_(fd) {}

private:
    Fd fd_;
};

// A logind inhibitor lock ("sleep:idle") named `ad`; nullptr where logind is
// not there.
std::unique_ptr<UykuEngeli> uykuyuEngelle(const std::string& ad, const std::string& neden);

}  // namespace Platform
