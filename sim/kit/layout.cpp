#include "sim/kit/layout.h"

#include <utility>

namespace qm::sim::kit {

LayoutNode LayoutNode::ReadOnly() const {
    LayoutNode n = *this;
    n.readOnly = true;
    return n;
}
LayoutNode LayoutNode::Class(std::u16string cls) const {
    LayoutNode n = *this;
    n.className = std::move(cls);
    return n;
}
LayoutNode LayoutNode::CommandsTo(std::string target) const {
    LayoutNode n = *this;
    n.commandTarget = std::move(target);
    return n;
}
LayoutNode LayoutNode::Holding(std::vector<LayoutNode> kids) const {
    LayoutNode n = *this;
    n.children = std::move(kids);
    return n;
}
LayoutNode LayoutNode::Hidden() const {
    LayoutNode n = *this;
    n.visible = false;
    return n;
}

namespace {
LayoutNode Node(std::string name, Behaviour b, std::u16string text, int id, Rect rect) {
    LayoutNode n;
    n.name = std::move(name);
    n.behaviour = b;
    n.text = std::move(text);
    n.id = id;
    n.rect = rect;
    return n;
}
}  // namespace

LayoutNode Window(std::string name, std::u16string className, std::u16string text, int id, Rect rect) {
    return Node(std::move(name), Behaviour::Container, std::move(text), id, rect).Class(std::move(className));
}
LayoutNode Dialog(std::string name, std::u16string text, int id, Rect rect) {
    return Node(std::move(name), Behaviour::Dialog, std::move(text), id, rect);
}
LayoutNode Edit(std::string name, int id, Rect rect) { return Node(std::move(name), Behaviour::Edit, u"", id, rect); }
LayoutNode Label(std::u16string text, int id, Rect rect, std::string name) {
    return Node(std::move(name), Behaviour::Label, std::move(text), id, rect);
}
LayoutNode Button(std::string name, std::u16string text, int id, Rect rect) {
    return Node(std::move(name), Behaviour::Button, std::move(text), id, rect);
}
LayoutNode CheckBox(std::string name, std::u16string text, int id, Rect rect) {
    return Node(std::move(name), Behaviour::CheckBox, std::move(text), id, rect);
}
LayoutNode Combo(std::string name, int id, Rect rect, std::vector<std::u16string> items, int selection) {
    LayoutNode n = Node(std::move(name), Behaviour::Combo, u"", id, rect);
    n.items = std::move(items);
    n.selection = selection;
    return n;
}
LayoutNode Browser(std::string name, int id, Rect rect) {
    return Node(std::move(name), Behaviour::Browser, u"", id, rect);
}

LayoutNode* FindNode(std::vector<LayoutNode>& nodes, const std::string& name) {
    for (LayoutNode& n : nodes) {
        if (n.name == name) return &n;
        if (LayoutNode* inner = FindNode(n.children, name)) return inner;
    }
    return nullptr;
}

const LayoutNode* FindNode(const std::vector<LayoutNode>& nodes, const std::string& name) {
    return FindNode(const_cast<std::vector<LayoutNode>&>(nodes), name);
}

Hwnd Built::Get(const std::string& name) const {
    auto it = named.find(name);
    return it == named.end() ? kNoWindow : it->second;
}

WindowSpec DescriptionOf(const LayoutNode& node) {
    WindowSpec s;
    s.behaviour = node.behaviour;
    s.className = node.className;
    s.text = node.text;
    s.id = node.id;
    s.rect = node.rect;
    s.visible = node.visible;
    s.readOnly = node.readOnly;
    s.items = node.items;
    s.selection = node.selection;
    s.editable = node.editable;
    return s;
}

namespace {

void Build(Host& host, const LayoutNode& node, Hwnd parent, Hwnd owner, const OmitRule& omit, Built& out) {
    WindowSpec s = DescriptionOf(node);
    s.parent = parent;
    s.owner = owner;
    if (!node.commandTarget.empty()) {
        const Hwnd target = out.Get(node.commandTarget);
        if (IsNull(target)) return;  // its target was left out: so is it
        s.commandTarget = target;
    }
    if (omit && omit(s)) return;
    const Hwnd h = host.Create(s);
    if (IsNull(h)) return;
    out.made.push_back(h);
    if (!node.name.empty()) out.named[node.name] = h;
    for (const LayoutNode& child : node.children) Build(host, child, h, kNoWindow, omit, out);
}

}  // namespace

Built BuildChildren(Host& host, const std::vector<LayoutNode>& nodes, Hwnd parent, const OmitRule& omit,
                    std::map<std::string, Hwnd> known) {
    Built out;
    out.named = std::move(known);
    for (const LayoutNode& n : nodes) Build(host, n, parent, kNoWindow, omit, out);
    return out;
}

Built BuildTopLevel(Host& host, const LayoutNode& root, Hwnd owner, const OmitRule& omit) {
    Built out;
    Build(host, root, kNoWindow, owner, omit, out);
    return out;
}

}  // namespace qm::sim::kit
