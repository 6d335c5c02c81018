#pragma once
// The records the structure picker and the tank, weir and flume forms are
// lent, over the shipped models; Chinese reads the corporate model from a
// copy that names the second language column. OSTREL_SHOTS_OUT names a
// folder for screenshots.

#include <QString>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/volume/structure_file.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/volume_form_services.h"

namespace ostrel::test {

inline const std::filesystem::path kData = OSTREL_SOURCE_DATA_DIR;

struct TankForms {
  TankForms(const char* modelFile, std::uint16_t shape, bool chinese = false) {
    const std::filesystem::path models = kData / "Models";
    records.Language.LoadPath(models / "Ostrel_Language.txt");
    ModelFileParser parser(records.targets());
    loaded = parser.LoadModelFile(chinese ? chineseCorporate() : models / "Corporate_Model.txt", 0) &&
             parser.LoadModelFile(models / modelFile, 0) &&
             StructureFile::load(records.Database, models, shape, records.Structures);
    config.shapeCode = shape;
    table.Link = ModelLink(&records.Database, &records.Structures);
    table.Reset();
  }
  ~TankForms() {
    if (!copy.empty()) std::filesystem::remove_all(copy.parent_path());
  }

  VolumeFormServices services() {
    return VolumeFormServices{records, config, presenter, kData / "Bitmaps", kData / "Help",
                              table,   rows};
  }
  void dims(std::initializer_list<float> d) {
    std::size_t i = 0;
    for (float x : d) table.Dimensions[i++] = x;
  }
  std::string lastMessage() const {
    const auto shown = presenter.shown();
    return shown.empty() ? std::string() : shown.back().text;
  }

  // The corporate model with LANGUAGE_NUMBER = 1, in a folder of its own.
  std::filesystem::path chineseCorporate() {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("ostrel_tankforms_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder);
    copy = folder / "Corporate_Model.txt";
    std::ifstream in(kData / "Models" / "Corporate_Model.txt", std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    const std::string from = "LANGUAGE_NUMBER = 0";
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), "LANGUAGE_NUMBER = 1");
    std::ofstream(copy, std::ios::binary) << text;
    return copy;
  }

  ModelRecords records;
  UnitConfiguration config;
  VolumeTable table;
  StrappingRows rows;
  QtPresenter presenter{&records.Language, &records.Values, true};
  std::filesystem::path copy;
  bool loaded = false;
};

}  // namespace ostrel::test
