#include "app/Giris.hpp"

#include <iostream>
#include <string>
#include <vector>

#include "app/Komutlar.hpp"
#include "core/Yerel.hpp"

namespace Giris {

int main(int argc, char** argv, const std::function<int(int, char**)>& pencereler) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!args.empty() && Komutlar::bayraklar().count(args[0])) Komutlar::calistir(args);
    if (!args.empty() && Komutlar::yardimMi(args[0])) {
        Komutlar::yardim();
        return 0;
    }
    // Only something that looks like a flag is refused; any other first
    // argument is left to the window application.
    if (!args.empty() && args[0].starts_with("-")) return Komutlar::bilinmeyen(args[0]);
    if (pencereler) return pencereler(argc, argv);
    std::cout << Yerel::metin("The window application is not available in this build.") << "\n";
    return 0;
}

}  // namespace Giris
