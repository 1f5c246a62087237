// planting.cpp - the planted modules on the medium, the entry line, and a
// reader of a module's import tables.
#include "faults/planting.h"

#include <windows.h>
#include <string.h>

#include "support/test_support.h"

namespace {

std::string environment(const char *name)
{
    char value[4096];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value) : std::string();
}

// The file offset of a relative address, through the section that holds it;
// 0 when none does.
size_t fileOffset(const std::string &image, const IMAGE_SECTION_HEADER *sections, int count, DWORD address)
{
    for (int i = 0; i < count; i++) {
        DWORD start = sections[i].VirtualAddress;
        DWORD size = sections[i].Misc.VirtualSize ? sections[i].Misc.VirtualSize : sections[i].SizeOfRawData;
        if (address >= start && address < start + size) {
            size_t offset = sections[i].PointerToRawData + (address - start);
            return offset < image.size() ? offset : 0;
        }
    }
    return 0;
}

std::string nameAt(const std::string &image, size_t offset)
{
    if (offset == 0)
        return "";
    size_t end = image.find('\0', offset);
    return end == std::string::npos ? "" : image.substr(offset, end - offset);
}

} // namespace

void plantOnMedium(const std::string &medium)
{
    std::string source = environment("DIALOGINT_PLANT_SOURCE");
    std::string names = environment("DIALOGINT_PLANT_NAMES");
    if (source.empty() || names.empty())
        return;
    size_t start = 0;
    while (start < names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string::npos)
            end = names.size();
        if (end > start)
            copyFileTo(source, medium + names.substr(start, end - start));
        start = end + 1;
    }
}

void markLibraryEntered()
{
    std::string log = environment("DIALOGINT_PLANTED_LOG");
    if (log.empty())
        return;
    HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const wchar_t line[] = L"-- entry\r\n";
    DWORD written = 0;
    WriteFile(file, line, sizeof line - sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}

std::vector<std::string> importedNames(const std::string &modulePath)
{
    std::vector<std::string> names;
    if (!fileExists(modulePath))
        return names;
    std::string image = readTextFile(modulePath);
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return names;
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)image.data();
    size_t headers = (size_t)dos->e_lfanew;
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || headers + sizeof(IMAGE_NT_HEADERS64) > image.size())
        return names;
    const IMAGE_NT_HEADERS32 *nt32 = (const IMAGE_NT_HEADERS32 *)(image.data() + headers);
    const IMAGE_NT_HEADERS64 *nt64 = (const IMAGE_NT_HEADERS64 *)(image.data() + headers);
    if (nt32->Signature != IMAGE_NT_SIGNATURE)
        return names;
    const IMAGE_DATA_DIRECTORY *directories = nt32->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                                  ? nt64->OptionalHeader.DataDirectory
                                                  : nt32->OptionalHeader.DataDirectory;
    int sectionCount = nt32->FileHeader.NumberOfSections;
    size_t sectionsAt = headers + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt32->FileHeader.SizeOfOptionalHeader;
    if (sectionsAt + sectionCount * sizeof(IMAGE_SECTION_HEADER) > image.size())
        return names;
    const IMAGE_SECTION_HEADER *sections = (const IMAGE_SECTION_HEADER *)(image.data() + sectionsAt);

    size_t at = fileOffset(image, sections, sectionCount, directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const IMAGE_IMPORT_DESCRIPTOR *entry = (const IMAGE_IMPORT_DESCRIPTOR *)(image.data() + at);
        if (entry->Name == 0)
            break;
        names.push_back(nameAt(image, fileOffset(image, sections, sectionCount, entry->Name)));
    }
    at = fileOffset(image, sections, sectionCount,
                    directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress);
    for (; at && at + sizeof(IMAGE_DELAYLOAD_DESCRIPTOR) <= image.size(); at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
        const IMAGE_DELAYLOAD_DESCRIPTOR *entry = (const IMAGE_DELAYLOAD_DESCRIPTOR *)(image.data() + at);
        if (entry->DllNameRVA == 0)
            break;
        names.push_back(nameAt(image, fileOffset(image, sections, sectionCount, entry->DllNameRVA)));
    }
    return names;
}

std::vector<std::string> plantedLogLines(const std::string &logPath)
{
    std::vector<std::string> lines;
    if (!fileExists(logPath))
        return lines;
    std::string bytes = readTextFile(logPath);
    std::wstring text((const wchar_t *)bytes.data(), bytes.size() / sizeof(wchar_t));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        char narrow[MAX_PATH * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
        if (!line.empty())
            lines.push_back(narrow);
        start = end + 2;
    }
    return lines;
}
