// Arbitrary bytes as a layout file: the store and the layout reader must neither
// crash nor hang, must give back untouched text byte for byte (transcoded, after a
// byte-order mark), and a layout saved over any file must read back as it was saved
// (unless the text is one that saving refuses).
#include "files/ini.h"
#include "files/layout.h"
#include "base/erro.h"
#include "base/pagina.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vantora;

namespace {

[[noreturn]] void falha(const char* porque) {
    std::fprintf(stderr, "fuzz_layout: %s\n", porque);
    std::abort();
}

// A layout drawn from the input, so that every run saves different values.
Layout layout_de(const std::uint8_t* d, std::size_t n) {
    Layout l;
    std::uint32_t x = 2166136261u;
    for (std::size_t i = 0; i < n && i < 64; ++i)
        x = (x ^ d[i]) * 16777619u;
    auto proximo = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int& c : l.caixas)
        c = static_cast<int>(proximo() % 3);
    for (int t = 1; t <= QTD_TABELAS; ++t) {
        for (int i = 0; i < QTD_SLOTS; ++i) {
            auto v = static_cast<std::int16_t>(proximo() % 5 == 0 ? proximo() : proximo() % 256);
            // A value written as "-2..." reads as a missing key: the files have always
            // worked that way, so the editor never produces one.
            if (std::to_string(v).rfind("-2", 0) == 0) v = 0;
            l.tabela(t)[i] = v;
        }
    }
    return l;
}

// `n` bytes from `inicio` (fewer at the end, none past it), as Latin-1 characters in UTF-8.
std::string latin1(std::string_view todos, std::size_t inicio, std::size_t n) {
    const std::string_view bytes = inicio < todos.size() ? todos.substr(inicio, n) : std::string_view();
    std::string r;
    for (const char c : bytes)
        acrescenta_utf8(r, static_cast<unsigned char>(c));
    return r;
}

void le(const PerfilPrivado& ini) {
    Layout l;
    try {
        (void)Le_Layout(ini, l);
    } catch (const ErroExecucao& e) {
        if (e.numero() != ERRO_TIPOS && e.numero() != ERRO_ESTOURO && e.numero() != ERRO_PROPRIEDADE)
            falha("unexpected error number");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string bytes(reinterpret_cast<const char*>(dados), tamanho);
    PerfilPrivado ini = PerfilPrivado::de_bytes(bytes);
    // Untouched text comes back byte for byte; text after a byte-order mark comes back
    // in Windows-1252, without the mark.
    if (ini.codificacao() == PerfilPrivado::Codificacao::Ansi && ini.texto() != bytes)
        falha("untouched text changed");
    le(ini);

    // A few reads with names taken from the input itself.
    if (tamanho >= 4) {
        const std::string s = latin1(bytes, 1, dados[0] % 8);
        const std::string k = latin1(bytes, 1 + dados[0] % 8, dados[1] % 8);
        (void)ini.le(s, k, " d ", dados[2] % 16);
        (void)Le_Ini(ini, s, k);
    }

    // Writes of awkward names and values, on one call in eight (and the first): what is
    // read in memory afterwards must be what the written text reads. The choice goes by
    // count, not by content, for the reason given at the round trip below.
    static unsigned chamadas = 0;
    const unsigned n = chamadas++;
    if (n % 8 == 0) {
        static const std::array<std::string, 10> nomes = {"Tab1", " tAB1 ", "T0", "",    "a]b",
                                                          "Seção", "☺",      "x\r\ny", "[z", "k=1"};
        PerfilPrivado p = ini;
        // The names written and an untouched neighbour of each; every pair of names on
        // the calls that also take the round trip.
        std::array<std::pair<std::size_t, std::size_t>, 100> olhar{};
        std::size_t qtd = 0;
        for (std::size_t i = 0; i + 3 <= tamanho && i < 36; i += 3) {
            const std::size_t s = dados[i] % nomes.size(), k = dados[i + 1] % nomes.size();
            const std::string valor = latin1(bytes, i, dados[i + 2] % 6);
            olhar[qtd++] = {s, k};
            olhar[qtd++] = {s, (k + 1) % nomes.size()};
            try {
                p.grava(nomes[s], nomes[k], valor);
            } catch (const ErroExecucao& e) {
                if (e.numero() != ERRO_CHAMADA_INVALIDA) falha("unexpected error number from a write");
            }
        }
        if (n % 128 == 0) {
            qtd = 0;
            for (std::size_t s = 0; s < nomes.size(); ++s)
                for (std::size_t k = 0; k < nomes.size(); ++k)
                    olhar[qtd++] = {s, k};
        }
        // A text that save refuses (it would begin with a byte-order mark) is never
        // written, so it has no read-back to agree with.
        const std::string escrito = qtd > 0 ? p.texto() : std::string();
        if (qtd > 0 && PerfilPrivado::motivo_recusa(escrito).empty()) {
            const PerfilPrivado relido = PerfilPrivado::de_bytes(escrito);
            for (std::size_t j = 0; j < qtd; ++j) {
                const std::string& s = nomes[olhar[j].first];
                const std::string& k = nomes[olhar[j].second];
                if (p.le(s, k, "<d>", 255) != relido.le(s, k, "<d>", 255))
                    falha("a value read in memory differs from the one read from the written text");
            }
        }
    }

    // The whole layout round trip (nearly 600 writes and reads) on the first input and
    // then one in 128. The choice goes by count, not by content: inputs chosen by their
    // bytes would crowd the corpus, since the round trip's paths look like new coverage.
    // The first call always takes it, so a saved crashing input reproduces on its own.
    if (n % 128 != 0) return 0;
    const Layout salvo = layout_de(dados, tamanho);
    Grava_Layout(ini, salvo);
    const std::string texto = ini.texto();
    if (texto.size() < bytes.size()) falha("saving lost bytes");

    Layout lido;
    if (!Le_Layout(ini, lido) || !(lido == salvo))
        falha("the layout read in memory differs from the one saved");
    if (!PerfilPrivado::motivo_recusa(texto).empty()) return 0; // never written, as above
    PerfilPrivado de_novo = PerfilPrivado::de_bytes(texto);
    Layout relido;
    relido.caixas.fill(2);
    if (!Le_Layout(de_novo, relido) || !(relido == salvo))
        falha("the layout read from the saved text differs from the one saved");
    Grava_Layout(de_novo, salvo);
    if (de_novo.texto() != texto) falha("saving the same layout again changed the text");
    return 0;
}
