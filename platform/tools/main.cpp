// One program for all stand-ins: it acts as the tool it was started as.
#include <filesystem>

#include "platform/tools/Yardimci.hpp"

int main(int argc, char** argv) {
    std::string ad = std::filesystem::path(argc > 0 ? argv[0] : "").filename().string();
    Yardimci::Argumanlar args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (ad == "hdiutil") return Yardimci::hdiutil(args);
    if (ad == "diskutil") return Yardimci::diskutil(args);
    if (ad == "security") return Yardimci::security(args);
    if (ad == "ditto") return Yardimci::ditto(args);
    if (ad == "osascript") return Yardimci::osascript(args);
    if (ad == "open") return Yardimci::open(args);
    if (ad == "launchctl") return Yardimci::launchctl(args);
    return Yardimci::hata(ad + ": unknown tool name; run this program as hdiutil, diskutil, security, ditto, osascript, open or launchctl", 64);
}
