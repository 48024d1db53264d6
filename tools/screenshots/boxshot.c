/* boxshot wait-process NAME  wait (10 s at most) until a process NAME runs
 * boxshot show               wait (20 s at most) for a message box, lay it
 *                            out as Windows does, activate it and print its
 *                            rectangle "W H X Y", its caption and its text
 * boxshot close              press the message box's OK button */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

enum { text_id = 0xffff };
static HWND found;

static BOOL CALLBACK find_box(HWND hwnd, LPARAM unused) {
  wchar_t cls[64];
  (void)unused;
  if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 64) && wcscmp(cls, L"#32770") == 0 &&
      GetDlgItem(hwnd, IDOK) && GetDlgItem(hwnd, text_id)) {
    found = hwnd;
    return FALSE;
  }
  return TRUE;
}

static HWND wait_for_box(void) {
  for (int i = 0; i < 400; ++i) {
    found = NULL;
    EnumWindows(find_box, 0);
    if (found) return found;
    Sleep(50);
  }
  return NULL;
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
  if (argc == 2 && (wcscmp(argv[1], L"show") == 0 || wcscmp(argv[1], L"close") == 0)) {
    HWND box = wait_for_box();
    if (!box) {
      fwprintf(stderr, L"boxshot: no message box appeared\n");
      return 1;
    }
    if (wcscmp(argv[1], L"close") == 0) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    widen_for_caption(box);
    SetForegroundWindow(box);
    SendMessageW(box, WM_NCACTIVATE, TRUE, 0);
    RedrawWindow(box, NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    wchar_t caption[512], text[1024];
    RECT r;
    GetWindowTextW(box, caption, 512);
    GetDlgItemTextW(box, text_id, text, 1024);
    GetWindowRect(box, &r);
    printf("%ld %ld %ld %ld\n%ls\n%ls\n", r.right - r.left, r.bottom - r.top, r.left, r.top,
           caption, text);
    return 0;
  }
  fwprintf(stderr, L"usage: boxshot wait-process NAME | show | close\n");
  return 2;
}
