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

}  // namespace

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
