// The simulated window system: a deterministic stand-in for the parts of
// USER32, COMCTL32 and KERNEL32 that the module relies on. It keeps a tree
// of windows, one message queue per simulated thread and a subclass chain per
// window, and records the calls made into it.
#include "SimControl.h"
#include "SimAllocator.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

namespace sim {
namespace {

struct SubclassNode {
    SUBCLASSPROC Proc;
    UINT_PTR Id;
    DWORD_PTR Data;
    bool Removed;
    std::shared_ptr<SubclassNode> Next;
};

struct Window {
    bool Alive = true;
    HWND Parent = nullptr;
    std::vector<HWND> Children;
    std::u16string ClassName;
    std::u16string Title;
    LONG Style = 0;
    bool Visible = true;
    RECT Rect{};
    int ClientWidth = -1;  // -1: the width of Rect
    int ClientHeight = -1;
    DWORD Thread = MainThread;
    WNDPROC Proc = nullptr;
    std::set<Op> Failures;
    std::shared_ptr<SubclassNode> Chain;
    // The subclass procedures running for this window, innermost last; a
    // null entry marks the window's own procedure.
    std::vector<std::shared_ptr<SubclassNode>> Running;
};

struct Posted {
    HWND Window;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};

struct World {
    std::vector<Window> Windows;
    std::map<DWORD, std::deque<Posted>> Queues;
    std::map<std::u16string, UINT> Messages;
    std::set<std::u16string> FailedRegistrations;
    std::vector<Call> Record;
    std::function<void(const Call&)> Observer;
    std::size_t PlatformCalls = 0;
    std::size_t Enumerations = 0;
    int FrameWidth = 4;
    int FrameHeight = 4;
    DWORD Thread = MainThread;
    DWORD LastError = 0;
    UINT CodePage = 1252;
    Conversion Script;
    std::size_t ConversionCalls = 0;
    int ModuleReferences = 0;
};

World& TheWorld()
{
    static World* world = [] {
        UncountedAllocations uncounted;
        return new World;
    }();
    return *world;
}

HWND HandleOf(std::size_t index) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(index + 1)); }

Window* Find(HWND window)
{
    World& world = TheWorld();
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(window);
    if (value == 0 || value > world.Windows.size())
        return nullptr;
    Window& found = world.Windows[value - 1];
    return found.Alive ? &found : nullptr;
}

Window& Expect(HWND window)
{
    Window* found = Find(window);
    if (!found)
        throw std::logic_error("simulated window system: no such window");
    return *found;
}

bool Fails(const Window& window, Op op) { return window.Failures.count(op) != 0; }

void Touch() { ++TheWorld().PlatformCalls; }

void Record(Call call)
{
    World& world = TheWorld();
    call.Thread = world.Thread;
    {
        UncountedAllocations uncounted;
        world.Record.push_back(call);
    }
    if (world.Observer)
        world.Observer(call);
}

Call MakeCall(Event kind, HWND window, UINT message = 0, WPARAM wParam = 0, LPARAM lParam = 0)
{
    Call call{};
    call.Kind = kind;
    call.Window = window;
    call.Message = message;
    call.WParam = wParam;
    call.LParam = lParam;
    return call;
}

// Runs a message through the window's subclass chain as its owning thread.
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CallOwnProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = Find(handle);
    if (!window)
        return 0;
    Record(MakeCall(Event::Received, handle, message, wParam, lParam));
    window = Find(handle);
    if (!window)
        return 0;
    WNDPROC proc = window->Proc;
    if (!proc)
        return DefaultResult(message);
    {
        UncountedAllocations uncounted;
        window->Running.push_back(nullptr);
    }
    const LRESULT result = proc(handle, message, wParam, lParam);
    if (Window* after = Find(handle))
        after->Running.pop_back();
    return result;
}

std::shared_ptr<SubclassNode> NextLive(std::shared_ptr<SubclassNode> node)
{
    while (node && node->Removed)
        node = node->Next;
    return node;
}

LRESULT CallFrom(HWND handle, std::shared_ptr<SubclassNode> node, UINT message, WPARAM wParam, LPARAM lParam)
{
    node = NextLive(node);
    if (!node)
        return CallOwnProcedure(handle, message, wParam, lParam);
    Window& window = Expect(handle);
    {
        UncountedAllocations uncounted;
        window.Running.push_back(node);
    }
    const LRESULT result = node->Proc(handle, message, wParam, lParam, node->Id, node->Data);
    if (Window* after = Find(handle))
        after->Running.pop_back();
    return result;
}

LRESULT Deliver(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = Find(handle);
    if (!window)
        return 0;
    World& world = TheWorld();
    const DWORD caller = world.Thread;
    world.Thread = window->Thread;
    const LRESULT result = CallFrom(handle, window->Chain, message, wParam, lParam);
    world.Thread = caller;
    return result;
}

void Unlink(Window& window, const std::shared_ptr<SubclassNode>& node)
{
    node->Removed = true;
    if (window.Chain == node) {
        window.Chain = node->Next;
        return;
    }
    for (auto link = window.Chain; link; link = link->Next) {
        if (link->Next == node) {
            link->Next = node->Next;
            return;
        }
    }
}

void CollectDescendants(HWND parent, std::vector<HWND>& out)
{
    for (HWND child : Expect(parent).Children) {
        out.push_back(child);
        CollectDescendants(child, out);
    }
}

void ScreenOrigin(HWND handle, LONG& x, LONG& y)
{
    x = 0;
    y = 0;
    for (Window* window = Find(handle); window; window = Find(window->Parent)) {
        x += window->Rect.left;
        y += window->Rect.top;
    }
}

// Windows-1252 bytes 0x80 to 0x9F; the five undefined ones map to themselves,
// as MultiByteToWideChar does without MB_ERR_INVALID_CHARS.
const char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::u16string DecodeCp1252(const unsigned char* text, std::size_t length)
{
    std::u16string units;
    units.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char byte = text[i];
        units.push_back(byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte));
    }
    return units;
}

// UTF-8 as Windows decodes it without MB_ERR_INVALID_CHARS: every ill-formed
// sequence becomes U+FFFD.
std::u16string DecodeUtf8(const unsigned char* text, std::size_t length)
{
    std::u16string units;
    units.reserve(length);
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = text[i];
        if (lead < 0x80) {
            units.push_back(lead);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) { extra = 1; code = lead & 0x1F; minimum = 0x80; }
        else if ((lead & 0xF0) == 0xE0) { extra = 2; code = lead & 0x0F; minimum = 0x800; }
        else if ((lead & 0xF8) == 0xF0) { extra = 3; code = lead & 0x07; minimum = 0x10000; }
        else {
            units.push_back(0xFFFD);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int taken = 0;
        while (taken < extra && j < length && (text[j] & 0xC0) == 0x80) {
            code = (code << 6) | (text[j] & 0x3F);
            ++j;
            ++taken;
        }
        if (taken < extra || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            // A truncated sequence is replaced as a whole, a malformed one by its lead.
            units.push_back(0xFFFD);
            i = taken < extra ? j : i + 1;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(char16_t(0xD800 + (code >> 10)));
            units.push_back(char16_t(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(char16_t(code));
        }
        i = j;
    }
    return units;
}

}  // namespace

void Reset()
{
    World& world = TheWorld();
    UncountedAllocations uncounted;
    world = World();
}

HWND CreateWindow(const WindowSpec& description)
{
    World& world = TheWorld();
    UncountedAllocations uncounted;
    Window window;
    window.Parent = description.Parent;
    window.ClassName = description.ClassName;
    window.Title = description.Title;
    window.Style = description.Style & ~WS_VISIBLE;
    window.Visible = description.Visible;
    window.Rect = description.Rect;
    window.Thread = description.Thread;
    window.Proc = description.Proc;
    world.Windows.push_back(window);
    const HWND handle = HandleOf(world.Windows.size() - 1);
    if (description.Parent)
        Expect(description.Parent).Children.push_back(handle);
    return handle;
}

void DestroyWindow(HWND handle)
{
    if (!Find(handle))
        return;
    Deliver(handle, WM_DESTROY, 0, 0);
    std::vector<HWND> descendants;
    {
        UncountedAllocations uncounted;
        CollectDescendants(handle, descendants);
    }
    for (HWND child : descendants)
        Deliver(child, WM_DESTROY, 0, 0);
    descendants.push_back(handle);
    for (HWND gone : descendants) {
        if (Window* window = Find(gone)) {
            window->Chain.reset();
            window->Alive = false;
        }
    }
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    Window& destroyed = TheWorld().Windows[value - 1];
    if (Window* parent = Find(destroyed.Parent)) {
        auto& siblings = parent->Children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    }
}

bool IsAlive(HWND window) { return Find(window) != nullptr; }

int IndexOf(HWND window)
{
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(window);
    if (value == 0 || value > TheWorld().Windows.size())
        return -1;
    return static_cast<int>(value - 1);
}

void SetTitle(HWND window, const std::u16string& title)
{
    UncountedAllocations uncounted;
    Expect(window).Title = title;
}

void SetStyle(HWND window, LONG style) { Expect(window).Style = style & ~WS_VISIBLE; }
void SetVisible(HWND window, bool visible) { Expect(window).Visible = visible; }
void SetRect(HWND window, const RECT& rect) { Expect(window).Rect = rect; }

void SetClientSize(HWND window, int width, int height)
{
    Window& found = Expect(window);
    found.ClientWidth = width;
    found.ClientHeight = height;
}

RECT RectOf(HWND window) { return Expect(window).Rect; }
LONG StyleOf(HWND window) { return Expect(window).Style; }
bool VisibleFlag(HWND window) { return Expect(window).Visible; }

void SetSystemMetric(int index, int value)
{
    if (index == SM_CXFRAME)
        TheWorld().FrameWidth = value;
    else if (index == SM_CYFRAME)
        TheWorld().FrameHeight = value;
}

void Fail(HWND window, Op op)
{
    UncountedAllocations uncounted;
    Expect(window).Failures.insert(op);
}

void FailRegistration(const std::u16string& name)
{
    UncountedAllocations uncounted;
    TheWorld().FailedRegistrations.insert(name);
}

void SetCurrentThread(DWORD thread) { TheWorld().Thread = thread; }
DWORD CurrentThread() { return TheWorld().Thread; }

std::size_t Dispatch(DWORD thread, std::size_t limit)
{
    World& world = TheWorld();
    std::size_t dispatched = 0;
    while (dispatched < limit) {
        auto queue = world.Queues.find(thread);
        if (queue == world.Queues.end() || queue->second.empty())
            break;
        const Posted message = queue->second.front();
        queue->second.pop_front();
        ++dispatched;
        if (!Find(message.Window))
            continue;
        const DWORD caller = world.Thread;
        world.Thread = thread;
        Record(MakeCall(Event::Dispatched, message.Window, message.Message, message.WParam, message.LParam));
        Deliver(message.Window, message.Message, message.WParam, message.LParam);
        world.Thread = caller;
    }
    return dispatched;
}

std::size_t QueueLength(DWORD thread)
{
    auto queue = TheWorld().Queues.find(thread);
    return queue == TheWorld().Queues.end() ? 0 : queue->second.size();
}

const std::vector<Call>& Calls() { return TheWorld().Record; }
void ClearCalls() { TheWorld().Record.clear(); }
std::size_t PlatformCallCount() { return TheWorld().PlatformCalls; }
std::size_t EnumerationCount() { return TheWorld().Enumerations; }

void OnCall(std::function<void(const Call&)> observer)
{
    UncountedAllocations uncounted;
    TheWorld().Observer = std::move(observer);
}

void SetAnsiCodePage(UINT codePage) { TheWorld().CodePage = codePage; }

void ScriptConversion(Conversion conversion)
{
    UncountedAllocations uncounted;
    TheWorld().Script = std::move(conversion);
}

std::size_t ConversionCalls() { return TheWorld().ConversionCalls; }
int ModuleReferences() { return TheWorld().ModuleReferences; }

}  // namespace sim

using namespace sim;

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param)
{
    Touch();
    ++TheWorld().Enumerations;
    if (!Find(parent))
        return FALSE;
    std::vector<HWND> children;
    {
        UncountedAllocations uncounted;
        children = Expect(parent).Children;
    }
    for (HWND child : children) {
        if (!Find(child))
            continue;
        if (!proc(child, param))
            return TRUE;
        if (Find(child)) {
            // Depth first: the child's own descendants before its next sibling.
            std::vector<HWND> below;
            {
                UncountedAllocations uncounted;
                CollectDescendants(child, below);
            }
            for (HWND descendant : below) {
                if (Find(descendant) && !proc(descendant, param))
                    return TRUE;
            }
        }
    }
    return TRUE;
}

HWND WINAPI GetParent(HWND window)
{
    Touch();
    Window* found = Find(window);
    return found ? found->Parent : nullptr;
}

static int CopyText(const std::u16string& text, LPWSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const int count = std::min<int>(static_cast<int>(text.size()), size - 1);
    std::copy(text.begin(), text.begin() + count, buffer);
    buffer[count] = 0;
    return count;
}

// GetClassNameW and GetWindowTextW: a copy that fits the buffer, or 0 and
// an empty buffer when the window is gone or made to fail.
static int ReadText(HWND window, Op op, std::u16string Window::*text, LPWSTR buffer, int size)
{
    Touch();
    Window* found = Find(window);
    if (!found || Fails(*found, op)) {
        if (buffer && size > 0)
            buffer[0] = 0;
        return 0;
    }
    return CopyText(found->*text, buffer, size);
}

int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int size)
{
    return ReadText(window, Op::GetClassName, &Window::ClassName, buffer, size);
}

int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int size)
{
    return ReadText(window, Op::GetWindowText, &Window::Title, buffer, size);
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    Touch();
    if (processId)
        *processId = 1;
    Window* found = Find(window);
    return found ? found->Thread : 0;
}

DWORD WINAPI GetCurrentThreadId()
{
    Touch();
    return TheWorld().Thread;
}

LONG WINAPI GetWindowLongW(HWND window, int index)
{
    Touch();
    Window* found = Find(window);
    if (!found || index != GWL_STYLE)
        return 0;
    return found->Style | (found->Visible ? WS_VISIBLE : 0);
}

BOOL WINAPI IsWindowVisible(HWND window)
{
    Touch();
    for (Window* found = Find(window); found; found = Find(found->Parent)) {
        if (!found->Visible)
            return FALSE;
        if (!found->Parent)
            return TRUE;
    }
    return FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command)
{
    Touch();
    Call call = MakeCall(Event::Shown, window);
    call.Command = command;
    Window* found = Find(window);
    if (!found) {
        Record(call);
        return FALSE;
    }
    const BOOL wasVisible = found->Visible;
    if (command == SW_HIDE) {
        found->Visible = false;
    } else if (command == SW_SHOWNOACTIVATE) {
        found->Style &= ~WS_MAXIMIZE;
        found->Visible = true;
    }
    Record(call);
    return wasVisible;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    Touch();
    Window* found = Find(window);
    if (!found || Fails(*found, Op::GetWindowRect))
        return FALSE;
    LONG x = 0;
    LONG y = 0;
    ScreenOrigin(found->Parent, x, y);
    *rect = found->Rect;
    rect->left += x;
    rect->right += x;
    rect->top += y;
    rect->bottom += y;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    Touch();
    Window* found = Find(window);
    if (!found || Fails(*found, Op::GetClientRect))
        return FALSE;
    rect->left = 0;
    rect->top = 0;
    rect->right = found->ClientWidth >= 0 ? found->ClientWidth : found->Rect.right - found->Rect.left;
    rect->bottom = found->ClientHeight >= 0 ? found->ClientHeight : found->Rect.bottom - found->Rect.top;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index)
{
    Touch();
    if (index == SM_CXFRAME)
        return TheWorld().FrameWidth;
    if (index == SM_CYFRAME)
        return TheWorld().FrameHeight;
    return 0;
}

BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags)
{
    Touch();
    Call call = MakeCall(Event::Moved, window);
    call.X = x;
    call.Y = y;
    call.Width = cx;
    call.Height = cy;
    call.Flags = flags;
    Window* found = Find(window);
    if (found)
        // Wrapping, not overflowing, for the extreme sizes the fuzzer tries.
        found->Rect = RECT{x, y, static_cast<LONG>(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(cx)),
                           static_cast<LONG>(static_cast<std::uint32_t>(y) + static_cast<std::uint32_t>(cy))};
    Record(call);
    return found ? TRUE : FALSE;
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR name)
{
    Touch();
    World& world = TheWorld();
    UINT id = 0;
    if (name) {
        UncountedAllocations uncounted;
        const std::u16string key(name);
        if (!world.FailedRegistrations.count(key)) {
            auto known = world.Messages.find(key);
            id = known != world.Messages.end()
                     ? known->second
                     : world.Messages.emplace(key, 0xC000 + static_cast<UINT>(world.Messages.size())).first->second;
        }
    }
    Call call = MakeCall(Event::Registered, nullptr, id);
    Record(call);
    return id;
}

BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Touch();
    Record(MakeCall(Event::Posted, window, message, wParam, lParam));
    Window* found = Find(window);
    if (!found || Fails(*found, Op::PostMessage))
        return FALSE;
    UncountedAllocations uncounted;
    TheWorld().Queues[found->Thread].push_back(Posted{window, message, wParam, lParam});
    return TRUE;
}

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Touch();
    Record(MakeCall(Event::Sent, window, message, wParam, lParam));
    return Deliver(window, message, wParam, lParam);
}

BOOL WINAPI SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data)
{
    Touch();
    Window* found = Find(window);
    if (!found || !proc || Fails(*found, Op::SetWindowSubclass))
        return FALSE;
    for (auto node = found->Chain; node; node = node->Next) {
        if (node->Proc == proc && node->Id == id) {
            node->Data = data;
            return TRUE;
        }
    }
    {
        UncountedAllocations uncounted;
        auto node = std::make_shared<SubclassNode>();
        node->Proc = proc;
        node->Id = id;
        node->Data = data;
        node->Removed = false;
        node->Next = found->Chain;
        found->Chain = node;
    }
    Record(MakeCall(Event::Subclassed, window));
    return TRUE;
}

BOOL WINAPI RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id)
{
    Touch();
    Window* found = Find(window);
    if (!found)
        return FALSE;
    for (auto node = found->Chain; node; node = node->Next) {
        if (node->Proc == proc && node->Id == id) {
            Unlink(*found, node);
            Record(MakeCall(Event::Unsubclassed, window));
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT WINAPI DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Touch();
    Window* found = Find(window);
    if (!found)
        return 0;
    if (found->Running.empty() || !found->Running.back())
        return CallOwnProcedure(window, message, wParam, lParam);
    // The running procedure's successor; a procedure that removed itself
    // still knows its place in the chain.
    return CallFrom(window, found->Running.back()->Next, message, wParam, lParam);
}

int WINAPI MultiByteToWideChar(UINT, DWORD, LPCSTR text, int textLength, LPWSTR buffer, int bufferLength)
{
    Touch();
    World& world = TheWorld();
    ++world.ConversionCalls;
    if (world.Script)
        return world.Script(text, buffer, bufferLength);
    if (!text)
        return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const std::size_t length = textLength < 0 ? std::char_traits<char>::length(text) + 1 : std::size_t(textLength);
    std::u16string units;
    {
        UncountedAllocations uncounted;
        units = world.CodePage == 65001 ? DecodeUtf8(bytes, length) : DecodeCp1252(bytes, length);
    }
    const int count = static_cast<int>(units.size());
    if (bufferLength == 0)
        return count;
    if (!buffer || bufferLength < count)
        return 0;
    std::copy(units.begin(), units.end(), buffer);
    return count;
}

void WINAPI SetLastError(DWORD error)
{
    Touch();
    TheWorld().LastError = error;
}

DWORD WINAPI GetLastError()
{
    Touch();
    return TheWorld().LastError;
}

BOOL WINAPI GetModuleHandleExW(DWORD flags, LPCWSTR, HMODULE* module)
{
    Touch();
    if (!(flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT))
        ++TheWorld().ModuleReferences;
    if (module)
        *module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x10000));
    return TRUE;
}

BOOL WINAPI FreeLibrary(HMODULE)
{
    Touch();
    --TheWorld().ModuleReferences;
    return TRUE;
}
