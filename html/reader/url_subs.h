#pragma once
// String helpers that resolve relative URLs and turn "file:" URLs into local path names.
#include <string>
#include <string_view>

// The string without bytes 0 to 32 at both ends.
std::string HtmlTrim(std::string_view s);
// The URL up to and including its last "/" (query cut off); "page.htm" gives "page.htm/".
std::string UrlBase(std::string_view url);
// The absolute URL of a relative one against a base, with "/../" and "/./" resolved.
std::string CombineUrl(std::string_view base, std::string_view relative);
// True when the URL contains "://" or, ignoring case, "mailto:".
bool IsFullUrl(std::string_view url);
// A local path name: percent escapes decoded, a "file://" scheme removed ("/" stays the
// separator, so "file:///home/a.htm" gives "/home/a.htm").
std::string UrlToPath(std::string_view url);
// As UrlToPath; a server-absolute result ("/img/a.gif" from a URL without "file:") is placed
// under the server root.
std::string ExpandPath(std::string_view url, std::string_view serverRoot);
