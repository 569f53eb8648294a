#include "sync/caldav.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace krav::sync {
namespace {

constexpr const char* kDav = "DAV:";

bool Is(const xmlNode* n, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
         std::strcmp(reinterpret_cast<const char*>(n->ns->href), kDav) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

const xmlNode* Child(const xmlNode* n, const char* name) {
  for (const xmlNode* c = n ? n->children : nullptr; c; c = c->next)
    if (Is(c, name)) return c;
  return nullptr;
}

std::string Text(const xmlNode* n) {
  if (!n) return {};
  xmlChar* t = xmlNodeGetContent(n);
  std::string s = t ? reinterpret_cast<const char*>(t) : "";
  xmlFree(t);
  const auto notBlank = [](unsigned char c) { return c > ' '; };
  s.erase(s.begin(), std::find_if(s.begin(), s.end(), notBlank));
  s.erase(std::find_if(s.rbegin(), s.rend(), notBlank).base(), s.end());
  return s;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

std::string PathOf(const std::string& href) {
  const std::size_t scheme = href.find("://");
  if (scheme == std::string::npos) return href;
  const std::size_t path = href.find('/', scheme + 3);
  return path == std::string::npos ? "/" : href.substr(path);
}

bool ParseMultistatus(const std::string& xml, Multistatus& out) {
  out = Multistatus();
  xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "multistatus.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return false;
  const xmlNode* root = xmlDocGetRootElement(doc);
  const bool ok = Is(root, "multistatus");
  if (ok) out.syncToken = Text(Child(root, "sync-token"));
  for (const xmlNode* r = ok ? root->children : nullptr; r; r = r->next) {
    if (!Is(r, "response")) continue;
    RemoteItem item;
    item.href = PathOf(Text(Child(r, "href")));
    if (item.href.empty()) continue;
    // A response's own status, not a property's: the item is gone.
    if (Text(Child(r, "status")).find(" 404") != std::string::npos) {
      out.removed.push_back(item.href);
      continue;
    }
    bool collection = false, found = false;
    std::string token;
    for (const xmlNode* ps = r->children; ps; ps = ps->next) {
      if (!Is(ps, "propstat")) continue;
      if (Text(Child(ps, "status")).find(" 200") == std::string::npos) continue;
      const xmlNode* prop = Child(ps, "prop");
      if (const xmlNode* etag = Child(prop, "getetag")) {
        item.etag = Text(etag);
        found = true;
      }
      if (const xmlNode* type = Child(prop, "resourcetype"); type && Child(type, "collection")) collection = true;
      if (const xmlNode* t = Child(prop, "sync-token")) token = Text(t);
    }
    if (collection) {
      if (out.syncToken.empty()) out.syncToken = token;
    } else if (found) {
      out.items.push_back(std::move(item));
    }
  }
  xmlFreeDoc(doc);
  return ok;
}

bool ParseMultistatus(const std::string& xml, std::vector<RemoteItem>& items) {
  Multistatus m;
  const bool ok = ParseMultistatus(xml, m);
  items = std::move(m.items);
  return ok;
}

CalendarCollection::CalendarCollection(HttpClient& http, std::string url) : http_(http), url_(std::move(url)) {
  if (url_.empty() || url_.back() != '/') url_ += '/';
  path_ = Trimmed(PathOf(url_));
}

std::string CalendarCollection::hrefFor(const std::string& uid) const {
  // Only letters, digits and "-_." in the name, so that the server lists it
  // as it was written.
  std::string name;
  for (const unsigned char c : uid) name += std::isalnum(c) || c == '-' || c == '.' ? static_cast<char>(c) : '_';
  return PathOf(url_) + name + ".ics";
}

bool CalendarCollection::list(std::vector<RemoteItem>& items, std::string& error, std::string* syncToken) {
  static const std::string kBody =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
      "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:resourcetype/><d:sync-token/></d:prop></d:propfind>";
  const HttpResponse r =
      http_.request("PROPFIND", url_, {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}}, kBody);
  if (r.status == 0) {
    error = "сервер недоступен: " + r.error;
    return false;
  }
  if (r.status != 207) {
    error = r.status == 401   ? "сервер не принял имя и пароль (401)"
            : r.status == 403 ? "у этого имени нет доступа к календарю (403)"
            : r.status == 404 ? "по этому адресу нет календаря (404)"
                              : "сервер ответил " + std::to_string(r.status) + " на список событий календаря";
    return false;
  }
  Multistatus m;
  if (!ParseMultistatus(r.body, m)) {
    error = "ответ сервера на список событий — не WebDAV multistatus";
    return false;
  }
  items.clear();
  for (auto& i : m.items)
    if (Trimmed(i.href) != path_) items.push_back(std::move(i));
  if (syncToken) *syncToken = m.syncToken;
  return true;
}

CalendarCollection::Since CalendarCollection::changes(const std::string& token, std::vector<RemoteItem>& written,
                                                      std::vector<std::string>& removed, std::string& newToken,
                                                      std::string& error) {
  std::string escaped;
  for (const char c : token) {
    if (c == '&') escaped += "&amp;";
    else if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else escaped += c;
  }
  const std::string body =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" + escaped +
      "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
  const HttpResponse r =
      http_.request("REPORT", url_, {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}}, body);
  if (r.status == 0) {
    error = "сервер недоступен: " + r.error;
    return Since::Failed;
  }
  Multistatus m;
  if (r.status != 207 || !ParseMultistatus(r.body, m) || m.syncToken.empty()) return Since::Unsupported;
  written.clear();
  removed.clear();
  for (auto& i : m.items)
    if (Trimmed(i.href) != path_) written.push_back(std::move(i));
  for (auto& h : m.removed)
    if (Trimmed(h) != path_) removed.push_back(std::move(h));
  newToken = m.syncToken;
  return Since::Done;
}

Outcome CalendarCollection::get(const std::string& href, std::string& body, std::string& etag,
                                std::string& error) {
  const HttpResponse r = http_.request("GET", ResolveUrl(url_, href), {});
  if (r.status == 404 || r.status == 410) return Outcome::Gone;
  if (r.status != 200) {
    error = r.status ? "сервер ответил " + std::to_string(r.status) + " на чтение " + href
                     : "сервер недоступен: " + r.error;
    return Outcome::Failed;
  }
  body = r.body;
  etag = r.etag;
  return Outcome::Done;
}

Outcome CalendarCollection::put(const std::string& href, const std::string& ics, const std::string& ifMatch,
                                std::string& etag, std::string& error) {
  std::map<std::string, std::string> headers{{"Content-Type", "text/calendar; charset=utf-8"}};
  if (ifMatch.empty()) headers["If-None-Match"] = "*";
  else headers["If-Match"] = ifMatch;
  const HttpResponse r = http_.request("PUT", ResolveUrl(url_, href), headers, ics);
  if (r.status == 412) return Outcome::Changed;
  if (r.status != 200 && r.status != 201 && r.status != 204) {
    error = r.status ? "сервер ответил " + std::to_string(r.status) + " на запись " + href + ": " +
                           r.body.substr(0, 200)
                     : "сервер недоступен: " + r.error;
    return Outcome::Failed;
  }
  etag = r.etag;
  if (etag.empty()) {
    // A server that sends no ETag with the write: asked for it.
    std::string body;
    if (get(href, body, etag, error) != Outcome::Done) return Outcome::Failed;
  }
  return Outcome::Done;
}

Outcome CalendarCollection::remove(const std::string& href, const std::string& ifMatch, std::string& error) {
  const HttpResponse r = http_.request("DELETE", ResolveUrl(url_, href), {{"If-Match", ifMatch}});
  if (r.status == 412) return Outcome::Changed;
  if (r.status == 404 || r.status == 410) return Outcome::Gone;
  if (r.status != 200 && r.status != 204) {
    error = r.status ? "сервер ответил " + std::to_string(r.status) + " на удаление " + href
                     : "сервер недоступен: " + r.error;
    return Outcome::Failed;
  }
  return Outcome::Done;
}

}  // namespace krav::sync
