#include "core/session/app_context.h"

#include <cstdlib>

#include "core/support/notice.h"
#include "core/support/presenter.h"

namespace ostrel {

VersionNumbers VersionNumbers::parse(std::string_view text) {
  // Reads like "%d.%d.%d.%d": numbers separated by dots, stopping at the
  // first piece that does not fit; what was not read stays 0.
  VersionNumbers v;
  std::size_t pos = 0;
  for (std::size_t part = 0; part < v.Parts.size(); ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') break;
      ++pos;
    }
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
      negative = text[pos] == '-';
      ++pos;
    }
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') break;
    long long n = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      if (n < 1000000000) n = n * 10 + (text[pos] - '0');
      ++pos;
    }
    v.Parts[part] = static_cast<int>(negative ? -n : n);
  }
  return v;
}

AppContext::AppContext(WorkFolders folders, std::filesystem::path configRoot, Presenter& presenter,
                       std::unique_ptr<CableDriver> driver, UnitLink::Timing timing)
    : Folders(std::move(folders)),
      Settings(Values, Identity.CorporateId, Identity.ProgramName, Folders.Models,
               std::move(configRoot)),
      Parser(ModelTargets{}),
      Driver(std::move(driver)),
      Link(std::make_unique<UnitLink>(*Driver, timing)),
      Memory(std::make_unique<UnitMemory>(*Link)),
      presenter_(presenter) {
  Parser.setTargets(targets());
  Parser.setProgressSink(&presenter.busy());
  Parser.setModelsFolder(Folders.Models);
  Language.setFolder(Folders.Models);
  Log.setFolder(Folders.Logs);
}

AppContext::~AppContext() {
  // A listening under way is aborted and the thread joined, so nothing still
  // uses the link when it is destroyed.
  Link->StopServiceThread();
}

bool AppContext::prepareFolders(std::string& error) { return prepareDataRoot(Folders, error); }

bool AppContext::loadCorporateModel() {
  const bool loaded = Parser.LoadModelFile(Folders.Models / std::string(kCorporateModelFile), 0);
  show(Parser.takeNotices());
  return loaded;
}

int AppContext::loadLanguage() {
  const int r = Language.Load(Values.LanguageFile);
  show(Language.takeNotices());
  return r;
}

void AppContext::show(const Notices& notices) {
  showNotices(presenter_, notices, &Language, Values.LanguageNumber);
}

bool AppContext::installSettingsKey() {
  if (Settings.usesSettingsFile()) return true;
  return RegistryKey::create(Settings.keyPath());
}

void AppContext::logStart() { Log.LogEvent("BRIMLET", "Version %s Started", {Values.Version}); }

std::string AppContext::applicationTitle() const {
  const VersionNumbers v = VersionNumbers::parse(Values.Version);
  return formatText("%s %d.%d.%d", {Identity.ProgramId, v.Parts[0], v.Parts[1], v.Parts[2]});
}

std::string AppContext::text(std::string_view key, std::string_view fallback) const {
  // Without a text (no language file, or an old one) the key itself is
  // shown: a message nobody can read is worse than its name.
  return Language.Text(key, Values.LanguageNumber, fallback.empty() ? key : fallback);
}

std::string AppContext::format(std::string_view key, std::initializer_list<FormatArg> args) const {
  return formatText(text(key), args);
}

bool AppContext::lookup(std::string_view key, std::string& dest) const {
  return Language.Lookup(key, Values.LanguageNumber, dest);
}

}  // namespace ostrel
