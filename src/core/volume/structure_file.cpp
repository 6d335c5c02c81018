#include "core/volume/structure_file.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "core/model/model_database.h"
#include "core/model/model_file_parser.h"
#include "core/model/structure_data.h"

namespace ostrel {

const char* StructureFile::category(std::uint16_t shape) {
  const int c = shape >> 8;
  if (c >= 0x01 && c <= 0x1F) return "tank";
  if (c >= 0x20 && c <= 0x3F) return "weir";
  if (c >= 0x40 && c <= 0x5F) return "flume";
  return nullptr;
}

std::optional<std::filesystem::path> StructureFile::pathFor(
    const ModelDatabase& model, const std::filesystem::path& modelsFolder, std::uint16_t shape) {
  const char* word = category(shape);
  if (word == nullptr) return std::nullopt;
  const auto& files = model.NonLinearFiles;
  const int count = std::clamp(std::max(files.Count, files.Last + 1), 0, files.kCapacity);
  for (int i = 0; i < count; ++i) {
    std::string name = files[static_cast<std::size_t>(i)];
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find(word) != std::string::npos) return modelsFolder / name;
  }
  return std::nullopt;
}

int StructureFile::structureIndex(const StructureData& data, std::uint16_t shape) {
  if (category(shape) == nullptr) return -1;
  const int structures = std::clamp(data.StructureCount, 0, StructureData::kStructures);
  for (int k = 0; k < structures; ++k) {
    if (data.NlTypes[static_cast<std::size_t>(k)] == (shape >> 8)) return k;
  }
  return -1;
}

bool StructureFile::load(const ModelDatabase& model, const std::filesystem::path& modelsFolder,
                         std::uint16_t shape, StructureData& into) {
  ResetStructureData(into);
  const auto path = pathFor(model, modelsFolder, shape);
  if (!path) return false;
  ModelTargets targets;
  targets.structure = &into;
  ModelFileParser parser(targets);
  return parser.LoadModelFile(*path, 0);
}

}  // namespace ostrel
