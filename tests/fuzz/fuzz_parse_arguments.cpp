// The argument parser against arbitrary host text. The first byte picks the
// ANSI code page (even: Windows-1252, odd: UTF-8); the rest, up to the first
// NUL, is the text InstallHook would receive. An empty input stands for a
// null text.
//
// Neither real conversion ever yields a lone surrogate, so with bit 1 of the
// first byte set the conversion is scripted instead: ASCII bytes stay, the
// others become high or low surrogates or a few letters that must not fold.
// That is how a text ending in a cut character reaches the parser.
//
// The lists the parser builds are compared with lists worked out here from
// the same conversion, with a splitter and a prefix test of our own, and the
// converted text must be released whatever the text holds.
#include "FuzzCheck.h"

#include "plugin/ArgumentParser.h"
#include "platform/sim/SimControl.h"

#include <string>
#include <vector>

using pellorin::IgnoreList;
using pellorin::OrderList;
using pellorin::PatternList;
using pellorin::WideString;

namespace {

const WCHAR Slash = u'/';
const WCHAR Prefix[] = u"**ignore**";
const std::size_t PrefixLength = 10;

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

WCHAR ScriptedUnit(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xB0)
        return static_cast<WCHAR>(0xD800 + (byte - 0x80) * 0x21);  // high surrogates
    if (byte < 0xE0)
        return static_cast<WCHAR>(0xDC00 + (byte - 0xB0) * 0x21);  // low surrogates
    const WCHAR others[] = {0x0130, 0x0131, 0x212A, 0xFF0F, 0x2215, 0xFFFD, 0x00C9, 0x00E9};
    return others[byte % 8];
}

// One unit per byte, with the terminator.
int ScriptedConversion(LPCSTR text, LPWSTR buffer, int bufferLength)
{
    const int count = static_cast<int>(std::char_traits<char>::length(text)) + 1;
    if (bufferLength == 0)
        return count;
    if (!buffer || bufferLength < count)
        return 0;
    for (int i = 0; i < count; ++i)
        buffer[i] = ScriptedUnit(static_cast<unsigned char>(text[i]));
    return count;
}

WCHAR Lower(WCHAR unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<WCHAR>(unit | 0x20) : unit; }

// The units the parser is to scan, or false when the text converts to
// nothing. Trailing high surrogates go, as a cut character would never
// match a title.
bool Convert(const char* text, WideString& units)
{
    const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0)
        return false;
    std::vector<WCHAR> buffer(static_cast<std::size_t>(count));
    int written = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer.data(), count);
    if (written <= 0 || written > count)
        return false;
    buffer[static_cast<std::size_t>(count) - 1] = 0;
    while (written > 1 && IsHighSurrogate(buffer[static_cast<std::size_t>(written) - 2])) {
        buffer[static_cast<std::size_t>(written) - 2] = 0;
        --written;
    }
    units.assign(buffer.data());  // up to the first NUL
    return true;
}

bool BeginsWithPrefix(const WideString& token)
{
    if (token.size() < PrefixLength)
        return false;
    for (std::size_t i = 0; i < PrefixLength; ++i) {
        if (Lower(token[i]) != Prefix[i])
            return false;
    }
    return true;
}

void ExpectedLists(const char* text, PatternList& order, PatternList& ignore)
{
    WideString units;
    if (!text || !*text || !Convert(text, units))
        return;
    std::size_t start = 0;
    while (start <= units.size()) {
        std::size_t end = units.find(Slash, start);
        if (end == WideString::npos)
            end = units.size();
        if (end > start) {
            const WideString token = units.substr(start, end - start);
            if (!BeginsWithPrefix(token))
                order.push_back(token);
            else if (token.size() > PrefixLength)
                ignore.push_back(token.substr(PrefixLength));
        }
        start = end + 1;
    }
}

void CheckEntries(const PatternList& list)
{
    for (const WideString& entry : list) {
        FUZZ_CHECK(!entry.empty(), "an empty entry");
        FUZZ_CHECK(entry.find(WCHAR(0)) == WideString::npos, "an entry holds NUL");
        FUZZ_CHECK(entry.find(Slash) == WideString::npos, "an entry holds the separator");
    }
}

void Empty(PatternList& list)
{
    list.clear();
    list.shrink_to_fit();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sim::Reset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    const char* argument = nullptr;
    if (size > 0) {
        sim::SetAnsiCodePage(data[0] & 1 ? 65001 : 1252);
        sim::ScriptConversion(data[0] & 2 ? sim::Conversion(ScriptedConversion) : sim::Conversion());
        for (std::size_t i = 1; i < size && data[i] != 0; ++i)
            text.push_back(static_cast<char>(data[i]));
        argument = text.c_str();
    }

    const std::string original = text;
    PatternList order;
    PatternList ignore;
    ExpectedLists(argument, order, ignore);

    Empty(OrderList);
    Empty(IgnoreList);
    const std::size_t live = sim::LiveAllocations();
    pellorin::ParseArguments(argument);

    CheckEntries(OrderList);
    CheckEntries(IgnoreList);
    FUZZ_CHECK(OrderList == order, "OrderList differs from the tokens of the text");
    FUZZ_CHECK(IgnoreList == ignore, "IgnoreList differs from the ignore tokens less their prefix");
    FUZZ_CHECK(text == original, "the host's text was written to");

    Empty(OrderList);
    Empty(IgnoreList);
    FUZZ_CHECK(sim::LiveAllocations() == live, "the parse left memory allocated");

    // WidenText on its own: the count of its units and the buffer it hands over.
    if (argument && *argument) {
        WideString units;
        const bool converts = Convert(argument, units);
        WCHAR* converted = reinterpret_cast<WCHAR*>(1);
        const int count = pellorin::WidenText(argument, &converted);
        if (!converts) {
            FUZZ_CHECK(count == 0 && converted == nullptr, "a failed conversion hands over a buffer");
        } else {
            FUZZ_CHECK(count >= 1 && converted != nullptr, "a conversion that succeeds yields no buffer");
            FUZZ_CHECK(static_cast<std::size_t>(count) == units.size() + 1, "the count is not the units and one NUL");
            FUZZ_CHECK(converted[count - 1] == 0, "the converted text does not end at its count");
            FUZZ_CHECK(WideString(converted) == units, "WidenText converts differently");
            delete[] converted;
        }
    }
    return 0;
}
