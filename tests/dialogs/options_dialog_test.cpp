// The component options dialog on the category list and on detail pages of a
// real catalogue, driven by the autopilot through the list notifications a
// mouse sends, and the sequence of its showings.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "catalogue/selection.h"
#include "dialogs/dialog_fixture.h"
#include "dialogs/main_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/resource_edit.h"
#include "luinsres_ids.h"
#include "unattended/answers.h"

namespace {

constexpr int32_t DEFAULT_SIZE = 230000;

std::string thousands(int64_t value)
{
    char text[THOUSANDS_TEXT_BYTES];
    formatThousands(value, text, sizeof text);
    return text;
}

std::string entryText(HWND dialog, int position)
{
    char text[256] = "";
    HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
    if (SendMessageA(list, LB_GETTEXTLEN, position, 0) < (LRESULT)sizeof text)
        SendMessageA(list, LB_GETTEXT, position, (LPARAM)text);
    return text;
}

int currentPosition(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_OPTIONS_LIST, LB_GETCURSEL, 0, 0);
}

class OptionsDialogTest : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        // The defaults: PLAIN and JWRITE1 of the viewers, JSHEET of the
        // spreadsheet filters, JORMAIL (and the unavailable JORNOTES) of the
        // integrations, the manual.
        computeSelection(SELECT_DEFAULTS);
        ASSERT_EQ(DEFAULT_SIZE, state().selectedSize);
        useFakeDisk(50000000);
    }

    std::vector<int32_t> flagsOf(int group)
    {
        std::vector<int32_t> flags;
        for (int i = 0; i < state().groups[group].itemCount; i++)
            flags.push_back(item(group, i).flags);
        return flags;
    }

    std::vector<char> fileTable()
    {
        const char *table = (const char *)state().sharedFileTable;
        return std::vector<char>(table, table + SHARED_FILE_TABLE_BYTES);
    }
};

TEST_F(OptionsDialogTest, CategoryListShowsCategoriesOneToTen)
{
    state().currentCategory = 5;
    std::vector<std::string> texts;
    int position = -1;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) {
            int count = (int)SendDlgItemMessageA(dialog, IDC_OPTIONS_LIST, LB_GETCOUNT, 0, 0);
            for (int p = 0; p < count; p++)
                texts.push_back(entryText(dialog, p));
            position = currentPosition(dialog);
        }),
        closeWindow(),
    }));
    EXPECT_EQ(0, runOptionsPage(CATEGORIES));
    ASSERT_EQ(10u, texts.size()) << "category 0 is not offered";
    EXPECT_EQ("Word-processing viewers", texts[0]);
    EXPECT_EQ("Conversion tools", texts[9]);
    EXPECT_EQ(4, position) << "the highlighted category is the current one";
    const DialogSeen &seen = autopilotLog()[0];
    EXPECT_EQ(0u, seen.control(IDC_OPTIONS_DESCRIPTION)->text.find("Adds Lumoria to other applications"))
        << "string 905";
    EXPECT_EQ("230", seen.control(IDC_OPTIONS_NEEDED)->text);
    EXPECT_EQ("50,000", seen.control(IDC_OPTIONS_FREE)->text);
    EXPECT_TRUE(seen.control(IDC_OPTIONS_DETAILS)->visible);
    EXPECT_TRUE(seen.control(IDC_OPTIONS_DETAILS)->enabled);
    EXPECT_TRUE(category(5).flags & ITEM_HIGHLIGHTED);
}

TEST_F(OptionsDialogTest, DetailPageShowsItsItemsAndHidesDetails)
{
    std::vector<std::string> texts;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) {
            for (int p = 0; p < 3; p++)
                texts.push_back(entryText(dialog, p));
            EXPECT_EQ(0, currentPosition(dialog));
        }),
        closeWindow(),
    }));
    EXPECT_EQ(0, runOptionsPage(GROUP_VWP));
    EXPECT_EQ((std::vector<std::string>{"Plain text", "Jor Writer 1.x", "Quillpad 3.x"}), texts);
    const DialogSeen &seen = autopilotLog()[0];
    EXPECT_EQ("Views Plain text documents without the application that made them.",
              seen.control(IDC_OPTIONS_DESCRIPTION)->text) << "format 912 with display name 3";
    EXPECT_FALSE(seen.control(IDC_OPTIONS_DETAILS)->visible);
    EXPECT_FALSE(seen.control(IDC_OPTIONS_DETAILS)->enabled);
    EXPECT_TRUE(item(GROUP_VWP, 0).flags & ITEM_HIGHLIGHTED);
}

TEST_F(OptionsDialogTest, ClickOnAnEntryNotHighlightedOnlyMovesTheHighlight)
{
    std::string description;
    autopilotQueue(sequence({
        selectEntry(IDC_OPTIONS_LIST, 2),
        inspect([&](HWND dialog) { description = controlText(dialog, IDC_OPTIONS_DESCRIPTION); }),
        closeWindow(),
    }));
    runOptionsPage(GROUP_VWP);
    EXPECT_EQ((std::vector<int32_t>{ITEM_SELECTED, ITEM_SELECTED, ITEM_HIGHLIGHTED}), flagsOf(GROUP_VWP));
    EXPECT_EQ(DEFAULT_SIZE, state().selectedSize);
    EXPECT_EQ("Views Quillpad 3.x documents without the application that made them.", description);
}

TEST_F(OptionsDialogTest, ClickOnTheHighlightedEntryTogglesItAndTheFigureFollows)
{
    // L2 is PLAIN's own; JWRITE1 and QUILL share L5.
    struct Step {
        int position;
        int32_t size;
    } steps[] = {
        {0, DEFAULT_SIZE - 20000},          // highlighted at opening: the first click toggles
        {0, DEFAULT_SIZE},
        {2, DEFAULT_SIZE},                  // highlight QUILL
        {2, DEFAULT_SIZE + 40000},          // select it: L4 only, L5 is counted already
        {1, DEFAULT_SIZE + 40000},          // highlight JWRITE1
        {1, DEFAULT_SIZE + 40000 - 30000},  // deselect it: L5 stays for QUILL
        {2, DEFAULT_SIZE + 10000},
        {2, DEFAULT_SIZE + 10000 - 45000},  // deselect QUILL: L4 and L5 go
    };
    std::vector<int32_t> sizes;
    std::vector<std::string> figures;
    std::vector<DialogStep> actions;
    for (const Step &s : steps) {
        actions.push_back(selectEntry(IDC_OPTIONS_LIST, s.position));
        actions.push_back(inspect([&](HWND dialog) {
            sizes.push_back(state().selectedSize);
            figures.push_back(controlText(dialog, IDC_OPTIONS_NEEDED));
        }));
    }
    actions.push_back(closeWindow());
    autopilotQueue(sequence(actions));
    runOptionsPage(GROUP_VWP);
    ASSERT_EQ(std::size(steps), sizes.size());
    for (size_t i = 0; i < sizes.size(); i++) {
        EXPECT_EQ(steps[i].size, sizes[i]) << "after click " << i + 1;
        EXPECT_EQ(thousands(steps[i].size), figures[i]) << "control 402 after click " << i + 1;
    }
    EXPECT_EQ((std::vector<int32_t>{ITEM_SELECTED, 0, ITEM_HIGHLIGHTED}), flagsOf(GROUP_VWP));
}

TEST_F(OptionsDialogTest, DoubleClickHighlightsAndToggles)
{
    autopilotQueue(sequence({doubleClickEntry(IDC_OPTIONS_LIST, 2), closeWindow()}));
    runOptionsPage(GROUP_VWP);
    EXPECT_EQ(ITEM_HIGHLIGHTED | ITEM_SELECTED, item(GROUP_VWP, 2).flags);
    EXPECT_EQ(DEFAULT_SIZE + 40000, state().selectedSize);
}

TEST_F(OptionsDialogTest, UnavailableEntriesChangeNothing)
{
    // JORNOTES, the first INTEGRATION entry, has no module: it is unavailable,
    // and highlighted only because a page opens on its first entry.
    ASSERT_TRUE(item(GROUP_INTEGRATION, 0).flags & ITEM_UNAVAILABLE);
    std::vector<int32_t> notesFlags;
    std::vector<int32_t> sizes;
    auto note = inspect([&](HWND) {
        notesFlags.push_back(item(GROUP_INTEGRATION, 0).flags);
        sizes.push_back(state().selectedSize);
    });
    autopilotQueue(sequence({
        selectEntry(IDC_OPTIONS_LIST, 0), note,
        doubleClickEntry(IDC_OPTIONS_LIST, 0), note,
        selectEntry(IDC_OPTIONS_LIST, 1), note,   // JORMAIL takes the highlight
        selectEntry(IDC_OPTIONS_LIST, 0), note,
        closeWindow(),
    }));
    runOptionsPage(GROUP_INTEGRATION);
    EXPECT_EQ((std::vector<int32_t>{3, 3, 2, 2}), notesFlags) << "never selected";
    EXPECT_EQ(std::vector<int32_t>(4, DEFAULT_SIZE), sizes);
    EXPECT_EQ(ITEM_HIGHLIGHTED | ITEM_SELECTED, item(GROUP_INTEGRATION, 1).flags) << "keeps the highlight";
}

TEST_F(OptionsDialogTest, UnavailableCategoryKeepsThePreviousDescription)
{
    ASSERT_EQ(ITEM_UNAVAILABLE, category(GROUP_CONVTOOL).flags) << "no CONVTOOLINFO on the media";
    std::string before, after;
    bool detailsEnabled = true;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) { before = controlText(dialog, IDC_OPTIONS_DESCRIPTION); }),
        selectEntry(IDC_OPTIONS_LIST, 9),
        inspect([&](HWND dialog) {
            after = controlText(dialog, IDC_OPTIONS_DESCRIPTION);
            detailsEnabled = controlState(dialog, IDC_OPTIONS_DETAILS).enabled;
        }),
        closeWindow(),
    }));
    runOptionsPage(CATEGORIES);
    EXPECT_EQ(0u, before.find("Viewers that show word-processing documents")) << before;
    EXPECT_EQ(before, after);
    EXPECT_FALSE(detailsEnabled);
    EXPECT_EQ(ITEM_UNAVAILABLE, category(GROUP_CONVTOOL).flags);
    EXPECT_TRUE(category(GROUP_VWP).flags & ITEM_HIGHLIGHTED) << "the highlight stays where it was";
    EXPECT_EQ(DEFAULT_SIZE, state().selectedSize);
}

TEST_F(OptionsDialogTest, DetailsEnabledOnlyForCategoriesWithItems)
{
    struct Case {
        int position;
        bool enabled;
    } cases[] = {{0, true}, {1, true}, {2, false}, {4, true}, {5, false}, {7, true}, {8, false}};
    std::vector<DialogStep> steps;
    std::vector<bool> seen;
    for (const Case &c : cases) {
        steps.push_back(selectEntry(IDC_OPTIONS_LIST, c.position));
        steps.push_back(inspect([&](HWND dialog) { seen.push_back(controlState(dialog, IDC_OPTIONS_DETAILS).enabled); }));
    }
    steps.push_back(closeWindow());
    autopilotQueue(sequence(steps));
    runOptionsPage(CATEGORIES);
    ASSERT_EQ(std::size(cases), seen.size());
    for (size_t i = 0; i < seen.size(); i++)
        EXPECT_EQ(cases[i].enabled, seen[i]) << "category " << cases[i].position + 1;

    // Category 10 with its item still has no page of its own.
    closeDialogSetup();
    DialogMedia withTool;
    withTool.withConvTool = true;
    writeDialogMedia(dir, withTool);
    ASSERT_TRUE(openDialogSetup(dir));
    ASSERT_EQ(1, state().groups[GROUP_CONVTOOL].itemCount);
    bool enabled = true;
    autopilotStart();
    autopilotQueue(sequence({selectEntry(IDC_OPTIONS_LIST, 9),
                             inspect([&](HWND dialog) { enabled = controlState(dialog, IDC_OPTIONS_DETAILS).enabled; }),
                             closeWindow()}));
    runOptionsPage(CATEGORIES);
    EXPECT_FALSE(enabled) << "category 10";
}

TEST_F(OptionsDialogTest, DetailsEndsWithTheHighlightedCategory)
{
    autopilotQueue(sequence({selectEntry(IDC_OPTIONS_LIST, 1), pressButton(IDC_OPTIONS_DETAILS)}));
    EXPECT_EQ(2, runOptionsPage(CATEGORIES));
    EXPECT_EQ(GROUP_SPREADSHEET, state().currentCategory);
}

TEST_F(OptionsDialogTest, CancelOnADetailPageRestoresFlagsSizeAndFileTable)
{
    std::vector<int32_t> flagsAtOpening;
    std::vector<char> tableAtOpening;
    autopilotQueue(sequence({
        inspect([&](HWND) {
            flagsAtOpening = flagsOf(GROUP_VWP);
            tableAtOpening = fileTable();
        }),
        selectEntry(IDC_OPTIONS_LIST, 0),   // deselect PLAIN
        selectEntry(IDC_OPTIONS_LIST, 2),
        selectEntry(IDC_OPTIONS_LIST, 2),   // select QUILL
        selectEntry(IDC_OPTIONS_LIST, 1),
        selectEntry(IDC_OPTIONS_LIST, 1),   // deselect JWRITE1
        inspect([&](HWND) { EXPECT_NE(DEFAULT_SIZE, state().selectedSize) << "the clicks changed something"; }),
        pressButton(IDCANCEL),
    }));
    EXPECT_EQ(0, runOptionsPage(GROUP_VWP));
    EXPECT_EQ(flagsAtOpening, flagsOf(GROUP_VWP));
    EXPECT_EQ(DEFAULT_SIZE, state().selectedSize);
    EXPECT_TRUE(tableAtOpening == fileTable()) << "reference counts as at opening";
}

TEST_F(OptionsDialogTest, CloseCommandOnADetailPageKeepsTheChanges)
{
    autopilotQueue(sequence({selectEntry(IDC_OPTIONS_LIST, 0), closeWindow()}));
    EXPECT_EQ(0, runOptionsPage(GROUP_VWP));
    EXPECT_EQ(0, item(GROUP_VWP, 0).flags & ITEM_SELECTED);
    EXPECT_EQ(DEFAULT_SIZE - 20000, state().selectedSize);
    EXPECT_EQ(1u, autopilotLog().size()) << "no box";
}

TEST_F(OptionsDialogTest, OkAcceptsExactlyTheFreeSpaceAndNotOneByteMore)
{
    useFakeDisk(DEFAULT_SIZE);
    spaceUsed = 0;
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(1, runOptionsPage(CATEGORIES));
    EXPECT_EQ(DEFAULT_SIZE, spaceUsed);

    useFakeDisk(DEFAULT_SIZE - 1);
    spaceUsed = 0;
    autopilotStart();
    autopilotQueue(sequence({pressButton(IDOK), pressButton(IDCANCEL)}));
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(0, runOptionsPage(CATEGORIES)) << "the dialog stayed open after the box";
    ASSERT_EQ(2u, autopilotLog().size());
    EXPECT_TRUE(autopilotLog()[1].messageBox);
    EXPECT_EQ("Lumoria Setup", autopilotLog()[1].caption);
    EXPECT_EQ(0u, autopilotLog()[1].text.find("There is not enough free space"));
    EXPECT_EQ(0, spaceUsed);

    useFakeDisk((1LL << 32) + 1000);  // a 32-bit figure would be 1,000 bytes
    autopilotStart();
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(1, runOptionsPage(CATEGORIES)) << "compared in 64 bits";
    EXPECT_EQ(0u, autopilotUnexpected());
}

TEST_F(OptionsDialogTest, HelpOpensOnTheOptionsTopic)
{
    state().helpOpened = 5;
    bool resetAtOpening = false;
    autopilotQueue(sequence({
        inspect([&](HWND) { resetAtOpening = state().helpOpened == 0; }),
        pressButton(IDC_HELP_BUTTON),
        closeWindow(),
    }));
    runOptionsPage(CATEGORIES);
    EXPECT_TRUE(resetAtOpening);
    ASSERT_EQ(1u, helpRequests().size());
    EXPECT_EQ(dir + "lumoria.hlp", helpRequests()[0].file);
    EXPECT_EQ((unsigned)HELP_CONTEXT, helpRequests()[0].command);
    EXPECT_EQ(16433ul, helpRequests()[0].context);
    EXPECT_NE(0, state().helpOpened);
}

TEST_F(OptionsDialogTest, ItemDescriptionTakesTheFormatLiterally)
{
    closeDialogSetup();
    ASSERT_TRUE(putStringResource(dir + "luinsres.dll", IDS_ITEM_DESCRIPTION_BASE + GROUP_VWP,
                                  "%n%d 100%% %s, %s."));
    ASSERT_TRUE(openDialogSetup(dir));
    autopilotQueue(closeWindow());
    runOptionsPage(GROUP_VWP);
    EXPECT_EQ("%n%d 100% Plain text, %s.", autopilotLog()[0].control(IDC_OPTIONS_DESCRIPTION)->text);
}

// ---------------------------------------------------------------------------
// The sequence of showings

TEST_F(OptionsDialogTest, DetailsOfADeselectedCategoryCountsItsItemsAgain)
{
    // Category list: deselect the spreadsheet filters (L6 and L7 leave), open
    // their page; the page shows JSHEET selected, so its files count again.
    int32_t sizeOnPage = 0;
    bool selectedAfterPage = false;
    autopilotQueue(sequence({
        selectEntry(IDC_OPTIONS_LIST, 1),
        selectEntry(IDC_OPTIONS_LIST, 1),
        inspect([&](HWND) { EXPECT_EQ(DEFAULT_SIZE - 18000, state().selectedSize); }),
        pressButton(IDC_OPTIONS_DETAILS),
    }));
    autopilotQueue(sequence({
        inspect([&](HWND) { sizeOnPage = state().selectedSize; }),
        selectEntry(IDC_OPTIONS_LIST, 1),
        selectEntry(IDC_OPTIONS_LIST, 1),   // GRIDWISE too
        pressButton(IDOK),
    }));
    autopilotQueue(sequence({
        inspect([&](HWND dialog) {
            selectedAfterPage = (category(GROUP_SPREADSHEET).flags & ITEM_SELECTED) != 0;
            EXPECT_EQ(1, currentPosition(dialog)) << "back on the category that was opened";
        }),
        pressButton(IDOK),
    }));
    EXPECT_EQ(1, answerComponents(nullptr));
    EXPECT_EQ(3u, autopilotLog().size());
    EXPECT_EQ(DEFAULT_SIZE, sizeOnPage);
    EXPECT_TRUE(selectedAfterPage);
    EXPECT_EQ(DEFAULT_SIZE + 13000, state().selectedSize);
    EXPECT_EQ(DEFAULT_SIZE + 13000, spaceUsed);
    EXPECT_EQ(CATEGORIES, state().optionsPage);
}

TEST_F(OptionsDialogTest, CategoryEndsDeselectedWhenItsPageDeselectsEverything)
{
    autopilotQueue(sequence({selectEntry(IDC_OPTIONS_LIST, 1), pressButton(IDC_OPTIONS_DETAILS)}));
    autopilotQueue(sequence({selectEntry(IDC_OPTIONS_LIST, 0), pressButton(IDOK)}));  // JSHEET off
    autopilotQueue(pressButton(IDCANCEL));
    EXPECT_EQ(0, answerComponents(nullptr));
    EXPECT_EQ(0, category(GROUP_SPREADSHEET).flags & ITEM_SELECTED);
    EXPECT_EQ(DEFAULT_SIZE - 18000, state().selectedSize)
        << "Cancel on the category list returns to its last filling, after the page";
}

} // namespace
