// component_answers.cpp - the selection's components in the answer file,
// recorded from the catalogue and replayed through the options dialogs' own
// operations (the detail page's bracket, the toggle of a highlighted entry,
// the OK button's space check), so that a replayed selection reaches the
// reference counts and sizes a person's clicks reach. Also the log lines of
// the selection and of the file lists written.
#include "component_answers.h"

#include <string.h>

#include "answers.h"
#include "catalogue/catalogue.h"
#include "catalogue/space.h"
#include "catalogue/choices.h"
#include "dialogs/options_dialog.h"
#include "state/setup_log.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"

namespace {

constexpr size_t NAME_BYTES = 32;
constexpr size_t VALUE_BYTES = 16;
constexpr size_t REASON_BYTES = 320;
// The keys of one section, as the profile API lists them.
constexpr size_t KEY_LIST_BYTES = 8192;
constexpr size_t LOG_LIST_BYTES = 640;

char reasonText[REASON_BYTES];

const char *because(const char *format, const char *a, const char *b = "")
{
    formatText(reasonText, sizeof reasonText, format, a, b);
    return reasonText;
}

// The answer file's name of a group: its install.ini section without "INFO".
void groupName(int g, char *name, size_t cap)
{
    copyText(name, cap, groupTable[g].infoSection);
    size_t length = strlen(name);
    if (length > 4 && strcmp(name + length - 4, "INFO") == 0)
        name[length - 4] = 0;
}

// An item's key as install.ini names it: the catalogue's key without the
// group's suffix, which only keeps a viewer apart from a converter.
void itemKey(int g, const ComponentItem &item, char *key, size_t cap)
{
    char own[sizeof item.key + 1];
    copyFieldText(own, sizeof own, item.key, sizeof item.key);
    size_t length = strlen(own), suffix = strlen(groupTable[g].keySuffix);
    if (suffix && length > suffix && strcmp(own + length - suffix, groupTable[g].keySuffix) == 0)
        own[length - suffix] = 0;
    copyText(key, cap, own);
}

int itemsOf(int g)
{
    int count = setupState->groups[g].itemCount;
    return count < 0 ? 0 : count > MAX_GROUP_ITEMS ? MAX_GROUP_ITEMS : count;
}

bool categoryOnMedium(int g) { return itemsOf(g) > 0; }

bool isSelected(const ComponentItem &item) { return (item.flags & ITEM_SELECTED) != 0; }

ComponentItem &categoryItem(int g) { return setupState->groups[CATEGORIES].items[g]; }

bool hasItemPage(int g) { return g > 0 && g < CATEGORIES && hasDetailPage(g) && categoryOnMedium(g); }

// The file's answer for section/key: 1, 0, -1 when not named; -2 for a value
// that is neither.
int wanted(const char *section, const char *key)
{
    char value[VALUE_BYTES];
    readIniText(answersFile(), section, key, "", value, sizeof value);
    if (!value[0])
        return -1;
    if (strcmp(value, "1") == 0)
        return 1;
    if (strcmp(value, "0") == 0)
        return 0;
    return -2;
}

int findItem(int g, const char *key)
{
    char own[NAME_BYTES];
    for (int i = 0; i < itemsOf(g); i++) {
        itemKey(g, setupState->groups[g].items[i], own, sizeof own);
        if (equalsNoCase(own, key))
            return i;
    }
    return -1;
}

int findCategory(const char *name)
{
    char own[NAME_BYTES];
    for (int g = 0; g < CATEGORIES; g++) {
        groupName(g, own, sizeof own);
        if (equalsNoCase(own, name))
            return g;
    }
    return -1;
}

// Every key the file names in a section must be a component of this medium
// with the value 1 or 0.
const char *checkSection(const char *section, int g)
{
    static char keys[KEY_LIST_BYTES];
    int length = readIniKeyNames(answersFile(), section, keys, sizeof keys);
    for (const char *key = keys; key < keys + length && *key; key += strlen(key) + 1) {
        bool known = g < 0 ? (findCategory(key) >= 0 && categoryOnMedium(findCategory(key))) : findItem(g, key) >= 0;
        if (!known)
            return because("%s/%s: no such component on this medium", section, key);
        if (wanted(section, key) == -2)
            return because("%s/%s: 1 or 0 expected", section, key);
    }
    return nullptr;
}

const char *checkNames()
{
    if (const char *problem = checkSection("Components", -1))
        return problem;
    char section[NAME_BYTES];
    for (int g = 1; g < CATEGORIES; g++) {
        if (!hasDetailPage(g))
            continue;
        groupName(g, section, sizeof section);
        if (const char *problem = checkSection(section, g))
            return problem;
    }
    return nullptr;
}

// A detail page on which the items the file names differently are clicked,
// as a person clicks them.
const char *applyItems(int g)
{
    SetupState &s = *setupState;
    char section[NAME_BYTES], key[NAME_BYTES];
    groupName(g, section, sizeof section);
    ComponentGroup &group = s.groups[g];
    int want[MAX_GROUP_ITEMS];
    bool anyChange = false;
    for (int i = 0; i < itemsOf(g); i++) {
        itemKey(g, group.items[i], key, sizeof key);
        want[i] = wanted(section, key);
        if (want[i] < 0 || want[i] == (isSelected(group.items[i]) ? 1 : 0))
            continue;
        // An unavailable entry can be neither highlighted nor selected.
        if (group.items[i].flags & ITEM_UNAVAILABLE)
            return because("%s/%s: not available on this machine", section, key);
        anyChange = true;
    }
    if (!anyChange)
        return nullptr;
    beginDetailPage(g);
    for (int i = 0; i < itemsOf(g); i++)
        if (want[i] >= 0 && want[i] != (isSelected(group.items[i]) ? 1 : 0))
            toggleComponent(g, &group.items[i], i);
    endDetailPage(g);
    return nullptr;
}

const char *applyCategory(int g)
{
    char name[NAME_BYTES];
    groupName(g, name, sizeof name);
    int want = wanted("Components", name);
    ComponentItem &entry = categoryItem(g);
    if (want < 0 || want == (isSelected(entry) ? 1 : 0))
        return nullptr;
    // The viewer engine is not on the category list: setup decides it.
    if (g == GROUP_VIEWENGINE)
        return because("Components/%s: cannot be chosen, setup decides it", name);
    if (entry.flags & ITEM_UNAVAILABLE)
        return because("Components/%s: not available on this medium", name);
    toggleComponent(CATEGORIES, &entry, g);
    return nullptr;
}

const char *applyAllComponents()
{
    if (const char *problem = checkNames())
        return problem;
    // As a person works: the detail pages first, then the category list.
    for (int g = 1; g < CATEGORIES; g++)
        if (hasItemPage(g))
            if (const char *problem = applyItems(g))
                return problem;
    for (int g = 0; g < CATEGORIES; g++)
        if (categoryOnMedium(g))
            if (const char *problem = applyCategory(g))
                return problem;
    return nullptr;
}

// One unit of work: the answer file is looked at once, not at every key.
const char *applyComponents()
{
    beginProfileWork();
    const char *problem = applyAllComponents();
    endProfileWork();
    return problem;
}

void appendFigure(char *text, size_t cap, const char *label, int64_t value)
{
    char figure[40];
    formatText(figure, sizeof figure, "%s %lld bytes", label, (long long)value);
    appendText(text, cap, figure);
}

} // namespace

void writeComponentAnswers(const char *path)
{
    SetupState &s = *setupState;
    char section[NAME_BYTES], key[NAME_BYTES];
    for (int g = 0; g < CATEGORIES; g++) {
        if (!categoryOnMedium(g))
            continue;
        groupName(g, key, sizeof key);
        writeIniText(path, "Components", key, isSelected(categoryItem(g)) ? "1" : "0");
    }
    for (int g = 1; g < CATEGORIES; g++) {
        if (!hasItemPage(g))
            continue;
        groupName(g, section, sizeof section);
        for (int i = 0; i < itemsOf(g); i++) {
            itemKey(g, s.groups[g].items[i], key, sizeof key);
            writeIniText(path, section, key, isSelected(s.groups[g].items[i]) ? "1" : "0");
        }
    }
}

const char *takeCustomSelection()
{
    SetupState &s = *setupState;
    if (const char *problem = applyComponents())
        return problem;
    // As the options dialog's OK: against the free figure of installDir.
    char freeText[PATH_BYTES];
    computeFreeSpace(s.installDir, freeText, sizeof freeText);
    if (acceptSelectedSize())
        return nullptr;
    char needed[24], free[24];
    formatText(needed, sizeof needed, "%ld", (long)s.selectedSize);
    formatText(free, sizeof free, "%lld", (long long)s.freeSpaceBytes);
    formatText(reasonText, sizeof reasonText, "too little space: %s bytes needed, %s free for %s", needed, free,
               s.installDir);
    return reasonText;
}

int replayComponents()
{
    SetupState &s = *setupState;
    char kind[VALUE_BYTES];
    readIniText(answersFile(), "Setup", "Kind", "", kind, sizeof kind);
    if (s.maintenanceMode && equalsNoCase(kind, "cancel")) {
        logLine("answer Kind=cancel (from the answer file): the modification is cancelled");
        return OPTIONS_CANCELLED;
    }
    if (const char *problem = takeCustomSelection()) {
        logLine("components cannot be taken: %s; setup stops (-3)", problem);
        return NO_ANSWER;
    }
    logLine("components: those the answer file names, the others as the %s starts",
            s.maintenanceMode ? "modification" : "custom installation");
    return OPTIONS_ACCEPTED;
}

void logSelection()
{
    if (!setupLogOn())
        return;
    SetupState &s = *setupState;
    char line[LOG_LIST_BYTES], name[NAME_BYTES], key[NAME_BYTES];
    for (int g = 0; g < CATEGORIES; g++) {
        if (!categoryOnMedium(g))
            continue;
        groupName(g, name, sizeof name);
        if (!isSelected(categoryItem(g))) {
            logLine("selection: %s not chosen", name);
            continue;
        }
        line[0] = 0;
        if (g != GROUP_VIEWENGINE && g != GROUP_CONVTOOL)
            for (int i = 0; i < itemsOf(g); i++) {
                if (!isSelected(s.groups[g].items[i]))
                    continue;
                itemKey(g, s.groups[g].items[i], key, sizeof key);
                appendText(line, sizeof line, " ");
                appendText(line, sizeof line, key);
            }
        logLine("selection: %s chosen:%s", name, line[0] ? line : " (the whole category)");
    }
    line[0] = 0;
    appendFigure(line, sizeof line, "selected", s.selectedSize);
    appendFigure(line, sizeof line, ", space used", spaceUsed);
    appendFigure(line, sizeof line, ", free", s.freeSpaceBytes);
    logLine("sizes: %s, folder %s", line, s.installDir);
}

void logFileLists(const char *what)
{
    if (!setupLogOn())
        return;
    SetupState &s = *setupState;
    static const char *const lists[] = {"SETUPFILES", "INSTALLFILES", "SAMPLEFILES", "NOTEFILES"};
    int counts[4] = {0, 0, 0, 0};
    // One unit: install.ini is checked for a change once, not at every key.
    beginProfileWork();
    int files = readIniInt(s.setupIniPath, "INSTALLFILES", "NUMFILES", 0);
    char key[16], value[NAME_BYTES];
    for (int n = 1; n <= files; n++) {
        formatText(key, sizeof key, "FILE%d", n);
        for (int l = 0; l < 4; l++)
            if (readIniText(s.setupIniPath, lists[l], key, "", value, sizeof value) > 0)
                counts[l]++;
    }
    for (int l = 0; l < 4; l++)
        logLine("%s: file list %s written: %d files", what, lists[l], counts[l]);
    int removed = readIniInt(s.setupIniPath, "REMOVEFILES", "NUMFILES", 0);
    if (removed > 0)
        logLine("%s: file list REMOVEFILES written: %d files", what, removed);
    readIniText(s.setupIniPath, "INSTALLFILES", "SIZEFILES", "0", value, sizeof value);
    char spaceText[NAME_BYTES];
    readIniText(s.setupIniPath, "General", "SPACEUSED", "-", spaceText, sizeof spaceText);
    endProfileWork();
    logLine("%s: install.ini written: %s: %d files to copy, %s bytes, SPACEUSED %s", what, s.setupIniPath, files,
            value, spaceText);
}
