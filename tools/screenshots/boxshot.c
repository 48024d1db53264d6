/* boxshot wait-process NAME  wait (10 s at most) until a process NAME runs
 * boxshot show               wait (20 s at most) for a message box, lay it
 *                            out as Windows does, activate it and print its
 *                            rectangle "W H X Y", its caption and its text
 * boxshot close | cancel     press the message box's OK or Cancel button
 * boxshot window TITLE       wait (20 s at most) for a dialog titled TITLE,
 *                            activate it and print its rectangle, its title
 *                            and the label of its OK button
 * boxshot choose TITLE PATH  type PATH into that dialog's first edit field,
 *                            press OK and wait until the dialog is gone */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

enum { text_id = 0xffff };
static HWND found;

/* The first descendant of `parent` of class `cls`, depth first. */
static HWND find_descendant(HWND parent, const wchar_t *cls) {
  for (HWND child = FindWindowExW(parent, NULL, NULL, NULL); child;
       child = FindWindowExW(parent, child, NULL, NULL)) {
    wchar_t name[64];
    if (GetClassNameW(child, name, 64) && wcscmp(name, cls) == 0) return child;
    HWND below = find_descendant(child, cls);
    if (below) return below;
  }
  return NULL;
}

/* A visible dialog titled `title`, or, for NULL, a message box: a dialog with
 * the message box's text control and an OK, Cancel or Yes button, but no
 * edit field. */
static BOOL CALLBACK find_dialog(HWND hwnd, LPARAM title) {
  wchar_t cls[64], text[512];
  if (!IsWindowVisible(hwnd) || !GetClassNameW(hwnd, cls, 64) || wcscmp(cls, L"#32770") != 0)
    return TRUE;
  if (title ? GetWindowTextW(hwnd, text, 512) && wcscmp(text, (const wchar_t *)title) == 0
            : (GetDlgItem(hwnd, IDOK) || GetDlgItem(hwnd, IDCANCEL) || GetDlgItem(hwnd, IDYES)) && GetDlgItem(hwnd, text_id) &&
                  !find_descendant(hwnd, L"Edit")) {
    found = hwnd;
    return FALSE;
  }
  return TRUE;
}

static HWND wait_for_dialog(const wchar_t *title) {
  for (int i = 0; i < 400; ++i) {
    found = NULL;
    EnumWindows(find_dialog, (LPARAM)title);
    if (found) return found;
    Sleep(50);
  }
  fwprintf(stderr, L"boxshot: no %ls appeared\n", title ? title : L"message box");
  return NULL;
}

static void activate(HWND window) {
  SetForegroundWindow(window);
  SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
  RedrawWindow(window, NULL, NULL,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

/* Prints `text` as UTF-8, whatever the C runtime's locale. */
static void print_utf8(const wchar_t *text) {
  char bytes[8192];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
  if (length > 0) fputs(bytes, stdout);
}

static void print_window(HWND window, const wchar_t *line3) {
  wchar_t title[512];
  RECT r;
  GetWindowTextW(window, title, 512);
  GetWindowRect(window, &r);
  printf("%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
  print_utf8(title);
  putchar('\n');
  print_utf8(line3);
  putchar('\n');
}

static int process_runs(const wchar_t *name) {
  PROCESSENTRY32W entry = {.dwSize = sizeof entry};
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  int runs = 0;
  if (snap == INVALID_HANDLE_VALUE) return 0;
  for (BOOL ok = Process32FirstW(snap, &entry); ok && !runs; ok = Process32NextW(snap, &entry))
    runs = wcscmp(entry.szExeFile, name) == 0;
  CloseHandle(snap);
  return runs;
}

static void widen_for_caption(HWND box) {
  NONCLIENTMETRICSW metrics = {.cbSize = sizeof metrics};
  wchar_t caption[512];
  RECT window, client;
  SIZE text = {0};
  int length = GetWindowTextW(box, caption, 512);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  HDC dc = GetDC(box);
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32W(dc, caption, length, &text);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(box, dc);

  GetWindowRect(box, &window);
  GetClientRect(box, &client);
  int width = window.right - window.left;
  /* The frame, the caption text, the close button and a little room. */
  int needed = (width - client.right) + text.cx + metrics.iCaptionWidth +
               2 * GetSystemMetrics(SM_CXEDGE) + 12;
  if (needed <= width) return;
  int grow = needed - width;
  SetWindowPos(box, NULL, window.left - grow / 2, window.top, needed, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND button = FindWindowExW(box, NULL, L"Button", NULL); button;
       button = FindWindowExW(box, button, L"Button", NULL)) {
    RECT r;
    GetWindowRect(button, &r);
    MapWindowPoints(NULL, box, (POINT *)&r, 2);
    SetWindowPos(button, NULL, r.left + grow / 2, r.top, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

int wmain(int argc, wchar_t **argv) {
  if (argc == 3 && wcscmp(argv[1], L"wait-process") == 0) {
    for (int i = 0; i < 200; ++i) {
      if (process_runs(argv[2])) return 0;
      Sleep(50);
    }
    fwprintf(stderr, L"boxshot: %ls did not start\n", argv[2]);
    return 1;
  }
  if (argc == 2 && (wcscmp(argv[1], L"show") == 0 || wcscmp(argv[1], L"close") == 0 ||
                    wcscmp(argv[1], L"cancel") == 0 || wcscmp(argv[1], L"yes") == 0)) {
    HWND box = wait_for_dialog(NULL);
    if (!box) return 1;
    if (wcscmp(argv[1], L"show") != 0) {
      const int command = wcscmp(argv[1], L"close") == 0 ? IDOK
                          : wcscmp(argv[1], L"yes") == 0 ? IDYES
                                                         : IDCANCEL;
      PostMessageW(box, WM_COMMAND, command, 0);
      /* Gone before the next box is looked for. */
      for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
      return 0;
    }
    widen_for_caption(box);
    activate(box);
    wchar_t text[1024];
    GetDlgItemTextW(box, text_id, text, 1024);
    print_window(box, text);
    return 0;
  }
  if (argc == 3 && wcscmp(argv[1], L"window") == 0) {
    HWND dialog = wait_for_dialog(argv[2]);
    if (!dialog) return 1;
    activate(dialog);
    wchar_t label[256];
    GetDlgItemTextW(dialog, IDOK, label, 256);
    print_window(dialog, label);
    return 0;
  }
  if (argc == 4 && wcscmp(argv[1], L"choose") == 0) {
    HWND dialog = wait_for_dialog(argv[2]);
    if (!dialog) return 1;
    HWND field = find_descendant(dialog, L"Edit");
    if (!field) {
      fwprintf(stderr, L"boxshot: %ls has no edit field\n", argv[2]);
      return 1;
    }
    SendMessageW(field, WM_SETTEXT, 0, (LPARAM)argv[3]);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 400 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(50);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) {
      fwprintf(stderr, L"boxshot: %ls stayed open\n", argv[2]);
      return 1;
    }
    return 0;
  }
  fwprintf(stderr,
           L"usage: boxshot wait-process NAME | show | close | cancel | window TITLE | choose TITLE PATH\n");
  return 2;
}
