// Stands in for a running game: it only waits, and ends by itself after a
// minute in case the test that started it could not end it. A GUI program,
// like a game: it has no console, so ending it from outside leaves no console
// host behind that would hold the test runner's output pipe open.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ::Sleep(60 * 1000);
  return 0;
}
