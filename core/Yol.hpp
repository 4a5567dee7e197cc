#pragma once
// Every fixed path of the program's per-user state.
#include <string>

namespace Yol {

std::string durum();       // the state directory
std::string ayarlar();     // settings
std::string gunluk();      // the log
std::string asama();       // stage of the running backup
std::string kilit();       // run lock (a directory)
std::string kilitPid();    // the lock holder's pid file
std::string kilitBaslangic();  // when the lock holder started, beside its pid
std::string sorulan();     // connection identity last acted on
std::string simdi();       // back-up-now request
std::string ertelendi();   // postponement record
std::string yenidenSor();  // ask-again request
std::string yoklama();     // agent start test marker
std::string sonYedek();    // time of the newest completed copy
std::string sonHatalar();  // errors of the last copy pass
std::string geriYuklemeler();
std::string gecmis();
std::string sonuc();
std::string kurtulusDmg();
std::string destek();
std::string guncelleme();  // downloaded updates and the time of the last check
std::string isKlasoru();   // work folder of a run
std::string mnt();         // mount point of the encrypted image
std::string yedekler();    // dated copies inside the image
std::string devam();       // unfinished copy inside the image
std::string ajanEtiketi(); // label of the background agent

}  // namespace Yol
