// Request dispatch: one request block in, the adapter's answer written back.
#pragma once

#include <memory>
#include <span>

#include "app/delay_profile.h"
#include "app/request_block.h"
#include "callport/call_port.h"
#include "platform/desktop.h"

namespace qm {

using AdapterFactory = std::unique_ptr<CCallPort> (*)(Desktop&, const DelayProfile&);

struct AdapterEntry {
    int adapterKind;      // the OrderRecord's adapterKind that selects it
    const char* name;     // the dispatch program's name, for people
    AdapterFactory make;
};

// The adapters this build serves (adapters/registry.cpp): the one place where an
// adapter is added.
std::span<const AdapterEntry> RegisteredAdapters();

// Serves the request held in copy (the robot's private copy of the block) with one
// of adapters (the registered ones unless a test gives its own): chooses
// the profile from speed, runs ReadOrder (mode != 0) or EnterOrder (mode 0) of the
// adapter for adapterKind, and stores result and message. An adapterKind that no
// adapter serves gives result 2 with the message untouched; any exception gives
// result 3 with its text; a dispatch program that stopped answering gives 99.
void ServeRequest(RequestBlock& copy, Desktop& desktop, Module oleacc,
                  std::span<const AdapterEntry> adapters = RegisteredAdapters());

}  // namespace qm
