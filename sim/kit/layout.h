// A substitute's windows as data: a nested table of windows (behaviour and
// class, text, id, an explicit rectangle, children), built on any Host.
//
//   const std::vector<kit::LayoutNode> kList = {
//       kit::Edit("phone", 1001, {10, 10, 140, 36}),
//       kit::Label(u"현금", 1100, {10, 44, 50, 70}),
//       kit::Dialog("memoBox", 1300, {60, 44, 360, 100})
//           .Holding({kit::Edit("memo", 1014, {2, 2, 298, 54}).CommandsTo("entry")}),
//   };
//   kit::Built built = kit::BuildChildren(host, kList, entryWindow, omit, {{"entry", entryWindow}});
//   built.Get("phone");
//
// Children are created in table order, so the table's order is the z-order
// (GW_CHILD gives the first row, GW_HWNDNEXT the next). A child's rectangle is
// in its parent's client coordinates, a top-level window's on the screen: the
// place of a control can be read from the table (its centre, the point 10
// pixels below it).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/host.h"

namespace qm::sim::kit {

struct LayoutNode {
    std::string name;  // how the program finds the window after building; "" none
    Behaviour behaviour = Behaviour::Container;
    std::u16string className;  // empty: the behaviour's standard class
    std::u16string text;
    int id = 0;
    Rect rect{};
    bool readOnly = false;               // Edit
    std::vector<std::u16string> items;   // Combo
    int selection = -1;                  // Combo
    bool editable = false;               // Combo
    bool visible = true;
    std::string commandTarget;           // the name of a window built before it; "" the parent
    std::vector<LayoutNode> children;

    LayoutNode ReadOnly() const;
    LayoutNode Class(std::u16string cls) const;
    LayoutNode CommandsTo(std::string target) const;
    LayoutNode Holding(std::vector<LayoutNode> kids) const;
    LayoutNode Hidden() const;
};

LayoutNode Window(std::string name, std::u16string className, std::u16string text, int id, Rect rect);
LayoutNode Dialog(std::string name, std::u16string text, int id, Rect rect);
LayoutNode Edit(std::string name, int id, Rect rect);
LayoutNode Label(std::u16string text, int id, Rect rect, std::string name = {});
LayoutNode Button(std::string name, std::u16string text, int id, Rect rect);
LayoutNode CheckBox(std::string name, std::u16string text, int id, Rect rect);
LayoutNode Combo(std::string name, int id, Rect rect, std::vector<std::u16string> items, int selection = -1);
LayoutNode Browser(std::string name, int id, Rect rect);

// The node of that name, depth first; null when none.
LayoutNode* FindNode(std::vector<LayoutNode>& nodes, const std::string& name);
const LayoutNode* FindNode(const std::vector<LayoutNode>& nodes, const std::string& name);

// What a program leaves out: true for a window it never creates (its children
// are left out with it).
using OmitRule = std::function<bool(const WindowSpec&)>;

struct Built {
    std::map<std::string, Hwnd> named;  // the named windows that were made
    std::vector<Hwnd> made;             // every window made, in creation order
    Hwnd Get(const std::string& name) const;
};

// Creates nodes as children of parent, their children inside them.
// `known` names windows made before (for CommandsTo); omit may be empty.
Built BuildChildren(Host& host, const std::vector<LayoutNode>& nodes, Hwnd parent, const OmitRule& omit,
                    std::map<std::string, Hwnd> known = {});
// Creates root as a top-level window (owned by owner, or unowned) and its children.
Built BuildTopLevel(Host& host, const LayoutNode& root, Hwnd owner, const OmitRule& omit);

// The window description a node makes (without parent, owner and target).
WindowSpec DescriptionOf(const LayoutNode& node);

}  // namespace qm::sim::kit
