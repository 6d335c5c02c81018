#include "core/support/notice.h"

#include "core/support/language_table.h"

namespace ostrel {
namespace {

std::string lookUp(const LanguageTable* language, int column, const std::string& key) {
  return language != nullptr ? language->Text(key, column, key) : key;
}

}  // namespace

std::string Notice::text(const LanguageTable* language, int column) const {
  if (form == Form::PlatformBox) return key;
  return formatText(lookUp(language, column, key), args);
}

int showNotice(Presenter& presenter, const Notice& notice, const LanguageTable* language,
               int column) {
  switch (notice.form) {
    case Notice::Form::PlatformBox:
      return presenter.platformMessageBox(notice.key, notice.style);
    case Notice::Form::MessageBox:
      return presenter.messageBox(notice.text(language, column), notice.style);
    case Notice::Form::ErrorDetail:
      presenter.errorDetail(notice.text(language, column),
                            lookUp(language, column, notice.detailKey));
      return kResultOk;
  }
  return kResultOk;
}

void showNotices(Presenter& presenter, const Notices& notices, const LanguageTable* language,
                 int column) {
  for (const Notice& n : notices) showNotice(presenter, n, language, column);
}

}  // namespace ostrel
