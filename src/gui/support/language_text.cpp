#include "gui/support/language_text.h"

#include <string>

#include "core/support/app_settings.h"
#include "core/support/language_table.h"

namespace ostrel {

bool lookupText(const LanguageTable* table, const AppSettings* settings, std::string_view key,
                QString& dest) {
  if (table == nullptr) return false;
  std::string text;
  if (!table->Lookup(key, settings != nullptr ? settings->LanguageNumber : 0, text)) return false;
  dest = QString::fromStdString(text);
  return true;
}

}  // namespace ostrel
