#pragma once
// Caption and message lookups for widgets: the language table's text of a key
// in the column the settings select, as a QString.

#include <QString>
#include <string_view>

namespace ostrel {

class LanguageTable;
struct AppSettings;

// Sets dest to the text of the key and returns true; leaves dest as it was
// and returns false when the key is missing or there is no table. Without
// settings, column 0 is read.
bool lookupText(const LanguageTable* table, const AppSettings* settings, std::string_view key,
                QString& dest);

}  // namespace ostrel
