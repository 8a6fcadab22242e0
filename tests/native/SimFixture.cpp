#include "SimFixture.h"

#include <sstream>

namespace test {

namespace {

const char* EventName(sim::Event kind)
{
    switch (kind) {
    case sim::Event::Received: return "Received";
    case sim::Event::Posted: return "Posted";
    case sim::Event::Dispatched: return "Dispatched";
    case sim::Event::Sent: return "Sent";
    case sim::Event::Subclassed: return "Subclassed";
    case sim::Event::Unsubclassed: return "Unsubclassed";
    case sim::Event::Shown: return "Shown";
    case sim::Event::Moved: return "Moved";
    case sim::Event::Registered: return "Registered";
    }
    return "?";
}

UINT Resolve(UINT message)
{
    if (message == Relayout)
        return pellorin::HookState.RelayoutMessage;
    if (message == Unhook)
        return pellorin::HookState.UnhookMessage;
    return message;
}

std::string MessageName(UINT message)
{
    if (message != 0 && message == pellorin::HookState.RelayoutMessage)
        return "Relayout";
    if (message != 0 && message == pellorin::HookState.UnhookMessage)
        return "Unhook";
    switch (message) {
    case WM_DESTROY: return "WM_DESTROY";
    case WM_SIZE: return "WM_SIZE";
    case WM_IME_SETCONTEXT: return "WM_IME_SETCONTEXT";
    }
    std::ostringstream out;
    out << "0x" << std::hex << message;
    return out.str();
}

}  // namespace

std::vector<sim::Call> RecordedCalls()
{
    std::vector<sim::Call> calls;
    for (const sim::Call& call : sim::Calls()) {
        if (call.Kind != sim::Event::Registered)
            calls.push_back(call);
    }
    return calls;
}

std::vector<sim::Call> CallsOf(sim::Event kind)
{
    std::vector<sim::Call> calls;
    for (const sim::Call& call : sim::Calls()) {
        if (call.Kind == kind)
            calls.push_back(call);
    }
    return calls;
}

std::string Describe(const sim::Call& call)
{
    std::ostringstream out;
    out << EventName(call.Kind) << " w" << sim::IndexOf(call.Window);
    switch (call.Kind) {
    case sim::Event::Moved:
        out << " (" << call.X << ", " << call.Y << ", " << call.Width << ", " << call.Height << ") flags 0x" << std::hex
            << call.Flags;
        break;
    case sim::Event::Shown:
        out << " command " << call.Command;
        break;
    case sim::Event::Subclassed:
    case sim::Event::Unsubclassed:
        break;
    default:
        out << " " << MessageName(call.Message);
    }
    out << " [thread " << call.Thread << "]";
    return out.str();
}

void ExpectSequence(const std::vector<Step>& expected, const char* file, int line)
{
    const std::vector<sim::Call> calls = RecordedCalls();
    bool same = calls.size() == expected.size();
    for (std::size_t i = 0; same && i < calls.size(); ++i) {
        const bool hasMessage = calls[i].Kind == sim::Event::Received || calls[i].Kind == sim::Event::Posted ||
                                calls[i].Kind == sim::Event::Dispatched || calls[i].Kind == sim::Event::Sent;
        same = calls[i].Kind == expected[i].Kind && sim::IndexOf(calls[i].Window) == expected[i].Window &&
               (!hasMessage || calls[i].Message == Resolve(expected[i].Message)) &&
               (calls[i].Kind != sim::Event::Shown || calls[i].Command == static_cast<int>(expected[i].Message));
    }
    if (same)
        return;
    std::ostringstream trace;
    trace << "recorded sequence differs from the expected one\nexpected:\n";
    for (const Step& step : expected)
        trace << "  " << EventName(step.Kind) << " w" << step.Window << " "
              << (step.Kind == sim::Event::Shown ? "command " + std::to_string(step.Message)
                                                 : MessageName(Resolve(step.Message)))
              << "\n";
    trace << "recorded:\n";
    for (const sim::Call& call : calls)
        trace << "  " << Describe(call) << "\n";
    ADD_FAILURE_AT(file, line) << trace.str();
}

MdiWorld::MdiWorld(int clientWidth, int clientHeight, DWORD thread)
{
    sim::WindowSpec frame;
    frame.ClassName = u"HostFrame";
    frame.Title = u"Host";
    frame.Rect = RECT{100, 100, 100 + clientWidth + 20, 100 + clientHeight + 40};
    frame.Thread = thread;
    Frame = sim::CreateWindow(frame);

    sim::WindowSpec client;
    client.Parent = Frame;
    client.ClassName = u"MDIClient";
    client.Style = WS_CHILD;
    client.Rect = RECT{10, 20, 10 + clientWidth, 20 + clientHeight};
    client.Thread = thread;
    Client = sim::CreateWindow(client);
}

HWND MdiWorld::AddChild(const std::u16string& title, const RECT& rect, LONG style, bool visible, DWORD thread)
{
    sim::WindowSpec child;
    child.Parent = Client;
    child.ClassName = u"MdiChild";
    child.Title = title;
    child.Style = style | WS_CHILD;
    child.Visible = visible;
    child.Rect = rect;
    child.Thread = thread;
    return sim::CreateWindow(child);
}

HWND MdiWorld::AddControl(HWND child, const std::u16string& className)
{
    sim::WindowSpec control;
    control.Parent = child;
    control.ClassName = className;
    control.Title = u"control";
    control.Style = WS_CHILD | WS_THICKFRAME;
    control.Rect = RECT{2, 2, 50, 20};
    return sim::CreateWindow(control);
}

static void Fill(pellorin::PatternList& list, std::initializer_list<const char16_t*> entries)
{
    list.clear();
    for (const char16_t* entry : entries)
        list.emplace_back(entry);
}

void SetOrder(std::initializer_list<const char16_t*> entries) { Fill(pellorin::OrderList, entries); }
void SetIgnore(std::initializer_list<const char16_t*> entries) { Fill(pellorin::IgnoreList, entries); }

static void ResetModule()
{
    pellorin::HookState = pellorin::HookStateRecord{0, 0, nullptr, false};
    pellorin::OrderList.clear();
    pellorin::IgnoreList.clear();
}

void SimTest::SetUp()
{
    sim::Reset();
    ResetModule();
}

void SimTest::TearDown()
{
    sim::OnCall(nullptr);
    sim::FailAllocation(0);
    sim::SetCurrentThread(sim::MainThread);
    pellorin::RemoveHook();
    pellorin::ReleaseModuleIfUnhooked();
    ResetModule();
    sim::Reset();
}

}  // namespace test
