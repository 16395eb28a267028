#include "sim/logi/entry_shell.h"

namespace qm::sim::logi {

const std::vector<std::u16string>& PayItems() {
    static const std::vector<std::u16string> items = {u"현금", u"후불", u"카드", u"마일리지"};
    return items;
}

std::optional<std::u16string> BranchDisplay(const std::vector<Branch>& branches, const std::u16string& typed) {
    const std::u16string digits = kit::Digits(typed);
    if (digits.empty()) return std::nullopt;
    for (const Branch& b : branches) {
        if (b.digits == digits)
            return std::u16string(u"로지본사 > ") + b.name + u" (" + kit::HyphenatedNumber(digits) + u")";
    }
    return std::nullopt;
}

std::vector<Branch> Branches(const std::vector<Branch>& extra) {
    std::vector<Branch> branches = {
        {u"021234567", u"강남지사"},
        {u"0212345678", u"서초지사"},
        {u"0311234567", u"수원지사"},
        {u"15881234", u"대표지사"},
    };
    branches.insert(branches.end(), extra.begin(), extra.end());
    return branches;
}

}  // namespace qm::sim::logi
