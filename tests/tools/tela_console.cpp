// tela_console OUTPUT PROGRAM ARGS...: runs PROGRAM in this console and, once it
// has ended, writes what the console's screen buffer holds (each row up to the
// cursor's, its trailing blanks cut) to OUTPUT in UTF-8: the text a user sees, with
// any escape sequence the console did not understand left in it. Exits with
// PROGRAM's status. With "--evento N FILE" first, PROGRAM gets the console event N
// (1 Ctrl+Break, 2 the console closed) once FILE exists, delivered as Windows delivers
// it: a thread of PROGRAM's started at kernel32's CtrlRoutine (Wine's console passes on
// only Ctrl+C).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main() {
    int n = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &n);
    const wchar_t* sinal = nullptr;
    DWORD_PTR evento = 0;
    if (args && n > 3 && std::wstring(args[1]) == L"--evento") {
        evento = DWORD_PTR(_wtoi(args[2]));
        sinal = args[3];
        args += 3;
        n -= 3;
    }
    if (!args || n < 3) return 2;
    std::wstring linha;
    for (int i = 2; i < n; ++i)
        linha += (i > 2 ? L" \"" : L"\"") + std::wstring(args[i]) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, linha.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "tela_console: CreateProcess falhou (%lu)\n", GetLastError());
        return 2;
    }
    if (sinal) {
        while (GetFileAttributesW(sinal) == INVALID_FILE_ATTRIBUTES && WaitForSingleObject(pi.hProcess, 20))
            ;
        const auto rotina = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "CtrlRoutine")));
        if (!rotina || !CreateRemoteThread(pi.hProcess, nullptr, 0, rotina, reinterpret_cast<void*>(evento), 0,
                                           nullptr))
            std::fprintf(stderr, "tela_console: o evento %u não foi entregue (%lu)\n", unsigned(evento),
                         GetLastError());
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(pi.hProcess, &status);

    const HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(h, &info)) {
        std::fputs("tela_console: a saída não é um console\n", stderr);
        return 2;
    }
    std::string texto;
    std::vector<wchar_t> celulas(size_t(info.dwSize.X));
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD lidos = 0;
        ReadConsoleOutputCharacterW(h, celulas.data(), DWORD(celulas.size()), COORD{0, y}, &lidos);
        while (lidos > 0 && celulas[lidos - 1] == L' ')
            --lidos;
        std::string utf8(lidos * 4 + 1, '\0');
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, celulas.data(), int(lidos), utf8.data(),
                                              int(utf8.size()), nullptr, nullptr);
        texto += utf8.substr(0, size_t(bytes < 0 ? 0 : bytes)) + "\n";
    }
    FILE* f = _wfopen(args[1], L"wb");
    if (!f || std::fwrite(texto.data(), 1, texto.size(), f) != texto.size() || std::fclose(f) != 0) {
        std::fputs("tela_console: não foi possível gravar a saída\n", stderr);
        return 2;
    }
    return int(status);
}
