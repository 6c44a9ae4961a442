// Key translation on arbitrary sequences of native key events (what the windowing
// system hands us): never a crash, at most two reports per event, every report an
// identifier the catalogue lookup takes.
#include "capture/traducao.h"
#include "catalogue/catalogo.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    static const vantora::Catalogo catalogo = [] {
        vantora::Catalogo c;
        c.preenche();
        return c;
    }();
    if (tamanho < 1) return 0;
    constexpr vantora::Plataforma PLATAFORMAS[] = {vantora::Plataforma::X11, vantora::Plataforma::Windows,
                                                   vantora::Plataforma::Wine, vantora::Plataforma::Wayland};
    vantora::TradutorTeclado t(PLATAFORMAS[dados[0] & 3]);
    constexpr std::size_t EVENTO = 1 + 3 * sizeof(std::uint32_t);
    for (std::size_t i = 1; i + EVENTO <= tamanho; i += EVENTO) {
        vantora::EventoNativo e;
        e.solta = dados[i] & 1;
        e.repeticao = dados[i] & 2;
        e.instante = dados[i] >> 3; // milliseconds apart, or none
        std::memcpy(&e.codigoVarredura, dados + i + 1, 4);
        std::memcpy(&e.teclaVirtual, dados + i + 5, 4);
        std::memcpy(&e.modificadores, dados + i + 9, 4);
        if (dados[i] & 4) {
            t.esquece(e);
            continue;
        }
        const vantora::Relatos r = t.traduz(e);
        if (r.quantidade < 0 || r.quantidade > 2) std::abort();
        for (const auto& relato : r) {
            const std::string id = vantora::identificador_tecla(relato);
            const int k = catalogo.localiza(id);
            if (k < 0 || k > 111) std::abort();
        }
    }
    return 0;
}
