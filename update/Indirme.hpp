#pragma once
// Fetching the feed and the archive: https with the system's certificate
// checks, or a local file; never plain http.
#include <atomic>
#include <functional>
#include <string>

namespace Guncelleme {

// What `adres` holds, at most `sinir` bytes. `duyuldu` is called whenever
// bytes arrive; setting `iptal` ends the transfer within about a second.
// Throws std::runtime_error with a text for people.
std::string getir(const std::string& adres, unsigned long long sinir, const std::atomic<bool>& iptal,
                  const std::function<void()>& duyuldu = {});

}  // namespace Guncelleme
