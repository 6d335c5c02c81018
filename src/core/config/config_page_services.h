#pragma once
// What the configuration page and its pieces work with: the records, the
// presenter, the unit's memory and link, the folders and the hooks the
// program lends for the page's life.

#include <array>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "core/link/unit_memory.h"

namespace ostrel {

class LogFile;
class Presenter;
class SettingsStore;
class UnitLink;
class ProgressSink;
class PulseProtocol;
struct ModelRecords;
struct RadarAdvancedState;
struct StrappingRows;
struct UnitConfiguration;
class VolumeTable;

// Where the page finds what it works with. The records and components are
// lent for the page's life.
struct ConfigPageServices {
  ModelRecords* records = nullptr;  // model, language, settings values, structures
  Presenter* presenter = nullptr;
  LogFile* log = nullptr;             // may be null
  SettingsStore* settings = nullptr;  // PREF_UNITS; may be null
  UnitMemory* memory = nullptr;       // page images; null in sample mode
  UnitLink* link = nullptr;           // the link the memory talks over
  // The unit's page images when there is no memory (pages read earlier or
  // from files); the memory's own when null.
  const std::array<UnitMemory::Page, 4>* pages = nullptr;
  PulseProtocol* pulse = nullptr;     // pulse radar: its parameter block
  // The startup window's status line and bar while the page is activated.
  ProgressSink* activation = nullptr;
  std::filesystem::path configsFolder;
  std::filesystem::path drawingsFolder;
  std::filesystem::path modelsFolder;  // structure files
  // The production record every written unit adds its line to (empty:
  // none is kept).
  std::filesystem::path productionRecord;
  // Opens a document (a wiring diagram) in its viewer; false when it fails.
  std::function<bool(const std::filesystem::path&)> openDocument;
  // Sample mode: loads the model file of a model number; true when loaded.
  std::function<bool(const std::string& modelNumber)> loadModel;
  // The clock for the support code (local time); the system's when unset.
  std::function<std::tm()> now;
  // The tool's own version (major, minor, build, revision).
  std::array<int, 4> toolVersion{};
};

// The page's records its pieces read and fill; lent for the page's life.
struct PageRecords {
  UnitConfiguration* config = nullptr;
  VolumeTable* volume = nullptr;
  StrappingRows* strapping = nullptr;
  RadarAdvancedState* radar = nullptr;
};

}  // namespace ostrel
