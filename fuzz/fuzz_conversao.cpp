// The number conversions on arbitrary text (layout-file values and sentinel boxes):
// never a crash, only errors 13 and 6, and the two conversions agree wherever the
// strict one accepts the text.
#include "editor/conversao.h"
#include "base/erro.h"
#include "base/pagina.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    // The bytes as Windows-1252 characters, in UTF-8, as a layout file's value reaches them.
    std::string texto;
    for (std::size_t i = 0; i < tamanho; ++i)
        vantora::acrescenta_utf8(texto, vantora::caractere_ansi(dados[i]));
    int estrito = 0;
    bool aceito = false;
    try {
        estrito = vantora::converte_inteiro(texto);
        aceito = true;
    } catch (const vantora::ErroExecucao& e) {
        if (e.numero() != vantora::ERRO_TIPOS && e.numero() != vantora::ERRO_ESTOURO) std::abort();
    }
    try {
        const int leniente = vantora::converte_numero_inicial(texto);
        // Blanks inside the text are skipped by the lenient one only, and "&H"/"&O"
        // forms read the same; where the strict one accepts, both give one value.
        if (aceito && leniente != estrito) std::abort();
    } catch (const vantora::ErroExecucao& e) {
        if (e.numero() != vantora::ERRO_ESTOURO || aceito) std::abort();
    }
    return 0;
}
