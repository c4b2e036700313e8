/*
 * Tarvex 4.0 start-up library (TarvexLogo.dll): the functions a host
 * application calls after loading the library.
 *
 * Loading the library runs the whole start-up (settings, language, edition,
 * mode, logo) inside LoadLibrary; these functions then tell the host what was
 * settled. All use the C calling convention (__cdecl: the caller removes the
 * arguments); in the 64-bit library (x64), which has one calling convention,
 * __cdecl has no effect and the same prototypes serve. Four are exported by
 * ordinal only; link against the import library of the host's bitness
 * (libTarvexLogo.dll.a), which imports them by ordinal, or use
 * GetProcAddress(module, MAKEINTRESOURCEA(ordinal)).
 *
 * Usable from C and C++.
 */
#ifndef TARVEX_LOGO_H
#define TARVEX_LOGO_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TARVEX_LOGO_BUILDING) || !defined(_WIN32)
#define TARVEX_LOGO_API
#else
#define TARVEX_LOGO_API __declspec(dllimport)
#endif

/* Export ordinals. */
#define TARVEX_LOGO_ORDINAL_GET_MODE 1
#define TARVEX_LOGO_ORDINAL_GET_EDITION 2
#define TARVEX_LOGO_ORDINAL_CLOSE 6
#define TARVEX_LOGO_ORDINAL_SET_EXIT_COMMAND 8
#define TARVEX_LOGO_ORDINAL_BEFORE_INIT_HELMEX 12
#define TARVEX_LOGO_ORDINAL_GET_VERSION_NUMBER 13
#define TARVEX_LOGO_ORDINAL_SET_STATUS_TEXT 14

/* The library's version: what GetVersionNumber returns, and the dotted form
 * that the DLL's version record and the release's file names carry. */
#define TARVEX_LOGO_VERSION_NUMBER 402
#define TARVEX_LOGO_VERSION_STRING "4.0.2"

/* Size of each of the two text fields BeforeInitHelmex fills, in bytes. */
#define TARVEX_LOGO_NAME_FIELD_SIZE 260

/* The logo window's class, for a host that looks for the window
 * (FindWindowA(TARVEX_LOGO_WINDOW_CLASS, NULL)). */
#define TARVEX_LOGO_WINDOW_CLASS "TarvexLogoWndClass"

/* Height of the band along the bottom of the logo where the status line is
 * drawn, in pixels: a logo bitmap keeps that band quiet. */
#define TARVEX_LOGO_STATUS_BAND_HEIGHT 18

/* Ordinal 1, no exported name: the settled mode (0 main mode, 1 forms mode). */
TARVEX_LOGO_API int __cdecl LogoGetMode(void);

/* Ordinal 2, no exported name: the settled edition (14 forms disabled, 15 forms enabled). */
TARVEX_LOGO_API int __cdecl LogoGetEdition(void);

/* Ordinal 6, no exported name: closes the logo window. Any thread may call
 * it. The window belongs to the thread that loaded the library (the logo's),
 * and only that thread can destroy it; the palette is never released by a
 * close, only by the unload. Row by row:
 *   on the logo's thread, a logo shown (with its window, or after its window
 *     failed to be made or was closed by a WM_CLOSE): destroys the window if
 *     any, deletes the bitmap and the font; returns the font's DeleteObject
 *     result, non-zero, or 0 when no font could be made;
 *   on the logo's thread, after another thread's close asked for it: closes
 *     it at once; returns 0 (that call answered for it);
 *   from another thread, a logo shown with its window: asks the logo's
 *     thread to close it at its next message pump and returns at once,
 *     without waiting for it; 1, or 0 when the request could not be posted;
 *   from another thread, a logo whose window failed or was closed by a
 *     WM_CLOSE: deletes the bitmap and the font itself; the font's result;
 *   any thread, no logo (a switch or a missing bitmap kept it away) or one
 *     closed or asked to close already: nothing; 0. */
TARVEX_LOGO_API int __cdecl LogoClose(void);

/* Ordinal 8, no exported name: keeps a copy of `command` (ANSI, at most 511
 * characters; NULL or "" cancels) to be started when the library unloads,
 * with `show` as its show state (SW_HIDE, SW_SHOWNORMAL, ...). It starts as
 * WinExec(command, show) would start it, but the unload never waits for it:
 * the program may wait for the host to end. Quote the program's path:
 *   LogoSetExitCommand("\"C:\\Program Files\\Tarvex\\update.exe\" /quiet", SW_SHOWNORMAL);
 * An unquoted line is read as the system reads it, up to each space or tab in
 * turn. When exactly one of those readings names a program, that program is
 * started by its full name; when two do (C:\Program.exe before
 * C:\Program Files\...), when none does, when a quote opens the line and
 * none closes it, or when the quotes hold no name, nothing starts, and the
 * library's diagnostics say why.
 * Whether the command started is not reported to the host.
 * Any thread may call it; the last call wins. Returns the library's copy,
 * which stays valid and unchanged until the library is unloaded, whatever
 * later calls set; NULL when no memory could be had for the copy (the
 * earlier command then stays). */
TARVEX_LOGO_API const char* __cdecl LogoSetExitCommand(const char* command, int show);

/* Ordinal 12, "BeforeInitHelmex": fills `names`, an area of 2 x 260 bytes,
 * with the product key name (e.g. "Tarvex4") at offset 0 and the resource
 * base name (e.g. "OxaRes") at offset 260. */
TARVEX_LOGO_API void __cdecl BeforeInitHelmex(char* names);

/* Ordinal 13, "GetVersionNumber": the library's version,
 * TARVEX_LOGO_VERSION_NUMBER (402). */
TARVEX_LOGO_API int __cdecl GetVersionNumber(void);

/* Ordinal 14, "LogoSetStatusText": a line of progress on the logo, such as
 * "Loading modules...": keeps a copy of `text` (ANSI, at most 511 characters;
 * NULL or "" clears the line) and paints it along the bottom of the logo.
 * Any thread may call it. On the thread that loaded the library (the logo's)
 * the line is painted before it returns; from any other thread it returns at
 * once, without waiting for that thread, and the line is painted the next
 * time that thread pumps its messages. Returns 1 when a logo window is
 * showing, 0 when there is none (a switch kept it away, or it was closed):
 * the text is then only kept; from another thread -1 when no memory could be
 * had to hand the line over (the line is lost). */
TARVEX_LOGO_API int __cdecl LogoSetStatusText(const char* text);

#ifdef __cplusplus
}
#endif

#endif /* TARVEX_LOGO_H */
