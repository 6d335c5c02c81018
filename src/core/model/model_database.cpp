#include "core/model/model_database.h"

#include "core/model/model_images.h"
#include "core/model/session_flags.h"

namespace ostrel {

void ResetModelDatabase(ModelDatabase& database, ModelImages& images, SessionFlags* flags) {
  for (ConfigItem& item : database.ConfigItems.Items) item.Present = false;
  database.InvertDemo = 0;
  database.GuidedWaveRadar = 0;
  database.PulseRadar = 0;
  database.Ugus = 0;
  if (flags != nullptr) {
    flags->GuidedWaveRadar = false;
    flags->Ugus = false;
  }
  database.NonLinearButtonCaption.clear();

  database.ConfigItems.clearCounters();
  database.Configurations.clearCounters();
  database.AdvancedInputs.Count = 0;
  database.AdvancedInputs.TextCount = 0;
  database.AdvancedInputs.Last = -1;
  database.UnitNames.clearCounters();
  database.UnitFactors.clearCounters();
  database.DiagnosticEchoes.clearCounters();
  database.Media.clearCounters();
  database.FirstEchoes.clearCounters();
  database.NonLinearFiles.clearCounters();
  images.TankImages.clearCounters();
  images.Overlays.clearCounters();
  database.FixedWordCount = 0;
  database.UnitTypeCount = 0;
  images.AlternatePartCount = 0;
  database.DefaultUnitFactor = ModelDatabase::kDefaultUnitFactor;

  for (std::string& s : database.NonLinearFiles.Items) s.clear();
  for (std::string& s : database.NonLinearTitles) s.clear();
  for (std::string& s : database.DiagnosticEchoes.Items) s.clear();
  for (std::string& s : database.Media.Items) s.clear();
  for (std::string& s : database.FirstEchoes.Items) s.clear();
}

}  // namespace ostrel
