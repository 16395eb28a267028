#include "core/intake.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

namespace qm {
namespace {

// The caller polls status from another process: each status word is one
// interlocked store, after everything before it.
void StoreStatus(unsigned char* mapping, std::int32_t value) {
    auto* status = reinterpret_cast<std::int32_t*>(mapping + offsetof(RequestBlock, status));
    std::atomic_ref<std::int32_t>(*status).store(value);
}

}  // namespace

bool ServeMappedBlock(void* mapping, std::size_t size, const std::function<void(RequestBlock& copy)>& serve) {
    if (mapping == nullptr || size < kRequestBlockSize) return false;
    auto* shared = static_cast<unsigned char*>(mapping);
    StoreStatus(shared, 1);
    // The private copy lives on this function's stack: nothing can fail between
    // taking the request and answering it.
    RequestBlock copy;
    std::memcpy(&copy, shared, kRequestBlockSize);
    serve(copy);
    std::memcpy(shared, &copy, kRequestBlockSize);
    StoreStatus(shared, 2);
    return true;
}

}  // namespace qm
