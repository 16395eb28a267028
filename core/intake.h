// The robot's side of the handshake on the caller's mapped block, apart from
// how the mapping is opened: portable, so the intake can be tested and fuzzed
// with any bytes and any mapping size.
#pragma once

#include <cstddef>
#include <functional>

#include "core/request_block.h"

namespace qm {

// Serves the block at the start of a mapping of size bytes: status 1, a private
// copy of the whole block, serve(copy), the copy written back over the mapping
// (status still 1), then status 2. A mapping smaller than a block is neither
// read nor written and serve is not called: returns false.
bool ServeMappedBlock(void* mapping, std::size_t size, const std::function<void(RequestBlock& copy)>& serve);

}  // namespace qm
