#include "ArgumentParser.h"
#include "../layout/AsciiCase.h"

#include <memory>
#include <new>

namespace pellorin {

const WCHAR IgnorePrefix[] = TEXT("**ignore**");

namespace {

const WCHAR Separator = 0x2F;  // "/"

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

void ClassifyToken(const WCHAR* token, std::size_t length)
{
    if (EqualIgnoringAsciiCase(token, IgnorePrefix, IgnorePrefixLength)) {
        // The prefix alone names nothing.
        if (length > IgnorePrefixLength)
            IgnoreList.emplace_back(token + IgnorePrefixLength, length - IgnorePrefixLength);
        return;
    }
    OrderList.emplace_back(token, length);
}

// Cuts the tokens in place, by writing NUL over the separator that ends each.
void ScanTokens(WCHAR* text)
{
    WCHAR* start = text;
    for (WCHAR* cursor = text;; ++cursor) {
        const WCHAR unit = *cursor;
        if (unit != 0 && unit != Separator)
            continue;
        if (cursor > start) {
            *cursor = 0;
            ClassifyToken(start, static_cast<std::size_t>(cursor - start));
        }
        if (unit == 0)
            return;
        start = cursor + 1;
    }
}

}  // namespace

int WidenText(LPCSTR text, WCHAR** result)
{
    *result = nullptr;
    const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0)
        return 0;

    WCHAR* buffer = new (std::nothrow) WCHAR[static_cast<std::size_t>(count)];
    *result = buffer;
    if (!buffer) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }

    int converted = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, count);
    // Whatever the conversion wrote, the buffer ends in a terminator.
    buffer[count - 1] = 0;
    if (converted <= 0 || converted > count) {
        delete[] buffer;
        *result = nullptr;
        return 0;
    }

    // A lone high surrogate at the end (a character cut in half) would never
    // match a title; drop it, and any before it.
    while (converted > 1 && IsHighSurrogate(buffer[converted - 2])) {
        buffer[converted - 2] = 0;
        --converted;
    }
    return converted;
}

void ParseArguments(LPCSTR text)
{
    if (!text || text[0] == 0)
        return;
    WCHAR* converted = nullptr;
    if (WidenText(text, &converted) <= 0)
        return;
    std::unique_ptr<WCHAR[]> release(converted);
    try {
        ScanTokens(converted);
    } catch (const std::bad_alloc&) {
        // The entries appended before the failure stay; the host is not told.
    }
}

}  // namespace pellorin
