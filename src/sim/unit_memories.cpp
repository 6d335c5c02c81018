#include "sim/unit_memories.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>
#include <type_traits>
#include <unistd.h>

namespace ostrel::sim {

namespace {

// The memories in file order, as spans over the record's own storage.
template <typename Memories>
auto fileSpans(Memories& m) {
  using Byte = std::conditional_t<std::is_const_v<Memories>, const std::uint8_t, std::uint8_t>;
  return std::array<std::span<Byte>, 8>{m.customer, m.factory, m.history, m.ocm,
                                        m.model,    m.info,    m.echo,    m.scan};
}

}  // namespace

UnitMemories::Page* UnitMemories::pageFor(std::uint8_t selector) {
  switch (selector) {
    case 1:
      return &customer;
    case 2:
      return &factory;
    case 3:
      return &history;
    case 4:
      return &ocm;
    case 7:
      return &model;
    default:
      return nullptr;
  }
}

const UnitMemories::Page* UnitMemories::pageFor(std::uint8_t selector) const {
  return const_cast<UnitMemories*>(this)->pageFor(selector);
}

const std::vector<std::string>& UnitMemories::fileNames() {
  static const std::vector<std::string> names = {"customer.bin", "factory.bin", "history.bin",
                                                 "ocm.bin",      "model.bin",   "info.bin",
                                                 "echo.bin",     "scan.bin"};
  return names;
}

UnitMemories::LoadResult UnitMemories::load(const std::filesystem::path& dir) {
  LoadResult result;
  auto spans = fileSpans(*this);
  std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> contents;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const auto path = dir / fileNames()[i];
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) continue;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      result.error = "cannot read " + path.string();
      return result;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (bytes.size() != spans[i].size()) {
      result.error = path.string() + " holds " + std::to_string(bytes.size()) +
                     " bytes; expected " + std::to_string(spans[i].size());
      return result;
    }
    contents.emplace_back(i, std::move(bytes));
  }
  for (auto& [i, bytes] : contents) {
    std::copy(bytes.begin(), bytes.end(), spans[i].begin());
    result.loaded.push_back(fileNames()[i]);
  }
  return result;
}

std::string UnitMemories::dump(const std::filesystem::path& dir) const {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return "cannot create " + dir.string() + ": " + ec.message();
  const auto spans = fileSpans(*this);
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const auto path = dir / fileNames()[i];
    auto temp = path;
    temp += ".tmp" + std::to_string(::getpid());
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(spans[i].data()),
                static_cast<std::streamsize>(spans[i].size()));
      out.flush();
      if (!out) {
        std::filesystem::remove(temp, ec);
        return "cannot write " + temp.string();
      }
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
      std::filesystem::remove(temp, ec);
      return "cannot replace " + path.string();
    }
  }
  return {};
}

}  // namespace ostrel::sim
