// What Windows itself reads from the installed files, for the installer's test under
// Wine; one UTF-8 line per item on standard output, exit status 1 when it is not there:
//   recursos_windows programa PROGRAM.exe   the version resource: "Name=value" of its
//                                           strings, then "Fixa=a.b.c.d"; then the
//                                           manifest embedded as resource 1
//   recursos_windows atalho LINK.lnk        the shortcut's target, then its arguments
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void escreve(const std::wstring& texto) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, texto.c_str(), int(texto.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, texto.c_str(), int(texto.size()), utf8.data(), n, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

int versao(const wchar_t* programa) {
    DWORD nada = 0;
    const DWORD tamanho = GetFileVersionInfoSizeW(programa, &nada); // 0 when there is none: refused below
    std::vector<char> dados(tamanho);
    if (!GetFileVersionInfoW(programa, 0, tamanho, dados.data())) return 1;
    UINT n = 0;
    DWORD* idioma = nullptr; // the strings' block, as the Translation names it: pt-BR (0416), Unicode (04B0)
    if (!VerQueryValueW(dados.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&idioma), &n) ||
        n < sizeof(DWORD) || *idioma != 0x04b00416)
        return 1;
    for (const wchar_t* campo : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                 L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        wchar_t* valor = nullptr;
        if (VerQueryValueW(dados.data(), (std::wstring(L"\\StringFileInfo\\041604b0\\") + campo).c_str(),
                           reinterpret_cast<void**>(&valor), &n))
            escreve(std::wstring(campo) + L"=" + valor);
    }
    VS_FIXEDFILEINFO* fixa = nullptr;
    if (!VerQueryValueW(dados.data(), L"\\", reinterpret_cast<void**>(&fixa), &n) || !fixa) return 1;
    wchar_t linha[64];
    swprintf(linha, 64, L"Fixa=%u.%u.%u.%u", HIWORD(fixa->dwFileVersionMS), LOWORD(fixa->dwFileVersionMS),
             HIWORD(fixa->dwFileVersionLS), LOWORD(fixa->dwFileVersionLS));
    escreve(linha);
    return 0;
}

int manifesto(const wchar_t* programa) {
    HMODULE m = LoadLibraryExW(programa, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m) return 1;
    HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    HGLOBAL g = r ? LoadResource(m, r) : nullptr;
    const void* bytes = g ? LockResource(g) : nullptr;
    if (!bytes) return 1;
    std::fwrite(bytes, 1, SizeofResource(m, r), stdout);
    std::fputc('\n', stdout);
    return 0;
}

int atalho(const wchar_t* arquivo) {
    if (FAILED(CoInitialize(nullptr))) return 1;
    IShellLinkW* link = nullptr;
    IPersistFile* persiste = nullptr;
    int status = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persiste))) &&
        SUCCEEDED(persiste->Load(arquivo, STGM_READ))) {
        wchar_t alvo[MAX_PATH * 4] = {}, argumentos[INFOTIPSIZE * 2] = {};
        if (SUCCEEDED(link->GetPath(alvo, MAX_PATH * 4, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetArguments(argumentos, INFOTIPSIZE * 2))) {
            escreve(alvo);
            escreve(argumentos);
            status = 0;
        }
    }
    if (persiste) persiste->Release();
    if (link) link->Release();
    CoUninitialize();
    return status;
}

} // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 3) return 2;
    const std::wstring o = argv[1];
    if (o == L"programa") return versao(argv[2]) || manifesto(argv[2]);
    if (o == L"atalho") return atalho(argv[2]);
    return 2;
}
