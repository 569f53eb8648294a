// The CalDAV calls of a pass (RFC 4791 over WebDAV): a calendar's events
// with their ETags, and one event fetched, written or deleted, each write
// conditional on the ETag known.
#pragma once

#include <string>
#include <vector>

#include "sync/http.h"

namespace krav::sync {

struct RemoteItem {
  std::string href;  // the path as the server gives it
  std::string etag;
};

// How a call ended, for the pass and for the person.
enum class Outcome { Done, Changed, Gone, Failed };

class CalendarCollection {
 public:
  CalendarCollection(HttpClient& http, std::string url);

  // The calendar's event resources with their ETags (PROPFIND, depth 1), and
  // the collection's sync token when it has one. False, with error, when the
  // server could not be reached or did not answer with a listing.
  bool list(std::vector<RemoteItem>& items, std::string& error, std::string* syncToken = nullptr);

  // What changed since a sync token (the sync-collection report, RFC 6578):
  // items written, items removed, and the token to ask with next time.
  // Unsupported when the server has no such report or no longer knows the
  // token: the whole listing is then asked for.
  enum class Since { Done, Unsupported, Failed };
  Since changes(const std::string& token, std::vector<RemoteItem>& written, std::vector<std::string>& removed,
                std::string& newToken, std::string& error);
  // The event's iCalendar text and ETag: Gone on 404 or 410.
  Outcome get(const std::string& href, std::string& body, std::string& etag, std::string& error);
  // Writes an event: with ifMatch empty only when none is there
  // (If-None-Match: *), else only when it still has that ETag. Changed on 412;
  // etag receives the new ETag (fetched when the server sends none).
  Outcome put(const std::string& href, const std::string& ics, const std::string& ifMatch, std::string& etag,
              std::string& error);
  // Deletes an event that still has the ETag: Changed on 412, Gone on 404.
  Outcome remove(const std::string& href, const std::string& ifMatch, std::string& error);

  // The href of a new event named by its UID, in this collection.
  std::string hrefFor(const std::string& uid) const;
  const std::string& url() const { return url_; }

 private:
  HttpClient& http_;
  std::string url_;   // ends in "/"
  std::string path_;  // the collection's path, for telling it from its items
};

// The path of an href or URL, the form in which hrefs are kept.
std::string PathOf(const std::string& href);

// A WebDAV multistatus: the items found with their ETags (collections, the
// calendar itself, are left out), the hrefs reported gone (404), and the sync
// token, the report's own or the collection's property.
struct Multistatus {
  std::vector<RemoteItem> items;
  std::vector<std::string> removed;
  std::string syncToken;
};
// False when the text is no multistatus.
bool ParseMultistatus(const std::string& xml, Multistatus& out);
bool ParseMultistatus(const std::string& xml, std::vector<RemoteItem>& items);

}  // namespace krav::sync
