// A stand-in for the main program that the updater replaces and starts. Built once per version
// (MAIN_PROGRAM_VERSION). On start it appends "<version>\t<command line>" in UTF-8 to
// main_program_starts.txt beside itself, then shows a small window titled with its version in
// the screen's top-left corner, away from the updater's window, until it is closed.

#include <windows.h>

#include <string>

#ifndef MAIN_PROGRAM_VERSION
#error "MAIN_PROGRAM_VERSION names the version this build stands for"
#endif

namespace {

constexpr wchar_t kVersion[] = MAIN_PROGRAM_VERSION;
constexpr wchar_t kStartsFile[] = L"main_program_starts.txt";
constexpr wchar_t kWindowClass[] = L"MainProgramStandIn";

std::string to_utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

std::wstring own_directory() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, length);
  return full.substr(0, full.find_last_of(L'\\'));
}

// Appends as one write, so that two instances starting together each leave a whole line.
bool record_start() {
  const std::wstring path = own_directory() + L"\\" + kStartsFile;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string line = to_utf8(std::wstring(kVersion) + L"\t" + GetCommandLineW() + L"\n");
  DWORD written = 0;
  const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                  written == line.size();
  CloseHandle(file);
  return ok;
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool create_window(HINSTANCE instance) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = kWindowClass;
  if (!RegisterClassW(&window_class)) return false;
  const std::wstring title = std::wstring(L"main program ") + kVersion;
  HWND window = CreateWindowW(kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 120,
                              nullptr, nullptr, instance, nullptr);
  return window != nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!record_start() || !create_window(instance)) return 2;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
