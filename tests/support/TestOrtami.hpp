#pragma once
#include <sys/types.h>
// Every test process runs in a private world: its own state directory, home,
// tool folder and Trash, and no notifications. After each test the world is
// made as new again (its folders emptied, the environment restored), so the
// tests of one program can also run together in one process, in any order.
#include <sys/stat.h>

#include <string>
#include <vector>

namespace TestOrtami {

std::string kok();      // the private root folder of this test process
std::string araclar();  // BRIMVALE_ARACLAR: fake tools go here
std::string ev();       // HOME

// Writes a file, creating its folder.
void dosyaYaz(const std::string& yol, const std::string& icerik);
// The built executable inside the application bundle.
std::string calistirilabilir();

// What the built program printed: standard output and error apart.
struct Cikti {
    int kod;
    std::string cikti, hata;
    bool operator==(const Cikti&) const = default;
};
// Runs the built program with `args` and `girdi` on its standard input.
Cikti calistir(const std::vector<std::string>& args, const std::string& girdi = "");
// The built program started with `args` in a process group of its own
// (standard input from /dev/null), so that a test can kill it together
// with its tools, as a crash would. Returns at once.
pid_t baslat(const std::vector<std::string>& args);
// Waits for `pid`: its exit status, or 128 + the signal that ended it.
int bitis(pid_t pid);
// The log as it stands ("" when there is none).
std::string gunluk();
// lstat of `yol`; a failure fails the test.
struct stat durum(const std::string& yol);
// Whether `metin` names another desktop's things, in English or Turkish.
bool yabanciSozcukVar(const std::string& metin);

}  // namespace TestOrtami
