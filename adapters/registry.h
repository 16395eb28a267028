// The adapters this build serves: the one place where an adapter is added
// (registry.cpp). Request dispatch picks one by the order's adapterKind.
#pragma once

#include <memory>
#include <span>

#include "callport/call_port.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/desktop.h"

namespace qm {

using AdapterFactory = std::unique_ptr<CCallPort> (*)(Desktop&, const DelayProfile&);

// Whether a request makes a real click or relies on the foreground, which a
// locked session or another input desktop cannot give it (entry: EnterOrder,
// else ReadOrder). Null: no request of the adapter does.
using RealInputTest = bool (*)(bool entry, const OrderRecord& order);

struct AdapterEntry {
    int adapterKind;      // the OrderRecord's adapterKind that selects it
    const char* name;     // the dispatch program's name, for people
    AdapterFactory make;
    RealInputTest needsRealInput = nullptr;
};

std::span<const AdapterEntry> RegisteredAdapters();

}  // namespace qm
