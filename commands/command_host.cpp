#include "commands/command_host.h"

#include <new>
#include <stdexcept>

namespace cyrvert {

bool CommandHost::Allocate(std::string& block, std::size_t size) {
  try {
    block.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

}  // namespace cyrvert
