#pragma once
// The road from a started tool to an identified unit with its model loaded:
// the connect sequence (cable, connection, identification of a page-based
// unit or a pulse radar, model file), the sample program that runs the same
// road without a unit, and the model searches both end in. What is shown
// goes through a StartupView; the questions and the main form are the
// caller's, after the sequence has returned.
//
// The sequence is synchronous and may run on any one thread at a time; it
// uses the session's link, page store and records, which nothing else may
// touch meanwhile.

#include <filesystem>
#include <string>
#include <string_view>

namespace ostrel {

class AppContext;

// The startup window as the sequence drives it. Called on the thread that
// runs the sequence.
class StartupView {
 public:
  virtual ~StartupView() = default;
  virtual void statusText(const std::string& text) = 0;
  virtual void captionLine(const std::string& text) = 0;
  virtual void progress(int percent) = 0;
  // "Try Again" and "Sample Program".
  virtual void startButtons(bool enabled) = 0;
  virtual void troubleshootLink(bool visible) = 0;
};

class StartupSequence {
 public:
  enum class Outcome {
    Identified,            // open the main form
    IdentifiedByHardware,  // tell the user (ERROR_MESSAGE130), then open the main form
    NotIdentified,         // a failure is shown; the buttons and questions are the caller's
    Stopped,               // a failure is shown and the sequence ends there
  };

  explicit StartupSequence(AppContext& context) : ctx_(context) {}

  Outcome ConnectSequence(StartupView& view);
  // Identified or NotIdentified (a missing model already shown).
  Outcome SampleProgram(StartupView& view);

  bool IdentifyUnit(bool sample, bool& found, StartupView& view);
  // Finds the model file for the identified MODEL prefix and FIRMWARE and
  // loads it. When there is none, nothing is loaded and found turns false.
  bool LoadUnitModel(bool& found);
  // The same search by the hardware model prefix alone.
  bool LoadModelByHardware();
  // Sample mode: the model file of a model number from the sample listing
  // (by the part before the first "-"), loaded in place of the current
  // model. False when the listing has no such model or its file does not
  // load (the database is then empty).
  bool LoadSampleModel(const std::string& modelNumber);
  void ShowModelNotFound(StartupView& view);
  void ShowStartupError(StartupView& view, const std::string& text);
  // The startup window's words for a failed connect (the language file's).
  std::string ConnectFailureText(int result) const;

  // The two values a missing model is reported with.
  const std::string& notFoundModel() const { return notFoundModel_; }
  const std::string& notFoundFirmware() const { return notFoundFirmware_; }

  static std::string modelPrefix(std::string_view model);

 private:
  bool identifyPulseRadar(StartupView& view);
  bool identifyPageUnit(StartupView& view);
  void identifySample(StartupView& view);
  bool fail(StartupView& view, const std::string& text);
  bool findAndLoad(bool withFirmware);
  // Loads one model file with the unit's firmware for its UNITTYPE match and
  // shows what the parser reported.
  bool loadModel(const std::filesystem::path& path, int progress);

  AppContext& ctx_;
  std::string notFoundModel_;
  std::string notFoundFirmware_;
};

}  // namespace ostrel
