#include "callport/control_map.h"

#include "core/utf.h"

namespace qm {

Hwnd FollowWalk(Desktop& desktop, Hwnd from, const Walk& walk, ClassNames* names) {
    Hwnd h = from;
    for (std::size_t i = 0; i < walk.size && !IsNull(h); ++i) {
        const WalkStep& step = walk.steps[i];
        switch (step.kind) {
            case StepKind::Next: h = After(desktop, h, step.count); break;
            case StepKind::Previous: h = Before(desktop, h, step.count); break;
            case StepKind::FirstChild: h = FirstChild(desktop, h); break;
            case StepKind::Parent: h = desktop.GetParent(h); break;
            case StepKind::NextOfClass: {
                // The later siblings one by one, as FindWindowEx(parent, h, class)
                // finds them on Windows. Wine's FindWindowEx looks for h among
                // the windows of that class only, and finds nothing when h is
                // of another class. At most kMaxWalkSteps windows, so a
                // z-order that changes under the walk cannot make it loop.
                std::size_t seen = 0;
                do {
                    h = ++seen > kMaxWalkSteps ? kNoWindow : desktop.GetWindow(h, Relation::Next);
                } while (!IsNull(h) && ClassOf(desktop, h, names) != step.className);
                break;
            }
            case StepKind::ChildOfClass: {
                const std::u16string className(step.className);
                h = DirectChild(desktop, h, className.c_str(), nullptr);
                break;
            }
        }
    }
    return h;
}

std::u16string DescribeWalk(const Walk& walk) {
    if (walk.size == 0) return u"the anchor";
    std::u16string text;
    // Written outermost step first, as a person says it.
    for (std::size_t i = walk.size; i-- > 0;) {
        const WalkStep& step = walk.steps[i];
        if (!text.empty()) text += u" of ";
        switch (step.kind) {
            case StepKind::Next: text += u"next " + Utf8ToUtf16(std::to_string(step.count)); break;
            case StepKind::Previous: text += u"previous " + Utf8ToUtf16(std::to_string(step.count)); break;
            case StepKind::FirstChild: text += u"first child"; break;
            case StepKind::Parent: text += u"parent"; break;
            case StepKind::NextOfClass: text += u"next " + std::u16string(step.className); break;
            case StepKind::ChildOfClass: text += u"first " + std::u16string(step.className) + u" child"; break;
        }
    }
    return text;
}

Hwnd FindAnchor(Desktop& desktop, Hwnd root, const AnchorSpec& anchor, ClassNames* names) {
    if (IsNull(root)) return kNoWindow;
    switch (anchor.search) {
        case AnchorSearch::DirectChild: return DirectChild(desktop, root, anchor.recogniser);
        case AnchorSearch::Descendant: return FindDescendant(desktop, root, anchor.recogniser, names);
        case AnchorSearch::FirstChild: return FirstChild(desktop, root);
        case AnchorSearch::InChildDialog:
            return ChildDialogHolding(desktop, root, anchor.dialogClass, anchor.recogniser);
        case AnchorSearch::Known: break;  // the resolver reads the row's field
    }
    return kNoWindow;
}

int ResolveChain(Desktop& desktop, Hwnd root, std::span<const ChainLink> links, Hwnd& found,
                 std::vector<ResolvedRow>* report) {
    found = kNoWindow;
    Hwnd under = root;
    ClassNames names(desktop);  // the links search within one tree: each class is read once
    for (const ChainLink& link : links) {
        const Hwnd window = FindAnchor(desktop, link.underRoot ? root : under, link.anchor, &names);
        if (desktop.NotResponding()) return result::kNotResponding;
        if (report != nullptr) report->push_back({link.name, link.anchor, link.missingCode, window, {}});
        if (IsNull(window)) return link.missingCode;
        under = window;
    }
    found = under;
    return result::kSuccess;
}

std::u16string DescribeAnchor(const AnchorSpec& anchor) {
    std::u16string what(anchor.recogniser.className);
    std::u16string texts;
    for (std::u16string_view t : anchor.recogniser.texts) {
        if (t.empty()) continue;
        if (!texts.empty()) texts += u" or ";
        texts += u"\"";
        texts += t;
        texts += u"\"";
    }
    if (!texts.empty()) {
        what += anchor.recogniser.match == TextMatch::Contains ? u" containing " : u" ";
        what += texts;
    }
    switch (anchor.search) {
        case AnchorSearch::DirectChild: return u"direct child " + what;
        case AnchorSearch::Descendant: return u"descendant " + what;
        case AnchorSearch::FirstChild: return u"first child";
        case AnchorSearch::Known: return u"found before";
        case AnchorSearch::InChildDialog:
            return u"direct child " + what + u" of the first child " + std::u16string(anchor.dialogClass) +
                   u" holding one";
    }
    return what;
}

}  // namespace qm
