// import_patch.cpp - walks a module's import descriptors by name and swaps one
// slot of its import address table.
#include "support/import_patch.h"

#include <string.h>

void *patchImport(HMODULE module, const char *dll, const char *function, void *replacement)
{
    BYTE *base = (BYTE *)module;
    auto *dos = (IMAGE_DOS_HEADER *)base;
    auto *nt = (IMAGE_NT_HEADERS *)(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return nullptr;
    for (auto *desc = (IMAGE_IMPORT_DESCRIPTOR *)(base + dir.VirtualAddress); desc->Name; desc++) {
        if (dll && _stricmp((const char *)(base + desc->Name), dll) != 0)
            continue;
        auto *names = (IMAGE_THUNK_DATA *)(base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk
                                                                             : desc->FirstThunk));
        auto *slots = (IMAGE_THUNK_DATA *)(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto *byName = (IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData);
            if (strcmp((const char *)byName->Name, function) != 0)
                continue;
            DWORD oldProtect;
            void **slot = (void **)&slots->u1.Function;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtect);
            void *previous = *slot;
            *slot = replacement;
            VirtualProtect(slot, sizeof *slot, oldProtect, &oldProtect);
            return previous;
        }
    }
    return nullptr;
}
