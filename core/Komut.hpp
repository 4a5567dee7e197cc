#pragma once
// The only way the program runs a tool.
#include <optional>
#include <string>
#include <vector>

struct KomutSonucu {
    int kod = 0;         // the child's exit status; 128 + the signal that ended it; 127 when it could not start
    std::string cikti;   // captured output as UTF-8; empty when it went to a file
};

// Runs `path` with `args` (no shell) and waits for it. `girdi` goes to the
// child's standard input; without it the child shares ours. Without `cikti`
// and `hata` both streams are captured together; a named file is appended to.
KomutSonucu komut(const std::string& path, const std::vector<std::string>& args,
            const std::optional<std::string>& girdi = std::nullopt,
            const std::optional<std::string>& cikti = std::nullopt,
            const std::optional<std::string>& hata = std::nullopt);

// The program that a tool path resolves to: a program of that name in the
// folder BRIMVALE_ARACLAR first; on Linux the bundle's stand-in for a tool
// that only macOS has; else the path as given.
std::string aracYolu(const std::string& path);
