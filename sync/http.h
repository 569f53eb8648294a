// HTTP for the calendar synchronisation, over libcurl: one connection kept
// for a pass, certificates checked, Basic authentication sent over plain
// http only to a loopback address unless insecure transport is allowed.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>

namespace krav::sync {

struct HttpResponse {
  long status = 0;    // 0: no answer (error says why)
  std::string error;  // the transport's failure, never holding the password
  std::string etag;   // the ETag header, as sent
  std::string body;
};

class HttpClient {
 public:
  HttpClient(std::string login, std::string password, bool allowInsecure);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // headers: name to value. A refused transport (Basic authentication over
  // plain http to another host) answers status 0 with the reason.
  HttpResponse request(const std::string& method, const std::string& url,
                       const std::map<std::string, std::string>& headers, const std::string& body = {});
  // A flag that, once set, ends the request under way within a moment and
  // refuses the next ones (status 0).
  void setCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  std::string login_, password_;
  bool allowInsecure_;
  const std::atomic<bool>* cancel_ = nullptr;
};

// Whether a URL may carry the password: https, or http to a loopback address.
bool TransportIsSafe(const std::string& url);

// The URL of a reference (an absolute path or a whole URL) met at base.
std::string ResolveUrl(const std::string& base, const std::string& reference);

}  // namespace krav::sync
