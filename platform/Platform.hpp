#pragma once
// Framework-level calls that are not tools. One implementation per platform;
// the Linux one lives in platform/linux/.
#include <string>

namespace Platform {

// Absolute path of the running executable, links resolved.
std::string calistirilabilir();
// The user's home folder ($HOME, else the account database).
std::string evDizini();
// The user's login name.
std::string kullaniciAdi();
// The computer's name as people see it; empty when there is none.
std::string bilgisayarAdi();
// Moves a file or folder to the user's Trash; throws std::runtime_error with
// the system's text when it cannot.
void copeTasi(const std::string& yol);

}  // namespace Platform
