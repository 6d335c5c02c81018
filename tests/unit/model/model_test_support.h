#pragma once
// Records a model file can fill, allocated together for the model tests.

#include <memory>
#include <string>
#include <string_view>

#include "core/model/model_records.h"
#include "test_support.h"

namespace ostrel::test {

// The model records with the language texts the parser looks up.
struct ModelRecords : ostrel::ModelRecords {
  // A two-column language file with the texts the parser looks up.
  void loadLanguage(const TempDir& dir) {
    writeBytes(dir / "lang.txt",
               utf16FileBytes("SELECTSTR = <Select> -> <\xE9\x80\x89\xE6\x8B\xA9>\n"
                              "IDC_MODELDESCRIPTION = Model: -> \xE5\x9E\x8B\xE5\x8F\xB7:\n"
                              "STATUS_MESSAGE29 = Searching model files -> S29\n"
                              "STATUS_MESSAGE30 = Searching enciphered model files -> S30\n"));
    Language.LoadPath(dir / "lang.txt");
  }
};

inline std::unique_ptr<ModelRecords> makeModelRecords() { return std::make_unique<ModelRecords>(); }

}  // namespace ostrel::test
