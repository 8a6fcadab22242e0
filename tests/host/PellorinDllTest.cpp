// Pellorin.dll driven through its three exports, as the host drives it: a
// real MDI frame, client and children under Wine, and the rectangles the
// children end up with compared against the tiling rule.
#include "HostWindow.h"

#include "support/ClientRecorder.h"
#include "support/ModuleMessages.h"
#include "support/PellorinLibrary.h"
#include "support/Rects.h"
#include "support/TileRule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using support::ByTopEdge;
using support::Describe;
using support::ExpectedTileNow;
using support::RectInParent;

namespace {

const RECT FrameRect = {30, 30, 930, 670};

// Two more windows beside the chat session: a private conversation the
// tests hide, and a notify list the tests take the sizing border from.
std::vector<host::ChildDescription> TestChildren()
{
    std::vector<host::ChildDescription> children = host::ChatSession();
    children.push_back({L"carol", {172, 220, 552, 420}, false, L"<carol> ping"});
    children.push_back({L"Notify", {204, 262, 504, 402}, false, L"alice, bob, carol"});
    return children;
}

// What reaches the MDI client of the module's own messages, noted by a
// recorder of the test's below the module's subclass.
const UINT_PTR TraceId = 1;

struct Snapshot {
    HWND Window;
    RECT Rect;
    bool Visible;
};

class PellorinDll : public ::testing::Test {
protected:
    // One frame for all the tests, new children for each (see
    // HostWindow::Reset).
    static void SetUpTestSuite() { sharedWindow_ = new host::HostWindow; }

    static void TearDownTestSuite()
    {
        delete sharedWindow_;
        sharedWindow_ = nullptr;
        host::PumpMessages();
    }

    void SetUp() override
    {
        ASSERT_TRUE(dll_.Load(support::PellorinBesideProgram()))
            << "Pellorin.dll must sit beside the test program";
        registered_ = dll_.LoadDll(hostData_);
        ASSERT_TRUE(window_.Reset(FrameRect, TestChildren()));
        ASSERT_TRUE(support::RecordClient(window_.Client(), TraceId, trace_));
        host::PumpMessages();
    }

    void TearDown() override
    {
        if (dll_.Loaded())
            dll_.UnloadDll(0);
        support::StopRecordingClient(window_.Client(), TraceId);
        host::PumpMessages();
        dll_.Free();
    }

    HWND Child(const wchar_t* prefix) const
    {
        HWND child = window_.Child(prefix);
        EXPECT_NE(nullptr, child) << "no child titled " << std::string(prefix, prefix + wcslen(prefix));
        return child;
    }

    std::vector<HWND> Children(std::initializer_list<const wchar_t*> prefixes) const
    {
        std::vector<HWND> children;
        for (const wchar_t* prefix : prefixes)
            children.push_back(Child(prefix));
        return children;
    }

    void Install(const char* text)
    {
        std::string buffer = text;
        EXPECT_EQ(1, dll_.InstallHook(window_.Frame(), &buffer[0]));
        EXPECT_EQ(text, buffer) << "InstallHook wrote into the host's text";
        host::PumpMessages();
    }

    void ResizeFrame(int width, int height)
    {
        SetWindowPos(window_.Frame(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The tiles from top to bottom: each visible, not maximized, and in its
    // band of the MDI client as it is now.
    void ExpectTiles(const std::vector<HWND>& tiles, const char* when) const
    {
        const UINT count = static_cast<UINT>(tiles.size());
        for (UINT index = 0; index < count; ++index) {
            HWND tile = tiles[index];
            SCOPED_TRACE(std::string(when) + ", tile " + std::to_string(index) + " " + Title(tile));
            EXPECT_TRUE(IsWindowVisible(tile));
            EXPECT_FALSE(GetWindowLongW(tile, GWL_STYLE) & WS_MAXIMIZE);
            EXPECT_EQ(Describe(ExpectedTileNow(window_.Client(), index, count)), Describe(RectInParent(tile)));
        }
    }

    std::vector<Snapshot> Take() const
    {
        std::vector<Snapshot> snapshots;
        for (HWND child : window_.Children())
            snapshots.push_back({child, RectInParent(child), IsWindowVisible(child) != FALSE});
        return snapshots;
    }

    void ExpectUnchanged(const std::vector<Snapshot>& before, const char* when) const
    {
        for (const Snapshot& snapshot : before) {
            SCOPED_TRACE(std::string(when) + ", " + Title(snapshot.Window));
            EXPECT_EQ(Describe(snapshot.Rect), Describe(RectInParent(snapshot.Window)));
            EXPECT_EQ(snapshot.Visible, IsWindowVisible(snapshot.Window) != FALSE);
        }
    }

    // With no hook on the client, a frame resize leaves every child as it
    // was and brings no relayout message.
    void ExpectResizeIgnored(int width, int height, const char* when)
    {
        const std::vector<Snapshot> before = Take();
        trace_.Relayouts = 0;
        ResizeFrame(width, height);
        host::PumpMessages();
        ExpectUnchanged(before, when);
        EXPECT_EQ(0, trace_.Relayouts) << when;
    }

    // The controls inside the channel window are where its own layout put
    // them, still visible: the module never touches them.
    void ExpectChannelControlsUntouched(HWND channel) const
    {
        RECT client;
        GetClientRect(channel, &client);
        const host::ChatControlRects rects = host::LayoutChatControls(client);
        const struct {
            int Id;
            RECT Rect;
        } controls[] = {{host::LogId, rects.Log}, {host::NicksId, rects.Nicks}, {host::InputId, rects.Input}};
        for (const auto& control : controls) {
            SCOPED_TRACE("control " + std::to_string(control.Id));
            HWND window = GetDlgItem(channel, control.Id);
            ASSERT_NE(nullptr, window);
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_EQ(Describe(control.Rect), Describe(RectInParent(window)));
        }
    }

    static std::string Title(HWND window)
    {
        char title[256] = "";
        GetWindowTextA(window, title, sizeof title);
        return title;
    }

    static host::HostWindow* sharedWindow_;
    support::PellorinLibrary dll_;
    host::HostWindow& window_ = *sharedWindow_;
    support::ClientRecord trace_;
    char hostData_[8] = "host";
    UINT registered_ = 0;
};

host::HostWindow* PellorinDll::sharedWindow_ = nullptr;

DWORD WINAPI UnloadOnOtherThread(LPVOID parameter)
{
    const auto* dll = static_cast<const support::PellorinLibrary*>(parameter);
    return static_cast<DWORD>(dll->UnloadDll(0));
}

TEST_F(PellorinDll, LoadDllReturnsTheRegisteredRelayoutMessage)
{
    EXPECT_NE(0u, registered_);
    EXPECT_EQ(support::RelayoutMessage(), registered_);
    EXPECT_STREQ("host", hostData_) << "LoadDll wrote into the host's data";
}

TEST_F(PellorinDll, InstallTilesInTextOrderAndLeavesTheRestAlone)
{
    HWND carol = Child(L"carol");
    HWND notify = Child(L"Notify");
    ShowWindow(carol, SW_HIDE);
    // Wine gives every MDI child a sizing border; take it away afterwards.
    SetWindowLongW(notify, GWL_STYLE, GetWindowLongW(notify, GWL_STYLE) & ~WS_THICKFRAME);
    SetWindowPos(notify, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    host::PumpMessages();
    const std::vector<Snapshot> untouched = {
        {Child(L"Status"), RectInParent(Child(L"Status")), true},
        {carol, RectInParent(carol), false},
        {notify, RectInParent(notify), true},
    };

    Install("#beta/**ignore**Status/#alpha");

    // Ordered entries first, then the rest by top edge, whatever the
    // enumeration (Z) order, which is the reverse of the creation order here.
    ExpectTiles(Children({L"#beta", L"#alpha", L"alice", L"bob"}), "after InstallHook");
    ExpectUnchanged(untouched, "ignored, hidden or without a sizing border");
    ExpectChannelControlsUntouched(Child(L"#alpha"));
}

TEST_F(PellorinDll, FrameResizesRetileThroughOneDeferredPass)
{
    Install("#beta/**ignore**Status/#alpha");
    const std::vector<HWND> tiles = Children({L"#beta", L"#alpha", L"alice", L"bob", L"carol", L"Notify"});
    ExpectTiles(tiles, "after InstallHook");
    const std::vector<Snapshot> installed = Take();
    trace_.Relayouts = 0;

    ResizeFrame(1000, 760);
    ResizeFrame(1100, 820);
    ResizeFrame(1040, 880);
    ExpectUnchanged(installed, "before the posted message is dispatched");
    host::PumpMessages();

    EXPECT_EQ(1, trace_.Relayouts) << "three resizes, one relayout message";
    ExpectTiles(tiles, "after the resizes");
    ExpectChannelControlsUntouched(Child(L"#alpha"));
}

TEST_F(PellorinDll, MaximizedChildIsTiledAloneAndTheOthersHidden)
{
    Install("#beta/**ignore**Status/#alpha");
    HWND alpha = Child(L"#alpha");
    HWND notify = Child(L"Notify");
    SetWindowLongW(notify, GWL_STYLE, GetWindowLongW(notify, GWL_STYLE) & ~WS_THICKFRAME);
    const RECT status = RectInParent(Child(L"Status"));

    // On Wine the activation that comes with the maximize sends the client
    // WM_IME_SETCONTEXT, which schedules the pass.
    SendMessageW(window_.Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(alpha), 0);
    host::PumpMessages();

    ExpectTiles({alpha}, "after the maximize");
    for (HWND hidden : Children({L"#beta", L"alice", L"bob", L"carol", L"Notify"}))
        EXPECT_FALSE(IsWindowVisible(hidden)) << Title(hidden) << " was not hidden";
    EXPECT_TRUE(IsWindowVisible(Child(L"Status"))) << "the ignored window was hidden";
    EXPECT_EQ(Describe(status), Describe(RectInParent(Child(L"Status"))));
    ExpectChannelControlsUntouched(alpha);

    // Once the host shows them again, the next pass tiles them all: nothing
    // is maximized any more.
    for (HWND shown : Children({L"#beta", L"alice", L"bob", L"carol"}))
        ShowWindow(shown, SW_SHOWNOACTIVATE);
    ResizeFrame(980, 700);
    host::PumpMessages();
    ExpectTiles(Children({L"#beta", L"#alpha", L"alice", L"bob", L"carol"}), "after showing them again");
}

TEST_F(PellorinDll, SecondInstallReplacesBothLists)
{
    Install("#beta/**ignore**Status/#alpha");
    ExpectTiles(Children({L"#beta", L"#alpha", L"alice", L"bob", L"carol", L"Notify"}), "first text");
    const RECT bob = RectInParent(Child(L"bob"));
    // The rest, Status among them now, in the order of the top edges the
    // first text gave them.
    const std::vector<HWND> rest = ByTopEdge(Children({L"Status", L"#beta", L"carol", L"Notify"}));

    // Titles match ASCII case-insensitively.
    Install("ALICE/#Alpha/**IGNORE**bob");

    std::vector<HWND> tiles = Children({L"alice", L"#alpha"});
    tiles.insert(tiles.end(), rest.begin(), rest.end());
    ExpectTiles(tiles, "second text");
    EXPECT_EQ(Describe(bob), Describe(RectInParent(Child(L"bob")))) << "bob is ignored by the second text";
}

TEST_F(PellorinDll, UnloadDllKeepsTheHookOnlyForOne)
{
    Install("#beta/#alpha");
    const std::vector<HWND> tiles = Children({L"#beta", L"#alpha", L"Status", L"alice", L"bob", L"carol", L"Notify"});

    EXPECT_EQ(0, dll_.UnloadDll(1));
    ResizeFrame(1000, 760);
    host::PumpMessages();
    ExpectTiles(tiles, "resized after UnloadDll(1)");

    EXPECT_EQ(1, dll_.UnloadDll(0));
    ExpectResizeIgnored(880, 620, "resized after UnloadDll(0)");
    EXPECT_EQ(1, dll_.UnloadDll(7)) << "any value but 1 answers 1, hooked or not";

    // The module dropped the reference it held on itself while hooked, so
    // the host's FreeLibrary unloads it.
    dll_.Free();
    EXPECT_EQ(nullptr, GetModuleHandleW(support::ModuleFileName));
}

TEST_F(PellorinDll, UnloadFromAnotherThreadIsCarriedOutOnTheUiThread)
{
    Install("#beta/#alpha");
    trace_.UnhookThreads.clear();

    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, UnloadOnOtherThread, &dll_, 0, &threadId);
    ASSERT_NE(nullptr, thread);
    // The other thread's UnloadDll waits on us: keep taking sent messages.
    const bool ended = support::PumpUntilSignalled(thread, 10000);
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    ASSERT_TRUE(ended) << "UnloadDll on the other thread did not return";
    EXPECT_EQ(1u, result);

    // Wine's RemoveWindowSubclass also works from another thread, so the
    // hook being gone is not enough: the unhook message must have reached
    // the client on its own thread.
    ASSERT_EQ(1u, trace_.UnhookThreads.size()) << "the unhook message did not reach the MDI client";
    EXPECT_EQ(GetCurrentThreadId(), trace_.UnhookThreads[0]);
    EXPECT_NE(threadId, trace_.UnhookThreads[0]);

    ExpectResizeIgnored(1000, 760, "resized after the other thread's UnloadDll");
}

TEST_F(PellorinDll, NullFrameHooksNothingAndNullTextTilesByTopEdge)
{
    const std::vector<Snapshot> untiled = Take();
    std::string text = "#beta/#alpha";
    EXPECT_EQ(1, dll_.InstallHook(nullptr, &text[0]));
    host::PumpMessages();
    ExpectUnchanged(untiled, "InstallHook without a frame");

    // The cascade's top edges follow the creation order, the reverse of the
    // enumeration (Z) order.
    ASSERT_EQ(window_.Children(), ByTopEdge(window_.Children()));
    EXPECT_EQ(1, dll_.InstallHook(window_.Frame(), nullptr));
    host::PumpMessages();
    ExpectTiles(window_.Children(), "InstallHook without a text");

    // A null frame also takes the earlier hook off.
    EXPECT_EQ(1, dll_.InstallHook(nullptr, &text[0]));
    ExpectResizeIgnored(1000, 760, "resized after InstallHook without a frame");
}

// The host frees the module while it is hooked, then resizes and destroys
// its frame. Run as a separate process, the stand-in host, so that a crash
// fails this test instead of ending the test program.
TEST(PellorinDllUnloadedWhileHooked, HostSurvivesAndLoadsTheModuleAgain)
{
    const std::wstring directory = support::ExecutableDirectory();
    std::wstring command = L"\"" + directory + L"\\pellorin_host.exe\" --unload-while-hooked --dll \"" + directory +
                           L"\\" + support::ModuleFileName + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &startup,
                               &process))
        << "cannot start pellorin_host.exe, error " << GetLastError();
    CloseHandle(process.hThread);
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, waited) << "the stand-in host did not finish";
    EXPECT_EQ(0u, exitCode) << "the stand-in host ended with 0x" << std::hex << exitCode;
}

}  // namespace
