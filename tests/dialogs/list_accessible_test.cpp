// The component list as a screen reader reads it: the accessible object of
// list 101 fetched through Wine's accessibility library, as a client gets it
// (AccessibleObjectFromWindow), its entries' names, roles, states and
// descriptions before and after a toggle, the events a toggle fires, and the
// object cut loose when the dialog has closed.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "catalogue/selection.h"
#include "dialogs/dialog_fixture.h"
#include "luinsres_ids.h"

namespace {

std::string narrow(BSTR text)
{
    if (!text)
        return "";
    char buffer[512] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    SysFreeString(text);
    return buffer;
}

struct EntrySeen {
    std::string name, description;
    LONG role = 0, state = 0;
};

VARIANT child(LONG id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::vector<EntrySeen> readEntries(HWND list)
{
    std::vector<EntrySeen> entries;
    IAccessible *object = accessibleObjectOf(list);
    if (!object)
        return entries;
    LONG count = 0;
    object->get_accChildCount(&count);
    for (LONG id = 1; id <= count; id++) {
        EntrySeen e;
        BSTR text = nullptr;
        object->get_accName(child(id), &text);
        e.name = narrow(text);
        text = nullptr;
        object->get_accDescription(child(id), &text);
        e.description = narrow(text);
        VARIANT v;
        VariantInit(&v);
        if (SUCCEEDED(object->get_accRole(child(id), &v)) && v.vt == VT_I4)
            e.role = v.lVal;
        VariantInit(&v);
        if (SUCCEEDED(object->get_accState(child(id), &v)) && v.vt == VT_I4)
            e.state = v.lVal;
        entries.push_back(e);
    }
    object->Release();
    return entries;
}

std::string listText(HWND list, int position)
{
    char text[256] = "";
    SendMessageA(list, LB_GETTEXT, position, (LPARAM)text);
    return text;
}

std::string loadString(int id)
{
    char text[256] = "";
    LoadStringA(resourceModule, id, text, sizeof text);
    return text;
}

struct EventSeen {
    DWORD event;
    LONG child;
};
std::vector<EventSeen> eventsSeen;
HWND watchedList;

void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG childId, DWORD, DWORD)
{
    if (window == watchedList && object == OBJID_CLIENT)
        eventsSeen.push_back({event, childId});
}

class ListAccessibleTest : public DialogFixture {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        DialogFixture::SetUp();
        computeSelection(SELECT_DEFAULTS);
        useFakeDisk(50000000);
        eventsSeen.clear();
        hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, nullptr, onWinEvent,
                               GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    }
    void TearDown() override
    {
        if (hook)
            UnhookWinEvent(hook);
        watchedList = nullptr;
        DialogFixture::TearDown();
        CoUninitialize();
    }
    HWINEVENTHOOK hook = nullptr;
};

constexpr LONG FLAGS_SEEN = STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;

TEST_F(ListAccessibleTest, EntriesReadAsCheckBoxesWithTheirStateBeforeAndAfterASpaceToggle)
{
    ASSERT_NE(nullptr, hook) << "the test cannot watch events";
    // What the media's defaults show on each page, and which entry Space
    // toggles there (the highlighted one: the first).
    struct Case {
        int group;
        std::vector<std::pair<int, LONG>> before;   // position, expected state bits
        LONG firstAfter;                            // the first entry after Space
        int descriptionId;                          // what the dialog shows for the first entry
    } cases[] = {
        // Category 1 highlighted and ticked; category 10 not on the media.
        {CATEGORIES,
         {{0, STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED}, {1, STATE_SYSTEM_CHECKED},
          {9, STATE_SYSTEM_UNAVAILABLE}},
         STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED, IDS_CATEGORY_DESCRIPTION_BASE + 1},
        // PLAIN and JWRITE1 ticked, QUILL not.
        {GROUP_VWP,
         {{0, STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED}, {1, STATE_SYSTEM_CHECKED},
          {2, 0}},
         STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED, 0},
    };
    for (const Case &c : cases) {
        autopilotStart();
        eventsSeen.clear();
        std::vector<EntrySeen> before, after;
        std::vector<std::string> shown;
        std::string descriptionShown;
        autopilotQueue(sequence({
            inspect([&](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
                watchedList = list;
                SetFocus(list);
                before = readEntries(list);
                for (int p = 0; p < (int)SendMessageA(list, LB_GETCOUNT, 0, 0); p++)
                    shown.push_back(listText(list, p));
                descriptionShown = controlText(dialog, IDC_OPTIONS_DESCRIPTION);
            }),
            pressKey(VK_SPACE),
            pauseFor(50),
            inspect([&](HWND dialog) { after = readEntries(GetDlgItem(dialog, IDC_OPTIONS_LIST)); }),
            pressKey(VK_ESCAPE),
        }));
        runOptionsPage(c.group);
        std::string page = "group " + std::to_string(c.group);
        ASSERT_EQ(shown.size(), before.size()) << page << ": one child per entry";
        ASSERT_EQ(before.size(), after.size()) << page;
        for (size_t p = 0; p < before.size(); p++) {
            EXPECT_EQ(shown[p], before[p].name) << page << ", entry " << p;
            EXPECT_EQ(ROLE_SYSTEM_CHECKBUTTON, before[p].role) << page << ", entry " << p;
        }
        for (const auto &expected : c.before)
            EXPECT_EQ(expected.second, before[expected.first].state & FLAGS_SEEN)
                << page << ", entry " << expected.first << " before";
        EXPECT_EQ(c.firstAfter, after[0].state & FLAGS_SEEN) << page << ": Space unticked the first entry";
        for (size_t p = 1; p < before.size(); p++)
            EXPECT_EQ(before[p].state, after[p].state) << page << ", entry " << p << " did not change";
        EXPECT_EQ(descriptionShown, before[0].description) << page << ": the text the dialog shows";
        if (c.descriptionId) {
            EXPECT_EQ(loadString(c.descriptionId), before[0].description) << page;
        }
        bool stateChange = false, focus = false;
        for (const EventSeen &e : eventsSeen) {
            stateChange |= e.event == EVENT_OBJECT_STATECHANGE && e.child == 1;
            focus |= e.event == EVENT_OBJECT_FOCUS && e.child == 1;
        }
        EXPECT_TRUE(stateChange) << page << ": the toggle's state change was announced";
        EXPECT_TRUE(focus) << page << ": and the focus on the entry";
    }
}

TEST_F(ListAccessibleTest, UnavailableCategoryHasNoDescriptionAndStaysUnchangedUnderSpace)
{
    std::vector<EntrySeen> before, after;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) { SetFocus(GetDlgItem(dialog, IDC_OPTIONS_LIST)); }),
        pressKey(VK_END),   // category 10, not on the media
        pressKey(VK_SPACE),
        inspect([&](HWND dialog) { after = readEntries(GetDlgItem(dialog, IDC_OPTIONS_LIST)); }),
        pressKey(VK_ESCAPE),
    }));
    runOptionsPage(CATEGORIES);
    ASSERT_EQ(10u, after.size());
    EXPECT_EQ("", after[9].description) << "the dialog shows none for it";
    EXPECT_EQ(STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED, after[9].state & FLAGS_SEEN)
        << "focused there, never ticked nor highlighted";
    EXPECT_EQ(STATE_SYSTEM_SELECTED | STATE_SYSTEM_CHECKED, after[0].state & FLAGS_SEEN)
        << "the highlight stays where it was";
}

TEST_F(ListAccessibleTest, PressingAnEntryHighlightsAndTogglesItUnlessItIsUnavailable)
{
    struct Case {
        int group, position;
        HRESULT result;
        LONG state;   // the entry's state bits afterwards
    } cases[] = {
        {GROUP_VWP, 2, S_OK, STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED},   // QUILL, not selected
        {GROUP_VWP, 0, S_OK, STATE_SYSTEM_SELECTED},                          // PLAIN, highlighted and selected
        {CATEGORIES, 9, DISP_E_MEMBERNOTFOUND, STATE_SYSTEM_UNAVAILABLE},     // conversion tools
    };
    for (const Case &c : cases) {
        autopilotStart();
        HRESULT result = E_FAIL;
        std::vector<EntrySeen> after;
        autopilotQueue(sequence({
            inspect([&](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
                IAccessible *object = accessibleObjectOf(list);
                if (object) {
                    result = object->accDoDefaultAction(child(c.position + 1));
                    object->Release();
                }
                after = readEntries(list);
            }),
            pressButton(IDCANCEL),
        }));
        runOptionsPage(c.group);
        EXPECT_EQ(c.result, result) << "group " << c.group << ", entry " << c.position;
        ASSERT_GT(after.size(), (size_t)c.position);
        EXPECT_EQ(c.state, after[c.position].state & (FLAGS_SEEN & ~STATE_SYSTEM_FOCUSED))
            << "group " << c.group << ", entry " << c.position;
    }
}

TEST_F(ListAccessibleTest, ObjectKeptPastTheDialogAnswersDisconnectedAndHoldsNothing)
{
    IAccessible *kept = nullptr;
    int handlesBefore = 0;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) { kept = accessibleObjectOf(GetDlgItem(dialog, IDC_OPTIONS_LIST)); }),
        pressKey(VK_ESCAPE),
    }));
    handlesBefore = countOpenHandles();
    runOptionsPage(CATEGORIES);
    ASSERT_NE(nullptr, kept);
    LONG count = -1;
    HRESULT result = kept->get_accChildCount(&count);
    EXPECT_TRUE(FAILED(result)) << "answered 0x" << std::hex << result << " after the list was destroyed";
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(kept->get_accName(child(1), &name)));
    EXPECT_EQ(nullptr, name);
    kept->Release();
    EXPECT_LE(countOpenHandles(), handlesBefore) << "the object left handles open";
}

} // namespace
