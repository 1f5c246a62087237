// picture.cpp - a picture of one window as it stands on the screen, saved
// as a 24-bit BMP file "<run>-<nn>-<name>.bmp" in the pictures folder. The
// window's rectangle is read back from the screen, so what is saved is what
// a user saw, child controls and message boxes included.
#include "player.h"

#include <stdio.h>

#include "state/text.h"

static bool writeBitmapFile(const char *path, int width, int height, const void *pixels, DWORD pixelBytes)
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    FILE *out = fopen(path, "wb");
    if (!out)
        return false;
    bool written = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
                   fwrite(pixels, 1, pixelBytes, out) == pixelBytes;
    return fclose(out) == 0 && written;
}

bool capturePicture(HWND window, const char *name)
{
    PlayerRun &p = playerRun;
    if (!p.pictureDir[0] || !IsWindow(window))
        return false;
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return false;

    char file[64], path[PLAYER_PATH];
    formatText(file, sizeof file, "%s-%02d-%s.bmp", p.runName, ++p.pictureCount, name);
    // The host hands the folder over with its separator.
    if (!formatText(path, sizeof path, "%s%s", p.pictureDir, file))
        return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *pixels = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bool saved = false;
    if (bitmap && pixels) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u;
        saved = writeBitmapFile(path, width, height, pixels, rowBytes * (DWORD)height);
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (saved)
        playerPrint("  picture %s", file);
    else
        playerPrint("answers: cannot save the picture %s", path);
    return saved;
}
