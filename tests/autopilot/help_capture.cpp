// help_capture.cpp - the "MS_WINHELP" window that records help requests.
#include "help_capture.h"

#include <windows.h>
#include <stdint.h>
#include <string.h>

namespace {

// The block WinHelpA sends: its header, then the file name at ofsFilename.
#pragma pack(push, 1)
struct HelpBlock {
    uint16_t size;
    uint16_t command;
    int32_t data;
    int32_t reserved;
    uint16_t ofsFilename;
    uint16_t ofsData;
};
#pragma pack(pop)

constexpr ULONG_PTR HELP_COPYDATA_MARK = 0xA1DE505;

HWND captureWindow;
std::vector<HelpRequest> requests;

void recordBlock(const COPYDATASTRUCT *copy)
{
    if (copy->dwData != HELP_COPYDATA_MARK || copy->cbData < sizeof(HelpBlock))
        return;
    const char *bytes = (const char *)copy->lpData;
    HelpBlock block;
    memcpy(&block, bytes, sizeof block);
    HelpRequest r;
    r.command = block.command;
    r.context = (unsigned long)(uint32_t)block.data;
    if (block.ofsFilename && block.ofsFilename < copy->cbData)
        r.file.assign(bytes + block.ofsFilename, strnlen(bytes + block.ofsFilename, copy->cbData - block.ofsFilename));
    requests.push_back(r);
}

LRESULT CALLBACK captureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        recordBlock((const COPYDATASTRUCT *)lParam);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void helpCaptureStart()
{
    helpCaptureStop();
    requests.clear();
    static bool registered;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = captureProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MS_WINHELP";
        registered = RegisterClassA(&windowClass) != 0;
    }
    // Top-level and hidden: FindWindowA does not see message-only windows.
    captureWindow = CreateWindowA("MS_WINHELP", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
}

void helpCaptureStop()
{
    if (captureWindow)
        DestroyWindow(captureWindow);
    captureWindow = nullptr;
}

const std::vector<HelpRequest> &helpRequests() { return requests; }
