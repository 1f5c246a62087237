// folder_security.cpp - createProtectedFolder and folderAccess: the
// descriptor of the library's folders, and the reading of another folder's.
#include "folder_security.h"

#include "setup_log.h"

#include <aclapi.h>
#include <sddl.h>

// Protected (P): nothing is inherited from the parent, whose permissions may
// be anybody's. Administrators and the system: full control; users and
// authenticated users: read and execute (FILE_GENERIC_READ |
// FILE_GENERIC_EXECUTE); all of it inherited by files and folders (OICI).
// No CREATOR OWNER entry: the account that runs setup owns the folder and can
// always re-permit it, but a later file's creator should not get full control
// of what it drops there.
static const char folderDescriptor[] =
    "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;AU)";

bool createProtectedFolder(const char *path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(folderDescriptor, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        DWORD error = GetLastError();
        SetLastError(error ? error : ERROR_INVALID_SECURITY_DESCR);
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    BOOL made = CreateDirectoryA(path, &attributes);
    DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return made != FALSE;
}

// Rights on a folder that let their holder plant, replace or remove what is
// in it, or give itself those rights.
static constexpr DWORD changingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | WRITE_DAC |
                                        WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE;

// Groups that an ordinary account, or anybody at all, belongs to.
static constexpr WELL_KNOWN_SID_TYPE everybodysGroups[] = {
    WinWorldSid,        WinAuthenticatedUserSid, WinBuiltinUsersSid, WinBuiltinGuestsSid, WinInteractiveSid,
    WinNetworkSid,      WinAnonymousSid,         WinLocalSid,        WinBuiltinPowerUsersSid,
    WinBatchSid,        WinServiceSid,           WinRemoteLogonIdSid,
};

static bool everybodysGroup(PSID sid)
{
    for (WELL_KNOWN_SID_TYPE type : everybodysGroups)
        if (IsWellKnownSid(sid, type))
            return true;
    return false;
}

static bool grantsOthersChange(PACL dacl)
{
    for (DWORD i = 0; i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace;
        if (!GetAce(dacl, i, (void **)&ace) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        // An entry only for what is made inside counts too: the files the
        // host copies there later would be theirs to replace.
        if ((ace->Mask & changingRights) && everybodysGroup((PSID)&ace->SidStart))
            return true;
    }
    return false;
}

FolderAccess folderAccess(const char *path, DWORD *error)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD status = GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                         &dacl, nullptr, &descriptor);
    *error = status;
    if (status != ERROR_SUCCESS)
        return FOLDER_ACCESS_UNKNOWN;
    // No list at all lets everybody do everything.
    FolderAccess access = !dacl || grantsOthersChange(dacl) ? FOLDER_OPEN_TO_OTHERS : FOLDER_ADMINS_ONLY;
    LocalFree(descriptor);
    return access;
}

void warnIfFolderOpenToOthers(const char *folder)
{
    DWORD error;
    switch (folderAccess(folder, &error)) {
    case FOLDER_OPEN_TO_OTHERS:
        logLine("warning: %s can be changed by users who are not administrators, and machine-wide "
                "shell extensions are registered in it",
                folder);
        break;
    case FOLDER_ACCESS_UNKNOWN:
        logFailure(error, "reading the permissions of %s", folder);
        break;
    default:
        break;
    }
}
