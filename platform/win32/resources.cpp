#include "platform/win32/resources.h"

#include <map>

namespace platform {

namespace {

std::map<int, ResourceBlock>& Table() {
  static std::map<int, ResourceBlock> table;
  return table;
}

}  // namespace

void RegisterBitmapResource(int id, const std::uint8_t* data, std::size_t size) {
  Table()[id] = ResourceBlock{data, size};
}

void UnregisterBitmapResource(int id) { Table().erase(id); }

ResourceBlock FindBitmapResource(int id) {
  const auto found = Table().find(id);
  return found == Table().end() ? ResourceBlock{} : found->second;
}

}  // namespace platform
