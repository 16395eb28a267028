// What every substitute program is: a main window that answers the shared
// control commands, stored orders with their file, windows left out by --omit,
// a hang after a chosen command, and message boxes.
//
// A substitute derives from Substitute, builds its windows with Make or the
// layout builder (kit/layout.h) under Omit(), listens with Listen (so
// --hang-after-command holds for every window it listens at) and its main
// window with ListenMain, which answers first
//   0x7001      write the orders file now
//   0x7002      stop answering for --hang-ms
//   0x7100 + k  show stored order k in a filled entry window (ShowStoredOrder)
// and passes every other command on to the program.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/kit/layout.h"
#include "sim/kit/options.h"
#include "sim/kit/orders.h"

namespace qm::sim::kit {

class Substitute {
public:
    Substitute(Host& host, CommonOptions common);
    virtual ~Substitute() = default;
    Substitute(const Substitute&) = delete;
    Substitute& operator=(const Substitute&) = delete;

    // Creates the main window and what it holds; false when the main window could not be made.
    virtual bool Start() = 0;
    virtual Hwnd MainWindow() const = 0;
    // Shows stored order k in a filled entry window (the program's modify or
    // open-order state); null when there is no such order.
    virtual Hwnd ShowStoredOrder(std::size_t k) = 0;

    // Adds an order as if it had been saved earlier (tests, --open-order); its index.
    std::size_t AddOrder(StoredOrder order) { return book_.Add(std::move(order)); }
    const std::vector<StoredOrder>& Orders() const { return book_.Orders(); }
    std::string OrdersJson() const { return book_.Json(); }
    // Writes the orders file now (when one was given); false when it could not be written.
    bool WriteOrdersFile() const { return book_.Write(); }

protected:
    Host& host_;
    OrderBook& Book() { return book_; }
    const CommonOptions& Common() const { return common_; }

    // Whether --omit leaves this window out (by its text or its class).
    bool Omitted(const WindowSpec& desc) const;
    OmitRule Omit() const;
    // Creates the window unless it is left out.
    Hwnd Make(WindowSpec desc);
    // A command hook after which --hang-after-command takes hold.
    void Listen(Hwnd target, Host::CommandHandler handler);
    // The main window's hook: the shared control commands, then own.
    void ListenMain(Hwnd main, Host::CommandHandler own);
    // A message box, unless --omit leaves it out by its title.
    Hwnd Box(const MessageBoxSpec& desc, std::function<void(int)> onAnswer = nullptr);

private:
    CommonOptions common_;
    OrderBook book_;
};

}  // namespace qm::sim::kit
