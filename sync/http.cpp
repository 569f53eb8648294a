#include "sync/http.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace krav::sync {
namespace {

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

std::size_t Header(char* data, std::size_t size, std::size_t count, void* target) {
  const std::string line(data, size * count);
  const std::size_t colon = line.find(':');
  if (colon != std::string::npos) {
    std::string name = line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name == "etag") {
      std::string value = line.substr(colon + 1);
      const auto notBlank = [](unsigned char c) { return !std::isspace(c); };
      value.erase(value.begin(), std::find_if(value.begin(), value.end(), notBlank));
      value.erase(std::find_if(value.rbegin(), value.rend(), notBlank).base(), value.end());
      *static_cast<std::string*>(target) = value;
    }
  }
  return size * count;
}

// scheme://host[:port]/path split at the path.
struct UrlParts {
  std::string scheme, host, origin, path;
};

UrlParts Split(const std::string& url) {
  UrlParts p;
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos) return p;
  p.scheme = url.substr(0, schemeEnd);
  std::transform(p.scheme.begin(), p.scheme.end(), p.scheme.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  const std::size_t hostStart = schemeEnd + 3;
  const std::size_t pathStart = std::min(url.find('/', hostStart), url.size());
  p.origin = url.substr(0, pathStart);
  p.path = pathStart < url.size() ? url.substr(pathStart) : "/";
  std::string authority = url.substr(hostStart, pathStart - hostStart);
  if (const std::size_t at = authority.rfind('@'); at != std::string::npos) authority = authority.substr(at + 1);
  if (!authority.empty() && authority[0] == '[') {
    p.host = authority.substr(1, authority.find(']') - 1);
  } else {
    p.host = authority.substr(0, authority.find(':'));
  }
  std::transform(p.host.begin(), p.host.end(), p.host.begin(), [](unsigned char c) { return std::tolower(c); });
  return p;
}

int Progress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return cancel && static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

}  // namespace

bool TransportIsSafe(const std::string& url) {
  const UrlParts p = Split(url);
  if (p.scheme == "https") return true;
  if (p.scheme != "http") return false;
  // A loopback address itself, not a name that merely begins like one.
  in_addr v4{};
  if (::inet_pton(AF_INET, p.host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  return p.host == "localhost" || p.host == "::1";
}

std::string ResolveUrl(const std::string& base, const std::string& reference) {
  if (reference.find("://") != std::string::npos) return reference;
  const UrlParts p = Split(base);
  if (!reference.empty() && reference[0] == '/') return p.origin + reference;
  const std::string dir = p.path.substr(0, p.path.rfind('/') + 1);
  return p.origin + dir + reference;
}

struct HttpClient::Handle {
  CURL* curl = nullptr;
};

HttpClient::HttpClient(std::string login, std::string password, bool allowInsecure)
    : handle_(std::make_unique<Handle>()),
      login_(std::move(login)),
      password_(std::move(password)),
      allowInsecure_(allowInsecure) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  handle_->curl = curl_easy_init();
}

HttpClient::~HttpClient() {
  if (handle_->curl) curl_easy_cleanup(handle_->curl);
}

HttpResponse HttpClient::request(const std::string& method, const std::string& url,
                                 const std::map<std::string, std::string>& headers, const std::string& body) {
  HttpResponse r;
  CURL* c = handle_->curl;
  if (!c) {
    r.error = "libcurl не запустилась";
    return r;
  }
  const UrlParts parts = Split(url);
  if (parts.scheme != "http" && parts.scheme != "https") {
    r.error = "адрес должен начинаться с http:// или https://";
    return r;
  }
  if (!login_.empty() && !allowInsecure_ && !TransportIsSafe(url)) {
    r.error =
        "пароль не отправляется открытым текстом по http на другой компьютер: нужен https "
        "(или [Sync] AllowInsecure=1)";
    return r;
  }
  if (cancel_ && cancel_->load()) {
    r.error = "прервано";
    return r;
  }
  curl_easy_reset(c);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel_));
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, method.c_str());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 15L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, 120L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  if (!login_.empty()) {
    curl_easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(c, CURLOPT_USERNAME, login_.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password_.c_str());
  }
  if (method == "HEAD") curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
  if (!body.empty() || method == "PUT" || method == "PROPFIND" || method == "REPORT") {
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  }
  curl_slist* list = nullptr;
  for (const auto& [name, value] : headers) list = curl_slist_append(list, (name + ": " + value).c_str());
  // No "Expect: 100-continue" round trip before a body.
  list = curl_slist_append(list, "Expect:");
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &r.body);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, Header);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &r.etag);
  const CURLcode code = curl_easy_perform(c);
  curl_slist_free_all(list);
  if (code != CURLE_OK) {
    r.error = curl_easy_strerror(code);
    r.body.clear();
    return r;
  }
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.status);
  return r;
}

}  // namespace krav::sync
