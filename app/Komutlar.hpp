#pragma once
// The command-line dispatcher: one flag, one command, one exit status.
#include <exception>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"

namespace Komutlar {

// Ends a command with an exit status; thrown so that what the command holds
// is released on the way out.
struct Cikis {
    int kod;
};

// What a command gets: the arguments (element 0 is the flag) and the settings.
struct Istek {
    std::vector<std::string> args;
    Ayarlar ayarlar;
    // args[i], or "missing argument" on standard error and exit 64.
    const std::string& arg(size_t i) const;
};

using Isleyici = int (*)(Istek&);

// A handler from a layer above the command line (the windows draw the icon).
void isleyiciKur(const std::string& bayrak, Isleyici isleyici);
// The flags of the command table; the help switches are not among them.
const std::set<std::string>& bayraklar();
// "--help" or "-h".
bool yardimMi(const std::string& arg);
// Every flag with its arguments and what it does, on standard output.
void yardim();
// Says on standard error that `bayrak` is no flag; the exit status, 64.
int bilinmeyen(const std::string& bayrak);

// Runs the command named by args[0] and ends the process.
[[noreturn]] void calistir(const std::vector<std::string>& args);
// The command's status without ending the process.
int yurut(const std::vector<std::string>& args);

// The error's text on standard error, exit 1.
[[noreturn]] void hata(const std::exception& e);
// Pretty, sorted, "/" unescaped, one line break; an empty line when the
// value cannot be encoded.
void json(const nlohmann::json& deger);
// One line on standard output.
void yaz(const std::string& satir);

}  // namespace Komutlar
