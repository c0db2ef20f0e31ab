#include "platform/http_polite.h"

#include "platform/http.h"
#include "platform/sjis.h"

std::string UrlHost(std::string_view url) {
  size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) {
    url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    size_t user = url.rfind('@');
    if (user != std::string_view::npos) url.remove_prefix(user + 1);
  }
  std::string host;
  for (char c : url) host += AsciiLower(c);
  return host;
}

#ifndef VELKORA_VERSION
#error "VELKORA_VERSION is set by platform/CMakeLists.txt"
#endif
const char kUserAgent[] = "Velkora/" VELKORA_VERSION;
