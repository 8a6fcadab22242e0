#include "support/ModuleMessages.h"

namespace support {

const wchar_t UnhookMessageName[] = L"Pellorin_1_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}";
const wchar_t RelayoutMessageName[] = L"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}";

UINT UnhookMessage()
{
    static const UINT id = RegisterWindowMessageW(UnhookMessageName);
    return id;
}

UINT RelayoutMessage()
{
    static const UINT id = RegisterWindowMessageW(RelayoutMessageName);
    return id;
}

}  // namespace support
