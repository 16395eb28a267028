// The caller's request JSON, any bytes, through the caller's own parsing and
// checks, and the same bytes as the robot's output printed in an answer. A request is either refused with a RequestError that names where,
// in printable UTF-8, or taken; a taken request, described as the caller
// describes an answer and read again, gives the same block.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/utf.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/quillmere-call/request_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    static auto block = std::make_unique<RequestBlock>();
    static auto again = std::make_unique<RequestBlock>();
    const std::string text(reinterpret_cast<const char*>(data), size);
    // What the robot writes to standard output is printed in the answer as it came.
    {
        nlohmann::ordered_json answer;
        answer["robotOutput"] = text;
        FUZZ_CHECK(IsValidUtf8(call::AnswerText(answer)));
    }
    try {
        call::ParseRequest(text, *block);
    } catch (const call::RequestError& e) {
        const std::string why = e.what();
        FUZZ_CHECK(!why.empty() && IsValidUtf8(why));
        FUZZ_CHECK(why.find(": ") != std::string::npos);
        for (unsigned char c : why) FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        return 0;
    }
    // Every text taken is terminated inside its field and holds no NUL before it.
    FUZZ_CHECK(block->readScript[299] == u'\0' && block->pointScript[1199] == u'\0');
    FUZZ_CHECK(block->message[999] == u'\0' && block->order.driverMemo[1023] == u'\0');

    const nlohmann::ordered_json answer = call::DescribeAnswer(*block, block->order.adapterKind);
    nlohmann::ordered_json request;
    request["mode"] = block->mode;
    request["requireBranch"] = block->requireBranch;
    request["finishAction"] = block->finishAction;
    request["speed"] = block->speed;
    request["readScript"] = Utf16ToUtf8(ReadField(block->readScript));
    request["pointScript"] = Utf16ToUtf8(ReadField(block->pointScript));
    request["status"] = answer["status"];
    request["message"] = answer["message"];
    request["order"] = answer["order"];
    call::ParseRequest(request.dump(), *again);
    FUZZ_CHECK(std::memcmp(block.get(), again.get(), sizeof(RequestBlock)) == 0);
    return 0;
}
