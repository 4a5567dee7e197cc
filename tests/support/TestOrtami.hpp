#pragma once
// Every test process runs in a private world: its own state directory, home,
// tool folder and Trash, and no notifications.
#include <string>

namespace TestOrtami {

std::string kok();      // the private root folder of this test process
std::string araclar();  // BRIMVALE_ARACLAR: fake tools go here
std::string ev();       // HOME

// Writes a file, creating its folder.
void dosyaYaz(const std::string& yol, const std::string& icerik);
// The built executable inside the application bundle.
std::string calistirilabilir();

}  // namespace TestOrtami
