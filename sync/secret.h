// The calendar password in the desktop's Secret Service (libsecret), keyed by
// the calendar's address and the login. Where the session has no such service
// the callers keep it in "sync.pass" instead (settings.h).
#pragma once

#include <string>

namespace krav::sync {

enum class SecretStatus { Found, NotFound, NoService };

SecretStatus LookupSecret(const std::string& url, const std::string& login, std::string& password);
// NoService when the session has none (or it refused): then nothing is kept.
SecretStatus StoreSecret(const std::string& url, const std::string& login, const std::string& password);
void ClearSecret(const std::string& url, const std::string& login);

}  // namespace krav::sync
