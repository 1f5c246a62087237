/* standin_path.h - the one path helper the stand-ins share: the last
 * backslash of a path that is a character of its own. In a double-byte code
 * page (932, 936, 949, 950) the second byte of a character may be 0x5C; in
 * UTF-8 no byte of a longer character is below 0x80. Kernel32 alone. */
#ifndef STANDIN_PATH_H
#define STANDIN_PATH_H

#include <windows.h>

static char *standinLastBackslash(char *path)
{
    char *last = NULL;
    for (char *p = path; *p; p += IsDBCSLeadByte((BYTE)*p) && p[1] ? 2 : 1)
        if (*p == '\\')
            last = p;
    return last;
}

#endif
