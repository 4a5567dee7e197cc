#pragma once
// What the running program knows about itself: its bundle and version.
#include <optional>
#include <string>

namespace UygulamaBilgisi {

// The bundle folder (".../Ondrak Brimvale.app") when running from one.
std::optional<std::string> paketYolu();
// CFBundleIdentifier of the running bundle.
std::optional<std::string> paketKimligi();
// The bundle's Resources folder, or the source tree's resources when not
// running from a bundle (tests).
std::string kaynaklar();
// A text of the running bundle's Info.plist; nothing without one.
std::optional<std::string> plistMetni(const std::string& anahtar);
std::string surum();  // CFBundleShortVersionString
std::string yapi();   // CFBundleVersion
// Version and build as people are shown them: "0.1.0 (1) – early version".
std::string tam();

}  // namespace UygulamaBilgisi
