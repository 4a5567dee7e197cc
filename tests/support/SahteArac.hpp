#pragma once
// A fake tool for BRIMVALE_ARACLAR: records each call's arguments (and, when
// asked, its standard input) and answers with a given output and status.
#include <string>
#include <vector>

struct Cagri {
    std::vector<std::string> args;
    std::string girdi;
};

class SahteArac {
public:
    // Writes the program `ad` into `klasor`, answering "" with status 0.
    SahteArac(std::string klasor, std::string ad);

    SahteArac& cevap(const std::string& cikti, int kod = 0);
    // The first `n` calls answer this instead.
    SahteArac& ilkHatalar(int n, const std::string& cikti, int kod);
    // Record standard input (only for tools that are given one).
    SahteArac& girdiKaydet(bool kaydet = true);
    // Shell text run before answering; "$@" holds the arguments.
    SahteArac& betik(const std::string& sh);

    std::vector<Cagri> cagrilar() const;
    std::string yol() const { return klasor_ + "/" + ad_; }

private:
    void yaz() const;
    std::string klasor_, ad_, kayit_;
    std::string cikti_, hataCikti_, betik_;
    int kod_ = 0, hataKod_ = 0, hataSayisi_ = 0;
    bool girdi_ = false;
};
