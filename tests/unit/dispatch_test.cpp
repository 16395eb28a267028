// Request dispatch: the choice of operation and adapter, and the codes request
// handling owns (2, 3, 99), with a recording adapter on the fake desktop.
#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/result_codes.h"
#include "testing/fake_desktop.h"

namespace qm {
namespace {

enum class Behaviour { Answer, ThrowStd, ThrowOther, Hang, WriteLongMessage };

struct Record {
    std::string called;
    const DelayProfile* profile = nullptr;
    int requireBranch = -1;
    int finishAction = -1;
    std::u16string readScript;
    std::u16string pointScript;
    Module oleacc{};
};
Record g_record;
Behaviour g_behaviour = Behaviour::Answer;

class RecordingPort final : public CCallPort {
public:
    using CCallPort::CCallPort;
    Hwnd FindMainWindow() override { return {}; }
    int ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message) override {
        g_record.called = "ReadOrder";
        g_record.oleacc = oleacc;
        g_record.readScript = readScript;
        return Act(order, message);
    }
    int EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
                   int requireBranch, std::u16string& message, int finishAction) override {
        g_record.called = "EnterOrder";
        g_record.oleacc = oleacc;
        g_record.readScript = readScript;
        g_record.pointScript = pointScript;
        g_record.requireBranch = requireBranch;
        g_record.finishAction = finishAction;
        return Act(order, message);
    }
    void CloseEntryWindows(Hwnd) override {}

private:
    int Act(OrderRecord* order, std::u16string& message) {
        g_record.profile = profile;
        switch (g_behaviour) {
        case Behaviour::ThrowStd: throw std::out_of_range("index out of range");
        case Behaviour::ThrowOther: throw 42;
        case Behaviour::Hang: {
            auto& fake = static_cast<testing::FakeDesktop&>(desktop);
            Hwnd w = fake.Create({.className = u"Hung"});
            fake.SetHung(w);
            desktop.Send(w, msg::WM_GETTEXTLENGTH, 0, 0);
            message = u"partly done";
            return 0;
        }
        case Behaviour::WriteLongMessage: message.assign(5000, u'm'); return 0;
        case Behaviour::Answer: break;
        }
        WriteField(order->branchName, u"강남");
        message = u"done";
        return 17;
    }
};

constexpr AdapterEntry kTestAdapters[] = {
    {5, "Recording", [](Desktop& d, const DelayProfile& p) -> std::unique_ptr<CCallPort> {
         return std::make_unique<RecordingPort>(d, p);
     }},
};

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override {
        g_record = {};
        g_behaviour = Behaviour::Answer;
        std::memset(block.get(), 0, sizeof(RequestBlock));
        block->order.adapterKind = 5;
        WriteField(block->message, u"caller's text");
    }
    void Serve() { ServeRequest(*block, desktop, static_cast<Module>(0x1234), kTestAdapters); }

    testing::FakeDesktop desktop;
    std::unique_ptr<RequestBlock> block = std::make_unique<RequestBlock>();
};

TEST_F(Dispatch, ModeZeroEntersEveryOtherModeReads) {
    struct Case { int mode; const char* expected; };
    for (const Case& c : {Case{0, "EnterOrder"}, Case{1, "ReadOrder"}, Case{5, "ReadOrder"}, Case{9, "ReadOrder"},
                          Case{-1, "ReadOrder"}}) {
        SetUp();
        block->mode = c.mode;
        Serve();
        EXPECT_EQ(g_record.called, c.expected) << c.mode;
        EXPECT_EQ(block->result, 17);
        EXPECT_EQ(ReadField(block->message), u"done");
        EXPECT_EQ(ReadField(block->order.branchName), u"강남");
    }
}

TEST_F(Dispatch, HandsTheAdapterTheBlocksSettings) {
    block->speed = 1;
    block->requireBranch = 1;
    block->finishAction = 4;
    WriteField(block->readScript, u"read()");
    WriteField(block->pointScript, u"point(%f,%f)");
    Serve();
    EXPECT_EQ(g_record.profile, &kSlowProfile);
    EXPECT_EQ(g_record.requireBranch, 1);
    EXPECT_EQ(g_record.finishAction, 4);
    EXPECT_EQ(g_record.readScript, u"read()");
    EXPECT_EQ(g_record.pointScript, u"point(%f,%f)");
    EXPECT_EQ(g_record.oleacc, static_cast<Module>(0x1234));
}

TEST_F(Dispatch, AnAdapterKindNobodyServesIs2AndKeepsTheMessage) {
    for (int kind : {0, 7, -1}) {
        SetUp();
        block->order.adapterKind = kind;
        Serve();
        EXPECT_EQ(block->result, result::kAdapterNotServed);
        EXPECT_EQ(ReadField(block->message), u"caller's text");
        EXPECT_EQ(g_record.called, "");
    }
}

TEST_F(Dispatch, AnyExceptionBecomesResult3WithItsText) {
    g_behaviour = Behaviour::ThrowStd;
    Serve();
    EXPECT_EQ(block->result, result::kException);
    EXPECT_EQ(ReadField(block->message), u"index out of range");

    SetUp();
    g_behaviour = Behaviour::ThrowOther;
    Serve();
    EXPECT_EQ(block->result, result::kException);
    EXPECT_FALSE(ReadField(block->message).empty());
}

TEST_F(Dispatch, ADispatchProgramThatStoppedAnsweringIs99) {
    g_behaviour = Behaviour::Hang;
    Serve();
    EXPECT_EQ(block->result, result::kNotResponding);
    EXPECT_NE(ReadField(block->message).find(u"stopped answering"), std::u16string::npos);
}

TEST_F(Dispatch, TheMessageIsCutTo999Characters) {
    g_behaviour = Behaviour::WriteLongMessage;
    Serve();
    EXPECT_EQ(ReadField(block->message).size(), 999u);
}

TEST_F(Dispatch, CallerTextsWithoutTerminatorStayInTheirFields) {
    std::fill(std::begin(block->readScript), std::end(block->readScript), u'r');
    std::fill(std::begin(block->pointScript), std::end(block->pointScript), u'p');
    block->mode = 0;
    Serve();
    EXPECT_EQ(g_record.readScript, std::u16string(299, u'r'));
    EXPECT_EQ(g_record.pointScript, std::u16string(1199, u'p'));
}

}  // namespace
}  // namespace qm
