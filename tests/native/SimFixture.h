// What the native tests share: a fresh simulated world and module state per
// test, an MDI frame to build on, and the comparison of a recorded sequence
// with an expected table.
#pragma once

#include "hook/MdiHook.h"
#include "hook/ModuleReference.h"
#include "layout/LayoutContext.h"
#include "layout/PatternList.h"
#include "platform/sim/SimControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// Placeholders for the registered messages in expected sequences; they are
// resolved against HookState when compared.
constexpr UINT Relayout = 0xFFFF0001;
constexpr UINT Unhook = 0xFFFF0002;

struct Step {
    sim::Event Kind;
    int Window;  // creation index, -1 for none
    UINT Message;  // for Shown, the ShowWindow command
};

// The calls recorded since the last sim::ClearCalls, without registrations.
std::vector<sim::Call> RecordedCalls();
std::string Describe(const sim::Call& call);

// Compares the recorded sequence with an expected table and, on a mismatch,
// prints the whole trace.
void ExpectSequence(const std::vector<Step>& expected, const char* file, int line);
#define EXPECT_SEQUENCE(...) ::test::ExpectSequence(__VA_ARGS__, __FILE__, __LINE__)

std::vector<sim::Call> CallsOf(sim::Event kind);

// A host's MDI frame with its client; the client area is the client's
// rectangle, at (10, 20) in the frame.
struct MdiWorld {
    HWND Frame;
    HWND Client;

    explicit MdiWorld(int clientWidth = 800, int clientHeight = 600, DWORD thread = sim::MainThread);
    HWND AddChild(const std::u16string& title, const RECT& rect, LONG style = WS_THICKFRAME, bool visible = true,
                  DWORD thread = sim::MainThread);
    HWND AddControl(HWND child, const std::u16string& className = u"Edit");
};

void SetOrder(std::initializer_list<const char16_t*> entries);
void SetIgnore(std::initializer_list<const char16_t*> entries);

// Resets the simulated world and the module's globals around every test.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace test
