#pragma once
// Where the keys of the on-screen PC keyboard stand at design time, in twips of the
// main window. Labels are 435 high; a shape lies behind each label and extends 30
// twips beyond it on every side, except behind the two halves of the numeric-pad 0,
// where it matches the label (the load folds the two halves into one 810-wide key).

#include <array>
#include <optional>
#include <string_view>

namespace vantora {

struct RetanguloTecla {
    int esquerda;
    int topo;
    int largura;
    int altura;
};

// Label k of the on-screen keyboard (0..111); nullopt for 110, which does not exist.
[[nodiscard]] std::optional<RetanguloTecla> rotulo_tecla_pc(int k);
// The "Sem Código" key, which assigns code 0.
[[nodiscard]] constexpr RetanguloTecla rotulo_sem_codigo() {
    return {7125, 5100, 645, 435};
}
// Shape k behind label k.
[[nodiscard]] std::optional<RetanguloTecla> forma_tecla_pc(int k);

// A key the catalogue marks as half of a neighbour (alternate identifier "1": of the key
// before it, "0": of the key after it) is folded into that neighbour, which grows over
// it. The neighbour's number for key k with mark `marca`, 0 for a whole key.
[[nodiscard]] int vizinha_da_metade(std::string_view marca, int k);
// The neighbour's rectangle grown over the half beside it.
[[nodiscard]] RetanguloTecla junta_metade(const RetanguloTecla& vizinha, const RetanguloTecla& metade);

} // namespace vantora
