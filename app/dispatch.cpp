#include "app/dispatch.h"

#include <exception>
#include <string>

#include "core/result_codes.h"
#include "core/utf.h"

namespace qm {
namespace {

const AdapterEntry* FindAdapter(std::span<const AdapterEntry> adapters, int kind) {
    for (const AdapterEntry& entry : adapters)
        if (entry.adapterKind == kind) return &entry;
    return nullptr;
}

void Fail(RequestBlock& copy, int code, std::u16string_view text) {
    copy.result = code;
    WriteField(copy.message, text);
}

std::u16string_view Why(InputDesk state) {
    switch (state) {
    case InputDesk::SessionLocked: return u"the session is locked";
    case InputDesk::SessionDisconnected: return u"the session is disconnected";
    case InputDesk::OtherDesktop: return u"another desktop (an elevation prompt or the lock screen) takes the input";
    case InputDesk::Ready: break;
    }
    return u"";
}

}  // namespace

bool Serves(int adapterKind, std::span<const AdapterEntry> adapters) {
    return FindAdapter(adapters, adapterKind) != nullptr;
}

void ServeRequest(RequestBlock& copy, Desktop& desktop, Module oleacc, std::span<const AdapterEntry> adapters) {
    // The caller may have left a text without its terminator: keep every later
    // step inside its own field.
    TerminateCallerTexts(copy);
    const DelayProfile& profile = ProfileForSpeed(copy.speed);
    const AdapterEntry* entry = FindAdapter(adapters, copy.order.adapterKind);
    if (entry == nullptr) {
        copy.result = result::kAdapterNotServed;
        return;
    }
    if (entry->needsRealInput != nullptr && entry->needsRealInput(copy.mode == 0, copy.order)) {
        if (const InputDesk state = desktop.InputDeskState(); state != InputDesk::Ready) {
            Fail(copy, result::kDeskTakesNoInput,
                 u"This request needs real input, and " + std::u16string(Why(state)) +
                     u"; nothing was touched. Try again once the desk is unlocked.");
            return;
        }
    }
    try {
        std::u16string message;
        std::unique_ptr<CCallPort> adapter = entry->make(desktop, profile);
        int code;
        if (copy.mode != 0) {
            code = adapter->ReadOrder(oleacc, copy.readScript, &copy.order, message);
        } else {
            code = adapter->EnterOrder(oleacc, copy.readScript, copy.pointScript, &copy.order,
                                       copy.requireBranch, message, copy.finishAction);
        }
        copy.result = code;
        WriteField(copy.message, message);
        if (desktop.NotResponding()) {
            Fail(copy, result::kNotResponding,
                 u"The dispatch program stopped answering window messages; the request was ended.");
        }
    } catch (const std::exception& e) {
        Fail(copy, result::kException, Utf8ToUtf16(e.what()));
    } catch (...) {
        Fail(copy, result::kException, u"An unknown exception ended the work.");
    }
}

}  // namespace qm
