#pragma once
// What the volume forms and the curve viewer are lent: the model records
// (model, structure list, language, settings values), the configuration as
// the page holds it, the presenter, the picture and help folders, and the
// page's table and strapping rows, which only a form's OK changes.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/config/config_page_model.h"
#include "core/config/unit_configuration.h"
#include "core/model/model_records.h"
#include "core/session/app_context.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

class QtPresenter;
struct FormFailure;

struct VolumeFormServices {
  const ModelRecords& records;
  const UnitConfiguration& config;
  QtPresenter& presenter;
  std::filesystem::path bitmapsFolder;
  std::filesystem::path helpFolder;
  VolumeTable& table;
  StrappingRows& strapping;

  // The text of a language key in the current column, else the fallback.
  std::string text(std::string_view key, std::string_view fallback = {}) const {
    return records.Language.Text(key, records.Values.LanguageNumber,
                                 fallback.empty() ? key : fallback);
  }

  // A form check's failure as its message box; nothing for a failure the
  // form already marks (a red cell).
  void showFailure(const FormFailure& failure) const;

  // The configuration page's records and the session's folders.
  static VolumeFormServices forPage(AppContext& context, QtPresenter& presenter,
                                    ConfigPageModel& page) {
    return VolumeFormServices{context,      page.config(),   presenter,       context.Folders.Bitmaps,
                              context.Folders.Help, page.volume(), page.strapping()};
  }
};

}  // namespace ostrel
