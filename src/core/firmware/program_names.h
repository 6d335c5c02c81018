#pragma once
// What a program file's name says: the range the firmware serves and its
// version ("A12p5ver41p2.fp2": range 12.5M, version 41p2, i.e. 41.2), the
// listing of the program files that fit a model, and whether to offer an
// update to a unit of a given software revision.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

namespace program_names {

// The name without its last four characters (the extension).
std::string stem(std::string_view fileName);
// Everything after the first "ver" of the stem, in lower case.
std::string versionText(std::string_view fileName);
// The part before the first "ver" with "p" as ".", digits and "." only,
// then "M"; empty when nothing remains.
std::string rangeText(std::string_view fileName);
// Whether the name takes part in offers: a version text of at most five
// characters without "old" after its first character.
bool takesPartInOffers(std::string_view fileName);
// The version number of the version text (41p2 -> 41.2, 4p12 -> 4.2); a
// name that takes no part in offers has none.
std::optional<double> versionNumber(std::string_view fileName);
// The version text as shown, each "p" as ".".
std::string shownVersion(std::string_view fileName);

}  // namespace program_names

// The program names a model file lists on its PROGRAMNAME lines (plain or
// enciphered file). Nothing when the file cannot be read.
std::optional<std::vector<std::string>> modelProgramNames(const std::filesystem::path& modelFile);

// Whether a program name is one of the names, ignoring case.
bool programNameFits(std::string_view name, const std::vector<std::string>& names);

// The program files of the folder whose first chunk is a PID naming one of
// the programs, sorted by name. Entries that cannot be opened, hold fewer
// than 8 bytes or a PID chunk of more than 100 bytes are skipped.
std::vector<std::string> ListProgramFiles(const std::filesystem::path& programsFolder,
                                          const std::vector<std::string>& programNames);

struct OfferDecision {
  bool noFiles = false;     // nothing fits: "No firmware files found!"
  bool offer = false;
  std::string messageKey;   // STATUS_MESSAGE51 (newer file) or STATUS_MESSAGE52 (revision below 10)
  double unitVersion = 0;   // SW REV, divided by ten above 99
  double best = 0;          // the highest version number of the names that take part
};

// Whether to offer an update to a unit of software revision swRev, given the
// fitting files: when one has a higher version, and always below revision 10.
OfferDecision decideOffer(int swRev, const std::vector<std::string>& fittingFiles);

}  // namespace ostrel
