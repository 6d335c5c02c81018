#pragma once
// The structure list file of a shape's category (tanks with strapping
// tables, weirs or flumes), as the model's NONLINEAR entries name it.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace ostrel {

struct ModelDatabase;
struct StructureData;

class StructureFile {
 public:
  // "tank", "weir" or "flume" by the shape code's class; null for a code
  // without a curve.
  static const char* category(std::uint16_t shape);
  // The model's structure file for the shape's category, in modelsFolder.
  static std::optional<std::filesystem::path> pathFor(const ModelDatabase& model,
                                                      const std::filesystem::path& modelsFolder,
                                                      std::uint16_t shape);
  // The index of the shape's structure in the loaded structure data (its
  // NLTYPE entry names the shape code's class), or -1.
  static int structureIndex(const StructureData& data, std::uint16_t shape);
  // Empties the structure data and loads the shape's structure file into it.
  // False when the model names none for the category or it cannot be read
  // (the data then stay empty).
  static bool load(const ModelDatabase& model, const std::filesystem::path& modelsFolder,
                   std::uint16_t shape, StructureData& into);
};

}  // namespace ostrel
