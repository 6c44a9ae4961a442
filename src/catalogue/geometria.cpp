#include "geometria.h"

#include <algorithm>

namespace vantora {
namespace {

constexpr int ALTURA = 435;
constexpr int PASSO = 450;
constexpr int LARGURA = 405;

struct Posicao {
    int esquerda = -1;
    int topo = 0;
    int largura = LARGURA;
};

// Six rows: function keys, digits, QWERTY, ASDF, ZXCV and the bottom row, each with
// the main block, the navigation block and the numeric pad.
std::array<Posicao, 112> montaPosicoes() {
    std::array<Posicao, 112> p{};
    const auto serie = [&](int primeira, int ultima, int esquerda, int topo) {
        for (int k = primeira; k <= ultima; ++k)
            p[k] = {esquerda + (k - primeira) * PASSO, topo, LARGURA};
    };
    const auto uma = [&](int k, int esquerda, int topo, int largura) { p[k] = {esquerda, topo, largura}; };
    constexpr int NAV = 6825;
    constexpr int NUM = 8220;

    constexpr int L1 = 3510;
    uma(1, 60, L1, LARGURA);
    serie(2, 5, 960, L1);
    serie(6, 9, 2985, L1);
    serie(10, 13, 5010, L1);
    serie(14, 16, NAV, L1);

    constexpr int L2 = 4050;
    serie(17, 31, 60, L2);
    serie(32, 34, NAV, L2);
    serie(35, 38, NUM, L2);

    constexpr int L3 = 4575;
    uma(39, 60, L3, 585);
    serie(40, 51, 690, L3);
    uma(52, 6090, L3, 585);
    serie(53, 55, NAV, L3);
    serie(56, 59, NUM, L3);

    constexpr int L4 = 5100;
    uma(60, 60, L4, 705);
    serie(61, 72, 810, L4);
    uma(73, 6210, L4, 465);
    uma(0, 7125, L4, 645);
    serie(74, 77, NUM, L4);

    constexpr int L5 = 5625;
    uma(78, 60, L5, 555);
    serie(79, 90, 660, L5);
    uma(91, 6060, L5, 585);
    uma(92, NAV + PASSO, L5, LARGURA);
    serie(93, 96, NUM, L5);

    constexpr int L6 = 6150;
    uma(97, 60, L6, 540);
    uma(109, 645, L6, 495);
    uma(98, 1185, L6, LARGURA);
    uma(99, 1635, L6, 2790);
    uma(100, 4470, L6, 450);
    uma(111, 4965, L6, 495);
    uma(101, 5505, L6, 540);
    serie(102, 104, NAV, L6);
    uma(105, NUM, L6, LARGURA);
    uma(106, NUM + LARGURA, L6, LARGURA);
    uma(107, NUM + 2 * PASSO, L6, LARGURA);
    uma(108, NUM + 3 * PASSO, L6, LARGURA);
    return p;
}

const std::array<Posicao, 112> POSICOES = montaPosicoes();

} // namespace

std::optional<RetanguloTecla> rotulo_tecla_pc(int k) {
    if (k < 0 || k > 111 || POSICOES[k].esquerda < 0) return std::nullopt;
    const Posicao& p = POSICOES[k];
    return RetanguloTecla{p.esquerda, p.topo, p.largura, ALTURA};
}

std::optional<RetanguloTecla> forma_tecla_pc(int k) {
    auto r = rotulo_tecla_pc(k);
    if (!r || k == 105 || k == 106) return r;
    return RetanguloTecla{r->esquerda - 30, r->topo - 30, r->largura + 60, r->altura + 60};
}

int vizinha_da_metade(std::string_view marca, int k) {
    if (marca == "1") return k - 1;
    if (marca == "0") return k + 1;
    return 0;
}

RetanguloTecla junta_metade(const RetanguloTecla& vizinha, const RetanguloTecla& metade) {
    return {std::min(vizinha.esquerda, metade.esquerda), vizinha.topo, vizinha.largura + metade.largura,
            vizinha.altura};
}

} // namespace vantora
