#include "sync/secret.h"

#include <libsecret/secret.h>

namespace krav::sync {
namespace {

const SecretSchema* Schema() {
  static const SecretSchema schema = {"org.krav.CalendarSync",
                                      SECRET_SCHEMA_NONE,
                                      {{"url", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"login", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                      0,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr};
  return &schema;
}

}  // namespace

SecretStatus LookupSecret(const std::string& url, const std::string& login, std::string& password) {
  GError* error = nullptr;
  gchar* found =
      secret_password_lookup_sync(Schema(), nullptr, &error, "url", url.c_str(), "login", login.c_str(), nullptr);
  if (error) {
    g_error_free(error);
    return SecretStatus::NoService;
  }
  if (!found) return SecretStatus::NotFound;
  password = found;
  secret_password_free(found);
  return SecretStatus::Found;
}

SecretStatus StoreSecret(const std::string& url, const std::string& login, const std::string& password) {
  GError* error = nullptr;
  const std::string label = "Календарь " + url + (login.empty() ? "" : " (" + login + ")");
  const gboolean stored =
      secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(), nullptr,
                                 &error, "url", url.c_str(), "login", login.c_str(), nullptr);
  if (error) g_error_free(error);
  return stored ? SecretStatus::Found : SecretStatus::NoService;
}

void ClearSecret(const std::string& url, const std::string& login) {
  GError* error = nullptr;
  secret_password_clear_sync(Schema(), nullptr, &error, "url", url.c_str(), "login", login.c_str(), nullptr);
  if (error) g_error_free(error);
}

}  // namespace krav::sync
