// The reference caller's JSON: a request in the block's own field names, and the
// block's answer back as JSON. Portable, so it is tested natively.
#pragma once

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

#include "core/request_block.h"

namespace qm::call {

// A request that cannot be served as written; what() names the field.
class RequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills block (zeroed first) from the request JSON text. Missing fields are zero
// or empty. Throws RequestError for invalid JSON, an unknown field, a value of
// the wrong type, a text longer than its field or a number out of range.
void ParseRequest(const std::string& jsonText, RequestBlock& block);

// The answer: status, result, resultName and resultMeaning (what the code means
// for the request's adapterKind), message and the order with every field, in
// the block's order.
nlohmann::ordered_json DescribeAnswer(const RequestBlock& block, int requestAdapterKind);

// The answer as printed, indented by two. Texts that are not UTF-8 (what the
// robot wrote to standard output is taken as it came) are printed with U+FFFD
// for each bad byte instead of ending the caller.
std::string AnswerText(const nlohmann::ordered_json& answer);

}  // namespace qm::call
