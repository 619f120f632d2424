#pragma once

#include <TalvexExport.h>

#include <map>
#include <string>

namespace Talvex::App {

// What the language menu shows for a language: the shipped locale names ("de_DE") in
// the language's own words, and the three-letter bibliographic codes ("ger") in
// English. Built when the library is loaded and never changed, so any thread may read
// it.
TALVEX_EXPORT extern const std::map<std::string, std::string> LanguageNames;

// The listed name of `key`, or `key` itself when the table does not list it.
TALVEX_EXPORT std::string LanguageName(const std::string& key);

} // namespace Talvex::App
