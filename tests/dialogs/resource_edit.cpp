// resource_edit.cpp - string edits on copies of luinsres.dll.
#include "resource_edit.h"

#include <windows.h>

#include <vector>

static const WORD MODULE_LANGUAGE = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

bool putStringResource(const std::string &modulePath, int id, const std::string &text)
{
    // A block holds strings 16 * (n - 1) .. 16 * n - 1, each a length word
    // followed by that many UTF-16 characters.
    std::vector<WORD> block;
    for (int slot = 0; slot < 16; slot++) {
        if (slot != id % 16) {
            block.push_back(0);
            continue;
        }
        block.push_back((WORD)text.size());
        for (unsigned char c : text)
            block.push_back(c);
    }
    HANDLE update = BeginUpdateResourceA(modulePath.c_str(), FALSE);
    if (!update)
        return false;
    bool put = UpdateResourceA(update, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), MODULE_LANGUAGE,
                               block.data(), (DWORD)(block.size() * sizeof(WORD))) != 0;
    return EndUpdateResourceA(update, !put) && put;
}
