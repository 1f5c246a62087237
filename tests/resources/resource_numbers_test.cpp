// resource_numbers_test.cpp - the template, control and string numbers that
// the host's resource module and the library agree on, written out as plain
// numbers: a wrong number in luinsres_ids.h moves the library and the .rc
// together, and only a check against the numbers themselves sees it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// The module built beside the tests and each language's module.
std::vector<std::string> modulePaths()
{
    std::vector<std::string> paths = {exeDir() + "luinsres.dll"};
    for (const char *code : {"en", "fr", "de", "es", "ja", "ru"})
        paths.push_back(exeDir() + "media\\lang\\" + code + "\\luinsres.dll");
    return paths;
}

INT_PTR CALLBACK quietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(ResourceNumbers, TemplatesHoldTheirControlsUnderTheirNumbers)
{
    struct Case {
        int templateId;
        std::vector<int> controls;
    } cases[] = {
        {3, {622}},
        {4, {101, 102, 103, 2, 998}},
        {500, {101, 102, 401, 402, 403, 1, 2, 998}},
        {502, {102, 103, 104, 105, 106, 107, 1, 2, 998}},
        {1200, {301, 401, 402, 104, 102, 103, 105, 998, 2}},
        {1300, {301, 401, 402, 104, 102, 103, 105, 998, 2}},
        {4000, {301, 401, 402, 1, 2}},
    };
    for (const std::string &path : modulePaths()) {
        HMODULE module = LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, module) << path;
        for (const Case &c : cases) {
            HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(c.templateId), nullptr, quietProc, 0);
            ASSERT_NE(nullptr, dialog) << path << ": template " << c.templateId;
            for (int control : c.controls)
                EXPECT_NE(nullptr, GetDlgItem(dialog, control))
                    << path << ": template " << c.templateId << ", control " << control;
            DestroyWindow(dialog);
        }
        FreeLibrary(module);
    }
}

TEST(ResourceNumbers, StringsStandUnderTheirNumbers)
{
    std::vector<int> ids = {555, 556, 557, 599, 606, 607, 608, 615, 700, 702, 703, 704, 705};
    for (int id = 574; id <= 584; id++)
        ids.push_back(id);  // categories 0..10
    for (int id = 901; id <= 910; id++)
        ids.push_back(id);  // category descriptions
    for (int id = 912; id <= 920; id++)
        ids.push_back(id);  // item description formats
    for (const std::string &path : modulePaths()) {
        HMODULE module = LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, module) << path;
        for (int id : ids) {
            char text[256] = "";
            EXPECT_GT(LoadStringA(module, id, text, sizeof text), 0) << path << ": string " << id;
        }
        FreeLibrary(module);
    }
}

} // namespace
