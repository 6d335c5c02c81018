#pragma once
// A shipped model file (data/Models) read the way the tool reads it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "test_support.h"

namespace ostrel::test {

inline std::unique_ptr<ModelRecords> shippedModel(const std::string& file) {
  auto r = std::make_unique<ModelRecords>();
  const auto models = sourceDataDir() / "Models";
  r->Language.LoadPath(models / "Ostrel_Language.txt");
  ModelFileParser parser(r->targets());
  EXPECT_TRUE(parser.LoadModelFile(models / file, 0)) << file;
  return r;
}

}  // namespace ostrel::test
