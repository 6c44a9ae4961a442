#include "link/gravacao.h"

#include "link/protocolo.h"

namespace vantora {

namespace {

constexpr int LIMITE_FALHAS = 6;

// Sends one key or sentinel record until it is accepted or the failures add up to
// the limit.
void envia_ate_aceito(CanalGravacao& canal, const CodigosLayout& c, int indice, int slot, int& falhas) {
    const auto i = static_cast<size_t>(slot);
    for (;;) {
        canal.avanca(1);
        canal.envia_registro(indice, c.Codigos_Tab1[i], c.Codigos_Tab2[i], c.Codigos_Tab3[i],
                             c.Codigos_Tab4[i]);
        const int r = canal.espera_resposta();
        if (r == RESPOSTA_SIM) {
            falhas = 0;
            return;
        }
        falhas += r == RESPOSTA_NAO ? 1 : 2;
        canal.avanca(-1);
        if (falhas >= LIMITE_FALHAS) return;
    }
}

} // namespace

QString texto_gravacao_parcial(int aceitos) {
    if (aceitos <= 0) return QStringLiteral("o teclado não foi alterado");
    if (aceitos >= REGISTROS_LAYOUT)
        return QStringLiteral(
                   "o teclado aceitou os %1 registros, mas não recebeu as opções e o comando de fim; "
                   "grave-o de novo")
            .arg(REGISTROS_LAYOUT);
    return QStringLiteral(
               "o teclado ficou parcialmente gravado: aceitou %1 de %2 registros (%3); grave-o de novo")
        .arg(aceitos)
        .arg(REGISTROS_LAYOUT)
        .arg(aceitos <= QTD_TECLAS
                 ? QStringLiteral("teclas 1 a %1").arg(aceitos)
                 : QStringLiteral("as 65 teclas e %1 sentinela(s)").arg(aceitos - QTD_TECLAS));
}

ResultadoGravacao executa_gravacao(CanalGravacao& canal, const CodigosLayout& codigos, int opcoes) {
    return executa_gravacao(canal, codigos, [opcoes] { return opcoes; });
}

ResultadoGravacao executa_gravacao(CanalGravacao& canal, const CodigosLayout& codigos,
                                   const std::function<int()>& opcoes) {
    int falhas = 0;
    // Key record i carries entry i - 1; entry 65 (the placeholder key) is never sent.
    for (int i = 1; i <= QTD_TECLAS && falhas < LIMITE_FALHAS; ++i)
        envia_ate_aceito(canal, codigos, i, i - 1, falhas);
    for (int j = PRIMEIRO_SENTINELA; j < QTD_SLOTS && falhas < LIMITE_FALHAS; ++j)
        envia_ate_aceito(canal, codigos, j, j, falhas);
    const int byte_opcoes = opcoes();
    if (falhas >= LIMITE_FALHAS) return ResultadoGravacao::Abandonado;
    canal.avanca(1);
    canal.envia_registro(0, 1, 0, byte_opcoes, 0);
    (void)canal.espera_resposta();
    canal.avanca(1);
    canal.envia_fim();
    (void)canal.espera_resposta();
    return ResultadoGravacao::Gravado;
}

} // namespace vantora
