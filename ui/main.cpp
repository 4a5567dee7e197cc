#include "app/Giris.hpp"
#include "app/Komutlar.hpp"
#include "ui/Ikon.hpp"
#include "ui/Pencereler.hpp"

int main(int argc, char** argv) {
    // The command line's one drawing needs the window layer.
    Komutlar::isleyiciKur("--ikon", Ikon::komut);
    return Giris::main(argc, argv, Pencereler::calistir);
}
