// Request dispatch: one request block in, the adapter's answer written back.
#pragma once

#include <memory>
#include <span>

#include "adapters/registry.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/desktop.h"

namespace qm {

// Serves the request held in copy (the robot's private copy of the block) with one
// of adapters (the registered ones unless a test gives its own): chooses
// the profile from speed, runs ReadOrder (mode != 0) or EnterOrder (mode 0) of the
// adapter for adapterKind, and stores result and message. An adapterKind that no
// adapter serves gives result 2 with the message untouched; any exception gives
// result 3 with its text; a dispatch program that stopped answering gives 99.
// A request that makes a real click or relies on the foreground is first
// checked against the desk's input state: a locked or disconnected session, or
// another input desktop, gives 91 and touches nothing.
void ServeRequest(RequestBlock& copy, Desktop& desktop, Module oleacc,
                  std::span<const AdapterEntry> adapters = RegisteredAdapters());

// Whether one of adapters serves adapterKind (a request that none serves is
// answered at once, without the desk).
bool Serves(int adapterKind, std::span<const AdapterEntry> adapters = RegisteredAdapters());

}  // namespace qm
