// Test probe: inspects and drives another process's windows from outside, for the end-to-end
// tests. Every report is one JSON document in UTF-8 on standard output. Titles and texts given on
// the command line are hex of their UTF-8 bytes, so they survive any locale and code page.
//
// Exit codes: 0 success, 1 window or message box not found in time, 2 usage error,
// 3 an operation on a found window or process failed.

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int exit_ok = 0;
constexpr int exit_not_found = 1;
constexpr int exit_usage = 2;
constexpr int exit_failed = 3;

constexpr DWORD default_wait_ms = 5000;
constexpr DWORD poll_interval_ms = 20;
constexpr UINT message_timeout_ms = 2000;

struct UsageError {
    std::string message;
};

struct OperationFailed {
    std::string message;
};

// ---- text conversion -------------------------------------------------------------------------

std::string to_utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring from_utf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, 0);
    if (size == 0) throw UsageError{"hex text is not valid UTF-8"};
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
    return out;
}

int hex_digit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

std::wstring from_hex_utf8(const std::wstring& hex) {
    if (hex.size() % 2 != 0) throw UsageError{"hex text has an odd number of digits"};
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = hex_digit(hex[i]);
        int low = hex_digit(hex[i + 1]);
        if (high < 0 || low < 0) throw UsageError{"hex text holds a non-hex digit"};
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return from_utf8(bytes);
}

// ---- JSON output -----------------------------------------------------------------------------

std::string json_string(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            wsprintfA(escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string json_string(const std::wstring& text) { return json_string(to_utf8(text)); }

std::string json_bool(bool value) { return value ? "true" : "false"; }

// Builds one JSON object field by field, in the order the fields are added.
class JsonObject {
public:
    JsonObject& raw(const char* key, const std::string& json) {
        if (!body_.empty()) body_ += ',';
        body_ += json_string(std::string(key)) + ':' + json;
        return *this;
    }
    JsonObject& text(const char* key, const std::wstring& value) { return raw(key, json_string(value)); }
    JsonObject& number(const char* key, long long value) { return raw(key, std::to_string(value)); }
    JsonObject& flag(const char* key, bool value) { return raw(key, json_bool(value)); }
    std::string str() const { return '{' + body_ + '}'; }

private:
    std::string body_;
};

std::string json_array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

void write_stdout(const std::string& bytes) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void write_stderr(const std::string& bytes) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void print_json(const std::string& json) { write_stdout(json + "\n"); }

std::string error_text(const char* what, DWORD error) {
    return std::string(what) + " failed, error " + std::to_string(error);
}

// ---- options ---------------------------------------------------------------------------------

// "--name value" pairs and bare "--flag"s after the command word.
class Options {
public:
    Options(int argc, wchar_t** argv, const std::vector<std::wstring>& flags) {
        for (int i = 2; i < argc; ++i) {
            std::wstring name = argv[i];
            if (name.rfind(L"--", 0) != 0) throw UsageError{"expected an option, got " + to_utf8(name)};
            name = name.substr(2);
            bool is_flag = false;
            for (const auto& f : flags) is_flag = is_flag || f == name;
            if (is_flag) {
                values_[name] = L"";
            } else if (i + 1 < argc) {
                values_[name] = argv[++i];
            } else {
                throw UsageError{"option --" + to_utf8(name) + " needs a value"};
            }
        }
    }

    bool has(const std::wstring& name) const { return values_.count(name) != 0; }

    std::wstring text(const std::wstring& name) const {
        auto it = values_.find(name);
        if (it == values_.end()) throw UsageError{"missing option --" + to_utf8(name)};
        return it->second;
    }

    std::wstring hex_text(const std::wstring& name) const { return from_hex_utf8(text(name)); }

    unsigned long number(const std::wstring& name, std::optional<unsigned long> fallback = {}) const {
        if (!has(name)) {
            if (fallback) return *fallback;
            throw UsageError{"missing option --" + to_utf8(name)};
        }
        std::wstring value = text(name);
        wchar_t* end = nullptr;
        unsigned long number = wcstoul(value.c_str(), &end, 0);
        if (value.empty() || *end != L'\0') throw UsageError{"--" + to_utf8(name) + " needs a number"};
        return number;
    }

    DWORD wait_ms() const { return number(L"wait", default_wait_ms); }

private:
    std::map<std::wstring, std::wstring> values_;
};

// ---- window lookup ---------------------------------------------------------------------------

struct NotFound {
    std::string what;
};

std::wstring class_name(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The text the system keeps for the window; asks nothing of its (possibly busy) thread.
std::wstring system_window_text(HWND window) {
    wchar_t text[1024] = {};
    InternalGetWindowText(window, text, 1024);
    return text;
}

// The text as the window's own WM_GETTEXT reports it; a hung window gives the system's copy.
std::wstring window_text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, message_timeout_ms,
                             &length)) {
        return system_window_text(window);
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, message_timeout_ms, &copied);
    text.resize(copied);
    return text;
}

HWND find_top_level(const wchar_t* window_class, const std::wstring& title, bool need_visible) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, window_class, title.c_str())) != nullptr) {
        if (!need_visible || IsWindowVisible(found)) return found;
    }
    return nullptr;
}

HWND wait_for_top_level(const wchar_t* window_class, const std::wstring& title, DWORD wait_ms,
                        bool need_visible) {
    ULONGLONG deadline = GetTickCount64() + wait_ms;
    for (;;) {
        if (HWND window = find_top_level(window_class, title, need_visible)) return window;
        if (GetTickCount64() >= deadline) throw NotFound{"no window with that title"};
        Sleep(poll_interval_ms);
    }
}

HWND wait_for_window(const Options& options) {
    return wait_for_top_level(nullptr, options.hex_text(L"title"), options.wait_ms(),
                              options.has(L"visible"));
}

// All descendants, depth first, each sibling group in Z order (the order GW_HWNDNEXT walks).
void collect_descendants(HWND parent, std::vector<HWND>& out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        out.push_back(child);
        collect_descendants(child, out);
    }
}

std::vector<HWND> descendants(HWND window) {
    std::vector<HWND> out;
    collect_descendants(window, out);
    return out;
}

std::vector<HWND> owned_windows(HWND owner) {
    std::vector<HWND> out;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetWindow(w, GW_OWNER) == owner) out.push_back(w);
    }
    return out;
}

HWND control_by_index_or_text(HWND window, const Options& options) {
    std::vector<HWND> controls = descendants(window);
    if (options.has(L"index")) {
        unsigned long index = options.number(L"index");
        if (index >= controls.size()) throw NotFound{"no control with that index"};
        return controls[index];
    }
    std::wstring wanted = options.hex_text(L"text");
    for (HWND control : controls) {
        if (window_text(control) == wanted) return control;
    }
    throw NotFound{"no control with that text"};
}

// The window itself unless --index or --text names one of its controls.
HWND target_window(HWND window, const Options& options) {
    if (options.has(L"index") || options.has(L"text")) return control_by_index_or_text(window, options);
    return window;
}

// ---- window reports --------------------------------------------------------------------------

std::string rect_json(const RECT& r) {
    return JsonObject()
        .number("left", r.left)
        .number("top", r.top)
        .number("right", r.right)
        .number("bottom", r.bottom)
        .number("width", r.right - r.left)
        .number("height", r.bottom - r.top)
        .str();
}

RECT rect_in_parent_client(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

long long send_for_number(HWND window, UINT message, WPARAM wparam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wparam, 0, SMTO_ABORTIFHUNG, message_timeout_ms, &result);
    return static_cast<int>(result);
}

std::string progress_json(HWND bar) {
    return JsonObject()
        .number("pos", send_for_number(bar, PBM_GETPOS, 0))
        .number("low", send_for_number(bar, PBM_GETRANGE, TRUE))
        .number("high", send_for_number(bar, PBM_GETRANGE, FALSE))
        .str();
}

JsonObject common_fields(HWND window) {
    JsonObject o;
    std::wstring cls = class_name(window);
    o.number("hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(window)))
        .text("class", cls)
        .text("text", window_text(window))
        .number("id", static_cast<long long>(GetWindowLongPtrW(window, GWLP_ID)))
        .flag("visible", IsWindowVisible(window))
        .flag("enabled", IsWindowEnabled(window))
        .number("style", static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)))
        .number("exstyle", static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    if (CompareStringOrdinal(cls.c_str(), -1, PROGRESS_CLASSW, -1, TRUE) == CSTR_EQUAL) {
        o.raw("progress", progress_json(window));
    }
    return o;
}

std::string control_json(HWND control, const std::vector<HWND>& all) {
    long long parent_index = -1;
    HWND parent = GetParent(control);
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == parent) parent_index = static_cast<long long>(i);
    }
    return common_fields(control)
        .raw("rect", rect_json(rect_in_parent_client(control)))
        .number("parent", parent_index)
        .str();
}

std::string owned_json(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return common_fields(window).raw("rect", rect_json(r)).str();
}

std::string top_level_json(HWND window) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT r{}, client{};
    GetWindowRect(window, &r);
    GetClientRect(window, &client);
    std::vector<HWND> all = descendants(window);
    std::vector<std::string> children, owned;
    for (HWND control : all) children.push_back(control_json(control, all));
    for (HWND w : owned_windows(window)) owned.push_back(owned_json(w));
    return common_fields(window)
        .raw("rect", rect_json(r))
        .raw("client", rect_json(client))
        .number("pid", pid)
        .number("tid", tid)
        .flag("iconic", IsIconic(window))
        .flag("zoomed", IsZoomed(window))
        .number("owner",
                static_cast<long long>(reinterpret_cast<uintptr_t>(GetWindow(window, GW_OWNER))))
        .raw("children", json_array(children))
        .raw("owned", json_array(owned))
        .str();
}

// ---- commands on the window ------------------------------------------------------------------

int command_window(const Options& options) {
    print_json(top_level_json(wait_for_window(options)));
    return exit_ok;
}

void post_or_fail(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!PostMessageW(window, message, wparam, lparam)) {
        throw OperationFailed{error_text("PostMessage", GetLastError())};
    }
}

void post_mouse_click(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    LPARAM centre = MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
    post_or_fail(control, WM_MOUSEMOVE, 0, centre);
    post_or_fail(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    post_or_fail(control, WM_LBUTTONUP, 0, centre);
}

std::string action_json(const char* action, HWND target) {
    return JsonObject()
        .raw("action", json_string(std::string(action)))
        .number("hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(target)))
        .text("class", class_name(target))
        .flag("enabled", IsWindowEnabled(target))
        .str();
}

int command_click(const Options& options) {
    HWND control = control_by_index_or_text(wait_for_window(options), options);
    if (options.has(L"mouse")) {
        post_mouse_click(control);
    } else {
        post_or_fail(control, BM_CLICK, 0, 0);
    }
    print_json(action_json(options.has(L"mouse") ? "mouse" : "bm_click", control));
    return exit_ok;
}

int command_key(const Options& options) {
    HWND target = target_window(wait_for_window(options), options);
    UINT vk = static_cast<UINT>(options.number(L"vk"));
    bool alt = options.has(L"alt");
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    LPARAM context = alt ? (LPARAM{1} << 29) : 0;
    LPARAM released = (LPARAM{1} << 30) | (LPARAM{1} << 31);
    post_or_fail(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | scan | context);
    post_or_fail(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | scan | context | released);
    print_json(action_json("key", target));
    return exit_ok;
}

int command_close(const Options& options) {
    HWND window = wait_for_window(options);
    post_or_fail(window, WM_CLOSE, 0, 0);
    print_json(action_json("close", window));
    return exit_ok;
}

int show_command(const std::wstring& state) {
    static const std::map<std::wstring, int> commands = {
        {L"restore", SW_RESTORE}, {L"minimize", SW_MINIMIZE}, {L"maximize", SW_MAXIMIZE},
        {L"show", SW_SHOW},       {L"hide", SW_HIDE},         {L"normal", SW_SHOWNORMAL},
    };
    auto it = commands.find(state);
    if (it == commands.end()) throw UsageError{"unknown --state " + to_utf8(state)};
    return it->second;
}

int command_show(const Options& options) {
    int show = show_command(options.text(L"state"));
    HWND window = wait_for_window(options);
    ShowWindow(window, show);
    print_json(top_level_json(window));
    return exit_ok;
}

// ---- message boxes ---------------------------------------------------------------------------

JsonObject dialog_fields(HWND dialog) {
    std::vector<std::string> statics, buttons;
    for (HWND control : descendants(dialog)) {
        std::wstring cls = class_name(control);
        if (CompareStringOrdinal(cls.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
            std::wstring text = window_text(control);
            if (!text.empty()) statics.push_back(json_string(text));
        } else if (CompareStringOrdinal(cls.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
            buttons.push_back(JsonObject()
                                  .number("id", GetDlgCtrlID(control))
                                  .text("text", window_text(control))
                                  .str());
        }
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    return JsonObject()
        .number("hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(dialog)))
        .number("pid", pid)
        .text("title", window_text(dialog))
        .raw("texts", json_array(statics))
        .raw("buttons", json_array(buttons));
}

bool wait_until_gone(HWND window, DWORD wait_ms) {
    ULONGLONG deadline = GetTickCount64() + wait_ms;
    while (IsWindow(window)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(poll_interval_ms);
    }
    return true;
}

int command_msgbox(const Options& options) {
    // Visible only once the box is filled in: found earlier, its texts can still be missing.
    HWND dialog = wait_for_top_level(L"#32770", options.hex_text(L"title"), options.wait_ms(), true);
    JsonObject report = dialog_fields(dialog);
    if (!options.has(L"ok")) {
        print_json(report.flag("closed", false).str());
        return exit_ok;
    }
    post_or_fail(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    bool closed = wait_until_gone(dialog, options.wait_ms());
    print_json(report.flag("closed", closed).str());
    return closed ? exit_ok : exit_failed;
}

// ---- processes -------------------------------------------------------------------------------

struct ProcessEntry {
    DWORD pid;
    DWORD parent;
    std::wstring exe;
};

std::vector<ProcessEntry> processes() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        throw OperationFailed{error_text("CreateToolhelp32Snapshot", GetLastError())};
    }
    std::vector<ProcessEntry> out;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        out.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return out;
}

std::vector<ProcessEntry> processes_named(const std::wstring& exe) {
    std::vector<ProcessEntry> out;
    for (const auto& p : processes()) {
        if (CompareStringOrdinal(p.exe.c_str(), -1, exe.c_str(), -1, TRUE) == CSTR_EQUAL) out.push_back(p);
    }
    return out;
}

std::string process_json(const ProcessEntry& p) {
    return JsonObject().number("pid", p.pid).number("parent", p.parent).text("exe", p.exe).str();
}

int command_processes(const Options& options) {
    std::vector<std::string> items;
    auto list = options.has(L"exe") ? processes_named(options.text(L"exe")) : processes();
    for (const auto& p : list) items.push_back(process_json(p));
    print_json(JsonObject().raw("processes", json_array(items)).str());
    return exit_ok;
}

// Empty on success, otherwise what failed.
std::string terminate_and_wait(DWORD pid, DWORD wait_ms) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return error_text("OpenProcess", GetLastError());
    std::string failure;
    if (!TerminateProcess(process, 1)) {
        failure = error_text("TerminateProcess", GetLastError());
    } else if (WaitForSingleObject(process, wait_ms) != WAIT_OBJECT_0) {
        failure = "process did not end in time";
    }
    CloseHandle(process);
    return failure;
}

int command_kill(const Options& options) {
    std::vector<std::string> killed, failed;
    for (const auto& p : processes_named(options.text(L"exe"))) {
        std::string failure = terminate_and_wait(p.pid, options.wait_ms());
        if (failure.empty()) {
            killed.push_back(std::to_string(p.pid));
        } else {
            failed.push_back(JsonObject().number("pid", p.pid).raw("error", json_string(failure)).str());
        }
    }
    print_json(JsonObject().raw("killed", json_array(killed)).raw("failed", json_array(failed)).str());
    return failed.empty() ? exit_ok : exit_failed;
}

// ---- watching window creation ----------------------------------------------------------------

struct CreatedWindow {
    HWND window;
    DWORD tid;
    DWORD pid;  // 0 when the window was gone before its event arrived
    std::wstring window_class;
    std::wstring text;
    const char* kind;
};

// The hook runs out of context, after the fact, so the creating process may have ended by the
// time an event arrives: each process is opened at first sight to keep its name available.
struct CreationLog {
    std::vector<CreatedWindow> windows;
    std::map<DWORD, HANDLE> processes;
};

CreationLog creation_log;

const char* window_kind(HWND window) {
    HWND parent = GetAncestor(window, GA_PARENT);
    if (!parent) return "gone";
    if (parent == GetDesktopWindow()) return "top-level";
    if (class_name(parent) == L"Message") return "message-only";
    return "child";
}

void CALLBACK on_window_created(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child,
                                DWORD thread, DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid && !creation_log.processes.count(pid)) {
        creation_log.processes[pid] = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    }
    creation_log.windows.push_back(
        {window, thread, pid, class_name(window), system_window_text(window), window_kind(window)});
}

std::wstring exe_name(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process, 0, path, &size)) return {};
    std::wstring full(path, size);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

// A window gone before its event arrived belongs to the process of another window that the same
// thread created, if the log has one.
DWORD process_of(const CreatedWindow& created) {
    if (created.pid) return created.pid;
    for (const auto& w : creation_log.windows) {
        if (w.tid == created.tid && w.pid) return w.pid;
    }
    return 0;
}

std::string creation_report() {
    std::vector<std::string> items;
    for (const auto& w : creation_log.windows) {
        DWORD pid = process_of(w);
        auto process = creation_log.processes.find(pid);
        std::wstring exe = process != creation_log.processes.end() ? exe_name(process->second) : L"";
        items.push_back(JsonObject()
                            .number("hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(w.window)))
                            .number("tid", w.tid)
                            .number("pid", pid)
                            .text("exe", exe)
                            .text("class", w.window_class)
                            .text("text", w.text)
                            .raw("kind", json_string(std::string(w.kind)))
                            .str());
    }
    return JsonObject().raw("created", json_array(items)).str();
}

constexpr UINT stdin_closed_message = WM_APP + 1;

DWORD WINAPI wait_for_stdin_end(void* main_thread) noexcept {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
    PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<uintptr_t>(main_thread)), stdin_closed_message, 0, 0);
    return 0;
}

void pump_until_stdin_ends_or(DWORD limit_ms) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread needs a queue before the post
    void* self = reinterpret_cast<void*>(static_cast<uintptr_t>(GetCurrentThreadId()));
    HANDLE reader = CreateThread(nullptr, 0, wait_for_stdin_end, self, 0, nullptr);
    if (!reader) throw OperationFailed{error_text("CreateThread", GetLastError())};
    CloseHandle(reader);
    UINT_PTR timer = SetTimer(nullptr, 0, limit_ms, nullptr);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == stdin_closed_message) break;
        if (msg.message == WM_TIMER && msg.wParam == timer) break;
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
}

int command_watch(const Options& options) {
    DWORD limit_ms = options.number(L"for", 60000);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                         on_window_created, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!hook) throw OperationFailed{error_text("SetWinEventHook", GetLastError())};
    write_stdout("ready\n");
    pump_until_stdin_ends_or(limit_ms);
    // Events already queued for this thread are delivered by this last drain.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    UnhookWinEvent(hook);
    print_json(creation_report());
    for (const auto& [pid, process] : creation_log.processes) {
        if (process) CloseHandle(process);
    }
    return exit_ok;
}

// ---- command table ---------------------------------------------------------------------------

struct Command {
    int (*run)(const Options&);
    std::vector<std::wstring> flags;
};

const std::map<std::wstring, Command>& command_table() {
    static const std::map<std::wstring, Command> table = {
        {L"window", {command_window, {L"visible"}}},
        {L"click", {command_click, {L"visible", L"mouse"}}},
        {L"key", {command_key, {L"visible", L"alt"}}},
        {L"close", {command_close, {L"visible"}}},
        {L"show", {command_show, {L"visible"}}},
        {L"msgbox", {command_msgbox, {L"ok"}}},
        {L"processes", {command_processes, {}}},
        {L"kill", {command_kill, {}}},
        {L"watch", {command_watch, {}}},
    };
    return table;
}

const char usage_text[] =
    "usage: probe COMMAND [options]   (TITLE and TEXT are hex of UTF-8 bytes, MS milliseconds)\n"
    "  window    --title TITLE [--wait MS] [--visible]       report the window and its controls\n"
    "  click     --title TITLE (--index N | --text TEXT) [--mouse] [--wait MS] [--visible]\n"
    "  key       --title TITLE --vk VK [--alt] [--index N | --text TEXT] [--wait MS] [--visible]\n"
    "  close     --title TITLE [--wait MS] [--visible]       post WM_CLOSE\n"
    "  show      --title TITLE --state restore|minimize|maximize|show|hide|normal [--wait MS]\n"
    "  msgbox    --title TITLE [--ok] [--wait MS]            report (and confirm) a message box\n"
    "  processes [--exe NAME]                                list processes\n"
    "  kill      --exe NAME [--wait MS]                      terminate every process of that name\n"
    "  watch     [--for MS]   report windows created until stdin ends or MS pass; prints ready first\n";

int run(int argc, wchar_t** argv) {
    if (argc < 2) throw UsageError{"no command"};
    auto it = command_table().find(argv[1]);
    if (it == command_table().end()) throw UsageError{"unknown command " + to_utf8(argv[1])};
    return it->second.run(Options(argc, argv, it->second.flags));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return run(argc, argv);
    } catch (const UsageError& e) {
        write_stderr("probe: " + e.message + "\n" + usage_text);
        return exit_usage;
    } catch (const NotFound& e) {
        write_stderr("probe: " + e.what + "\n");
        return exit_not_found;
    } catch (const OperationFailed& e) {
        write_stderr("probe: " + e.message + "\n");
        return exit_failed;
    } catch (...) {
        write_stderr("probe: unexpected failure\n");
        return exit_failed;
    }
}
