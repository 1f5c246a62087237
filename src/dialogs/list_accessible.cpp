// list_accessible.cpp - the accessible object of the options dialog's list.
// The list box stores only texts, so the object Windows makes for it could
// name each entry but not say that it is ticked or unavailable. This object
// answers for the entries itself (check boxes with their names, states and
// descriptions) and hands everything about the list as a whole to the
// standard object Windows makes for the window.
//
// It is a struct whose first member is its vtable, made at the first
// WM_GETOBJECT and cut loose when the list is destroyed: from then on it
// answers every call with "disconnected", holds nothing and touches neither
// the window nor the setup state, so that a screen reader that keeps a
// reference after the dialog closed, or after the host unloaded the library's
// caller, finds nothing behind it. The accessibility and COM libraries are
// loaded only for the life of the object, so that the library imports none of
// them and a setup without a screen reader never loads them.
#define CINTERFACE
#define COBJMACROS
#include "list_accessible.h"

#include <oleacc.h>
#include <string.h>

#include "component_list.h"
#include "options_dialog.h"
#include "state/module_load.h"
#include "state/setup_state.h"

namespace {

// The interfaces this object is, by their fixed identifiers.
constexpr GUID UNKNOWN_ID = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID DISPATCH_ID = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID OLE_WINDOW_ID = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID ACCESSIBLE_ID = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

const char OBJECT_PROPERTY[] = "dialogint.listObject";
constexpr LONG CLIENT_OBJECT = OBJID_CLIENT;
constexpr int ENTRY_TEXT_BYTES = 64;
constexpr int DESCRIPTION_BYTES = 256;

using CreateStandardFn = HRESULT(WINAPI *)(HWND, LONG, REFIID, void **);
using ResultFromObjectFn = LRESULT(WINAPI *)(REFIID, WPARAM, LPUNKNOWN);
using ComInitFn = HRESULT(WINAPI *)(void *, DWORD);
using ComUninitFn = void(WINAPI *)();
using ComDisconnectFn = HRESULT(WINAPI *)(LPUNKNOWN, DWORD);
using StringAllocFn = BSTR(WINAPI *)(const OLECHAR *);

// What the object borrows from the system's libraries while it is connected.
struct SystemCalls {
    HMODULE accessibility, com, automation;
    CreateStandardFn createStandard;
    ResultFromObjectFn resultFromObject;
    ComInitFn comInit;
    ComUninitFn comUninit;
    ComDisconnectFn comDisconnect;
    StringAllocFn stringAlloc;
};

struct ListObject {
    IAccessibleVtbl *vtbl;   // first: the object is its interface
    LONG references;
    HWND list;
    IAccessible *standard;   // Windows' object for the window
    bool disconnected;
    bool comEntered;         // this object initialised COM on the thread
    SystemCalls calls;
};

ListObject *objectOf(IAccessible *self) { return reinterpret_cast<ListObject *>(self); }

bool sameId(REFIID a, const GUID &b) { return memcmp(&a, &b, sizeof b) == 0; }

// ---------------------------------------------------------------------------
// Entries

int entryCount(ListObject *o)
{
    LRESULT count = SendMessageA(o->list, LB_GETCOUNT, 0, 0);
    return count == LB_ERR || count < 0 ? 0 : (int)count;
}

// The list position of a child, -1 for the list itself, -2 for no child of it.
int positionOf(ListObject *o, VARIANT child)
{
    if (child.vt != VT_I4)
        return -2;
    if (child.lVal == CHILDID_SELF)
        return -1;
    return child.lVal >= 1 && child.lVal <= entryCount(o) ? (int)child.lVal - 1 : -2;
}

HRESULT answerText(ListObject *o, const WCHAR *text, BSTR *out)
{
    if (!text || !text[0])
        return S_FALSE;
    *out = o->calls.stringAlloc(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The entry's text as the list holds it, in UTF-16.
void entryName(ListObject *o, int position, WCHAR *text)
{
    text[0] = 0;
    LRESULT length = SendMessageW(o->list, LB_GETTEXTLEN, (WPARAM)position, 0);
    if (length >= 0 && length < ENTRY_TEXT_BYTES)
        SendMessageW(o->list, LB_GETTEXT, (WPARAM)position, (LPARAM)text);
}

LONG entryState(ListObject *o, int position)
{
    LONG state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (const ComponentItem *item = itemAtListPosition(position)) {
        if (item->flags & ITEM_SELECTED)
            state |= STATE_SYSTEM_CHECKED;
        if (item->flags & ITEM_UNAVAILABLE)
            state |= STATE_SYSTEM_UNAVAILABLE;
        if (item->flags & ITEM_HIGHLIGHTED)
            state |= STATE_SYSTEM_SELECTED;
    }
    if (GetFocus() == o->list && SendMessageA(o->list, LB_GETCARETINDEX, 0, 0) == position)
        state |= STATE_SYSTEM_FOCUSED;
    return state;
}

// VariantInit without importing the automation library.
void clearVariant(VARIANT *v)
{
    memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

void answerChild(VARIANT *out, int position)
{
    clearVariant(out);
    if (position < 0)
        return;
    out->vt = VT_I4;
    out->lVal = position + 1;
}

// ---------------------------------------------------------------------------
// IUnknown and IDispatch

HRESULT STDMETHODCALLTYPE queryInterface(IAccessible *self, REFIID id, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ListObject *o = objectOf(self);
    if (sameId(id, UNKNOWN_ID) || sameId(id, DISPATCH_ID) || sameId(id, ACCESSIBLE_ID)) {
        *out = self;
        InterlockedIncrement(&o->references);
        return S_OK;
    }
    // The window behind the object is the standard object's answer.
    if (sameId(id, OLE_WINDOW_ID) && !o->disconnected && o->standard)
        return IAccessible_QueryInterface(o->standard, id, out);
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE addRef(IAccessible *self) { return (ULONG)InterlockedIncrement(&objectOf(self)->references); }

ULONG STDMETHODCALLTYPE release(IAccessible *self)
{
    ListObject *o = objectOf(self);
    LONG left = InterlockedDecrement(&o->references);
    if (left == 0)
        HeapFree(GetProcessHeap(), 0, o);
    return (ULONG)left;
}

HRESULT STDMETHODCALLTYPE getTypeInfoCount(IAccessible *, UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getTypeInfo(IAccessible *, UINT, LCID, ITypeInfo **info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE getIdsOfNames(IAccessible *, REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE invoke(IAccessible *, DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *)
{
    return E_NOTIMPL;
}

// ---------------------------------------------------------------------------
// IAccessible. Each call on the list itself goes to the standard object; a
// call on an entry is answered here; after the disconnect every call fails.

#define CHECK_CONNECTED(o)                                                     \
    if ((o)->disconnected || !(o)->standard)                                   \
        return RPC_E_DISCONNECTED

// The opening of every call about the list or one of its entries: `o` the
// object, `position` the entry `child` names (-1 the list itself, below -1
// none). On the list itself the standard object answers with `forward`.
#define LIST_OR_ENTRY(o, position, child, forward)                             \
    ListObject *o = objectOf(self);                                            \
    CHECK_CONNECTED(o);                                                        \
    int position = positionOf(o, child);                                       \
    if (position == -1)                                                        \
        return forward

// An entry's name (its text in the list) or description (what the
// description box shows), the answer cleared before it is given.
static HRESULT answerEntryText(ListObject *o, int position, bool description, BSTR *out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (position < 0)
        return E_INVALIDARG;
    WCHAR text[DESCRIPTION_BYTES] = L"";
    if (!description)
        entryName(o, position, text);
    else if (!componentEntryDescription(position, text, DESCRIPTION_BYTES))
        return S_FALSE;
    return answerText(o, text, out);
}

// An entry's role or state: a number.
static HRESULT answerEntryNumber(int position, LONG value, VARIANT *out)
{
    if (!out)
        return E_POINTER;
    clearVariant(out);
    if (position < 0)
        return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

// An entry has no help, help topic, shortcut or default-action text.
static HRESULT noEntryText(int position, BSTR *out)
{
    if (out)
        *out = nullptr;
    return position < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT STDMETHODCALLTYPE getParent(IAccessible *self, IDispatch **parent)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    return IAccessible_get_accParent(o->standard, parent);
}

HRESULT STDMETHODCALLTYPE getChildCount(IAccessible *self, LONG *count)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    if (!count)
        return E_POINTER;
    *count = entryCount(o);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getChild(IAccessible *self, VARIANT child, IDispatch **out)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    if (!out)
        return E_POINTER;
    *out = nullptr;
    // Entries are simple elements of this object, not objects of their own.
    return positionOf(o, child) >= 0 ? S_FALSE : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE getName(IAccessible *self, VARIANT child, BSTR *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accName(o->standard, child, out));
    return answerEntryText(o, position, false, out);
}

HRESULT STDMETHODCALLTYPE getValue(IAccessible *self, VARIANT child, BSTR *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accValue(o->standard, child, out));
    if (out)
        *out = nullptr;
    return position < 0 ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE getDescription(IAccessible *self, VARIANT child, BSTR *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accDescription(o->standard, child, out));
    return answerEntryText(o, position, true, out);
}

HRESULT STDMETHODCALLTYPE getRole(IAccessible *self, VARIANT child, VARIANT *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accRole(o->standard, child, out));
    return answerEntryNumber(position, ROLE_SYSTEM_CHECKBUTTON, out);
}

HRESULT STDMETHODCALLTYPE getState(IAccessible *self, VARIANT child, VARIANT *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accState(o->standard, child, out));
    return answerEntryNumber(position, position < 0 ? 0 : entryState(o, position), out);
}

HRESULT STDMETHODCALLTYPE getHelp(IAccessible *self, VARIANT child, BSTR *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accHelp(o->standard, child, out));
    return noEntryText(position, out);
}

HRESULT STDMETHODCALLTYPE getHelpTopic(IAccessible *self, BSTR *file, VARIANT child, LONG *topic)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accHelpTopic(o->standard, file, child, topic));
    return noEntryText(position, file);
}

HRESULT STDMETHODCALLTYPE getKeyboardShortcut(IAccessible *self, VARIANT child, BSTR *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accKeyboardShortcut(o->standard, child, out));
    return noEntryText(position, out);
}

HRESULT STDMETHODCALLTYPE getFocus(IAccessible *self, VARIANT *out)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    if (!out)
        return E_POINTER;
    clearVariant(out);
    if (GetFocus() != o->list)
        return S_FALSE;
    int caret = (int)SendMessageA(o->list, LB_GETCARETINDEX, 0, 0);
    out->vt = VT_I4;
    out->lVal = caret >= 0 && caret < entryCount(o) ? caret + 1 : CHILDID_SELF;
    return S_OK;
}

// The selected entry is the highlighted one, whatever the list box's own
// selection says after a click on an unavailable entry.
HRESULT STDMETHODCALLTYPE getSelection(IAccessible *self, VARIANT *out)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    if (!out)
        return E_POINTER;
    clearVariant(out);
    int count = entryCount(o);
    for (int p = 0; p < count; p++) {
        const ComponentItem *item = itemAtListPosition(p);
        if (item && (item->flags & ITEM_HIGHLIGHTED)) {
            answerChild(out, p);
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE getDefaultAction(IAccessible *self, VARIANT child, BSTR *out)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_get_accDefaultAction(o->standard, child, out));
    return noEntryText(position, out);
}

HRESULT STDMETHODCALLTYPE select(IAccessible *self, LONG how, VARIANT child)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_accSelect(o->standard, how, child));
    return position < 0 ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE location(IAccessible *self, LONG *left, LONG *top, LONG *width, LONG *height, VARIANT child)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_accLocation(o->standard, left, top, width, height, child));
    if (!left || !top || !width || !height)
        return E_POINTER;
    RECT rect;
    if (position < 0 || SendMessageA(o->list, LB_GETITEMRECT, (WPARAM)position, (LPARAM)&rect) == LB_ERR)
        return E_INVALIDARG;
    MapWindowPoints(o->list, HWND_DESKTOP, reinterpret_cast<POINT *>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE navigate(IAccessible *self, LONG direction, VARIANT start, VARIANT *out)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    int position = positionOf(o, start);
    int count = entryCount(o);
    if (position == -1 && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD)
        return IAccessible_accNavigate(o->standard, direction, start, out);
    if (!out)
        return E_POINTER;
    clearVariant(out);
    if (position < -1)
        return E_INVALIDARG;
    int target = -1;
    switch (direction) {
    case NAVDIR_FIRSTCHILD: target = position == -1 ? 0 : -1; break;
    case NAVDIR_LASTCHILD: target = position == -1 ? count - 1 : -1; break;
    case NAVDIR_NEXT:
    case NAVDIR_DOWN: target = position + 1; break;
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP: target = position - 1; break;
    }
    if (target < 0 || target >= count)
        return S_FALSE;
    answerChild(out, target);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE hitTest(IAccessible *self, LONG x, LONG y, VARIANT *out)
{
    ListObject *o = objectOf(self);
    CHECK_CONNECTED(o);
    POINT at = {x, y};
    RECT client;
    ScreenToClient(o->list, &at);
    GetClientRect(o->list, &client);
    if (!PtInRect(&client, at))
        return IAccessible_accHitTest(o->standard, x, y, out);
    if (!out)
        return E_POINTER;
    clearVariant(out);
    LRESULT hit = SendMessageA(o->list, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
    out->vt = VT_I4;
    out->lVal = HIWORD(hit) == 0 && (int)LOWORD(hit) < entryCount(o) ? LOWORD(hit) + 1 : CHILDID_SELF;
    return S_OK;
}

// A screen reader's press on an entry does what a click on it and a second
// click do: the entry becomes the highlighted one and toggles, through the
// dialog's own click path. An unavailable entry has no action.
HRESULT STDMETHODCALLTYPE doDefaultAction(IAccessible *self, VARIANT child)
{
    LIST_OR_ENTRY(o, position, child, IAccessible_accDoDefaultAction(o->standard, child));
    const ComponentItem *item = position >= 0 ? itemAtListPosition(position) : nullptr;
    if (!item)
        return E_INVALIDARG;
    if (item->flags & ITEM_UNAVAILABLE)
        return DISP_E_MEMBERNOTFOUND;
    HWND owner = GetParent(o->list);
    WORD id = (WORD)GetDlgCtrlID(o->list);
    SendMessageA(o->list, LB_SETCURSEL, (WPARAM)position, 0);
    if (!(item->flags & ITEM_HIGHLIGHTED))
        SendMessageA(owner, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), (LPARAM)o->list);
    SendMessageA(owner, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), (LPARAM)o->list);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE putName(IAccessible *, VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE putValue(IAccessible *, VARIANT, BSTR) { return E_NOTIMPL; }

IAccessibleVtbl listObjectVtbl = {
    queryInterface, addRef, release,
    getTypeInfoCount, getTypeInfo, getIdsOfNames, invoke,
    getParent, getChildCount, getChild, getName, getValue, getDescription, getRole, getState,
    getHelp, getHelpTopic, getKeyboardShortcut, getFocus, getSelection, getDefaultAction,
    select, location, navigate, hitTest, doDefaultAction, putName, putValue,
};

// ---------------------------------------------------------------------------
// Making and cutting loose

template <typename Fn> bool loadCall(HMODULE module, const char *name, Fn *call)
{
    *call = module ? reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, name))) : nullptr;
    return *call != nullptr;
}

bool loadSystemCalls(SystemCalls &c)
{
    c.accessibility = loadSystemModule("oleacc.dll");
    c.com = loadSystemModule("ole32.dll");
    c.automation = loadSystemModule("oleaut32.dll");
    bool all = loadCall(c.accessibility, "CreateStdAccessibleObject", &c.createStandard);
    all = loadCall(c.accessibility, "LresultFromObject", &c.resultFromObject) && all;
    all = loadCall(c.com, "CoInitializeEx", &c.comInit) && all;
    all = loadCall(c.com, "CoUninitialize", &c.comUninit) && all;
    all = loadCall(c.com, "CoDisconnectObject", &c.comDisconnect) && all;
    all = loadCall(c.automation, "SysAllocString", &c.stringAlloc) && all;
    return all;
}

void freeSystemCalls(SystemCalls &c)
{
    HMODULE modules[] = {c.automation, c.accessibility, c.com};
    for (HMODULE module : modules)
        if (module)
            FreeLibrary(module);
    memset(&c, 0, sizeof c);
}

void cutLoose(ListObject *o)
{
    if (o->disconnected)
        return;
    o->disconnected = true;
    // The references COM's stubs hold for screen readers go first.
    if (o->calls.comDisconnect)
        o->calls.comDisconnect(reinterpret_cast<IUnknown *>(o), 0);
    if (o->standard)
        IAccessible_Release(o->standard);
    o->standard = nullptr;
    if (o->comEntered)
        o->calls.comUninit();
    o->comEntered = false;
    freeSystemCalls(o->calls);
    o->list = nullptr;
}

ListObject *makeListObject(HWND list)
{
    auto *o = static_cast<ListObject *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ListObject)));
    if (!o)
        return nullptr;
    o->vtbl = &listObjectVtbl;
    o->references = 1;   // the list's own, given back when it goes
    o->list = list;
    bool made = loadSystemCalls(o->calls);
    if (made) {
        // Handing the object out needs COM on the thread; the host may not
        // have entered it, and then the dialog does for its own life.
        HRESULT entered = o->calls.comInit(nullptr, COINIT_APARTMENTTHREADED);
        o->comEntered = SUCCEEDED(entered);
        void *standard = nullptr;
        made = SUCCEEDED(o->calls.createStandard(list, CLIENT_OBJECT, ACCESSIBLE_ID, &standard)) && standard;
        o->standard = static_cast<IAccessible *>(standard);
    }
    if (!made || !SetPropA(list, OBJECT_PROPERTY, (HANDLE)o)) {
        cutLoose(o);
        release(reinterpret_cast<IAccessible *>(o));
        return nullptr;
    }
    return o;
}

} // namespace

LRESULT answerListObject(HWND list, WPARAM flags, LPARAM objectId)
{
    if ((LONG)(DWORD)objectId != CLIENT_OBJECT || !list)
        return 0;
    ListObject *o = static_cast<ListObject *>(GetPropA(list, OBJECT_PROPERTY));
    if (!o)
        o = makeListObject(list);
    if (!o || o->disconnected)
        return 0;
    LRESULT answer = o->calls.resultFromObject(ACCESSIBLE_ID, flags, reinterpret_cast<IUnknown *>(o));
    return answer > 0 ? answer : 0;
}

void disconnectListObject(HWND list)
{
    ListObject *o = static_cast<ListObject *>(RemovePropA(list, OBJECT_PROPERTY));
    if (!o)
        return;
    cutLoose(o);
    release(reinterpret_cast<IAccessible *>(o));
}

void announceListEntry(HWND list, int position)
{
    if (!list || position < 0)
        return;
    // Some screen readers speak a change only together with the focus event.
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list, OBJID_CLIENT, position + 1);
    if (GetFocus() == list)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, list, OBJID_CLIENT, position + 1);
}
