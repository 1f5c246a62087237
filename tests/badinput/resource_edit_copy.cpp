// resource_edit_copy.cpp - the string-table editor of the dialog tests,
// built into this program too: the bad-input tests edit copies of the
// resource module the same way.
#include "dialogs/resource_edit.cpp"
