#pragma once
// The configuration page's file road: a configuration file read into the
// page's records, the page's content saved under a name the user confirms,
// the model's factory file, and the date line. The page refreshes itself
// from what a read found; what went wrong on the road is logged and shown
// here, with the page's own messages.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/config/config_fields.h"
#include "core/config/config_file_reader.h"
#include "core/config/config_file_writer.h"
#include "core/config/config_page_services.h"
#include "core/config/radar_command_list.h"

namespace ostrel {

class VolumeTable;
struct StrappingRows;
struct UnitConfiguration;

class ConfigPageFiles {
 public:

  ConfigPageFiles(const ConfigPageServices& services, PageRecords records)
      : services_(services), records_(records) {}

  // A name in the Configs folder, unless the path is absolute.
  std::filesystem::path pathOf(const std::string& name) const;
  // The name the file-name box shows for a file the user chose: the bare
  // name for one in the Configs folder, else the whole path.
  std::string nameOf(const std::filesystem::path& chosen) const;
  // Reads a file into the records. Its radar lines go over the page's copy
  // of the radar's block; with `radarUnit` (a pulse radar connected) those
  // lines count for the next write, where they differ from the radar's own.
  ConfigReadResult read(const std::filesystem::path& path, bool sample, bool radarUnit);
  void showNotices(const ConfigReadResult& result) const;

  // "Open Config File": the failure logged and shown, the success logged.
  void openFailed() const;
  void opened(const std::string& name) const;
  // The model's factory file; none (the error shown) when it names none.
  std::optional<std::filesystem::path> factoryFile() const;
  void factoryFailed() const;
  void factoryLoaded() const;

  // "Save Config File". `complete`: a valid configuration with its levels,
  // else nothing is saved. The name proposed from the typed one goes to
  // confirmName (false: cancelled), gets ".txt" and is saved in the Configs
  // folder. `name` is set once confirmed, even when the write then fails.
  struct Saved {
    bool ok = false;
    std::optional<std::string> name;
    std::string date;
  };
  Saved save(const std::function<ConfigFileContent()>& content, bool complete,
             const std::string& typedName,
             const std::function<bool(std::string& name)>& confirmName) const;

  // What a save, a report or a write's log takes from the page now: the
  // records with the boxes' values, the relay mode, the radar's settings
  // when the page holds them (`radarShown`), and the structure's captions
  // for a shape with a curve.
  ConfigFileContent content(const ConfigBoxValues& boxes, bool independentRelays,
                            bool radarShown) const;

  // "Wiring Diagram": the matched configuration's drawing opened in its
  // viewer; false (the error shown) without a match or a viewer that opens it.
  bool openDrawing() const;

  // The date line of a file: "0" when it is not there.
  std::string fileDate(const std::filesystem::path& path) const;
  // The radar's settings as a file carries them, from its block.
  const RadarAdvanced* radarForFile(const PulseParameters& block) const;

 private:
  std::string text(const char* key) const;
  void show(const Notice& notice) const;
  void log(const char* key, const std::string& message) const;

  const ConfigPageServices& services_;
  PageRecords records_;
  // What a read fills and content() points to.
  mutable RadarAdvanced radarAdvanced_;
};

}  // namespace ostrel
