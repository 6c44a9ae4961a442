#include "link/gravacao.h"

#include "link/espera.h"
#include "link/mscomm.h"
#include "link/protocolo.h"
#include "base/erro.h"

#include <array>

namespace vantora {

namespace {

constexpr int LIMITE_FALHAS = 6;

// Sends one key or sentinel record until it is accepted or the failures add up to
// the limit.
void envia_ate_aceito(CanalGravacao& canal, const Layout& c, int indice, int slot, int& falhas) {
    const auto i = static_cast<size_t>(slot);
    static_assert(QTD_TABELAS == 4, "a data record carries one code of each of four tables");
    const auto& t = c.tabelas;
    for (;;) {
        canal.avanca(1);
        canal.envia_registro(indice, t[0][i], t[1][i], t[2][i], t[3][i]);
        const RespostaTeclado r = canal.espera_resposta();
        if (r == RespostaTeclado::Aceito) {
            falhas = 0;
            return;
        }
        falhas += r == RespostaTeclado::Recusado ? 1 : 2;
        canal.avanca(-1);
        if (falhas >= LIMITE_FALHAS) return;
    }
}

} // namespace

RespostaTeclado resposta_do_byte(unsigned char byte) {
    return byte == RESPOSTA_ACEITO     ? RespostaTeclado::Aceito
           : byte == RESPOSTA_RECUSADO ? RespostaTeclado::Recusado
                                       : RespostaTeclado::Nenhuma;
}

RespostaTeclado resposta_da_tecla(int tecla) {
    const auto r = RespostaTeclado(tecla);
    return r == RespostaTeclado::Aceito || r == RespostaTeclado::Recusado ? r : RespostaTeclado::Nenhuma;
}

TrocaSerial::TrocaSerial(MSComm& porta, std::int16_t* celula)
    : porta_(porta), celula_(celula ? *celula : propria_) {
    if (celula) return;
    ligacao_ = QObject::connect(&porta, &MSComm::OnComm, &porta, [this] {
        if (porta_.CommEvent() != comEvReceive) return;
        const QByteArray b = porta_.Input();
        if (b.isEmpty()) return;
        if (const RespostaTeclado r = resposta_do_byte(uchar(b[0])); r != RespostaTeclado::Nenhuma)
            celula_ = std::int16_t(r);
    });
}

void TrocaSerial::envia_registro(int indice, int c1, int c2, int c3, int c4) {
    const std::array<int, 6> valores = {INICIO_REGISTRO, indice, c1, c2, c3, c4};
    for (int v : valores) {
        if (v < 0 || v > 255) throw ErroExecucao(ERRO_CHAMADA_INVALIDA);
    }
    celula_ = 0;
    de_layout_ = indice != 0; // the flags record is no record of the layout
    for (int v : valores)
        porta_.setOutput(QByteArray(1, static_cast<char>(v)));
}

void TrocaSerial::envia_fim() {
    celula_ = 0;
    de_layout_ = false;
    porta_.setOutput(QByteArray(1, static_cast<char>(COMANDO_FIM)));
}

RespostaTeclado TrocaSerial::espera_resposta() {
    for (int contador = 0; contador <= 100; ++contador) {
        if (!Aguarda_Ms(5)) throw ProgramaEncerrando{};
        if (porta_.PortaPerdida()) throw PortaPerdidaNaGravacao{};
        if (resposta_da_tecla(celula_) != RespostaTeclado::Nenhuma) break;
    }
    const RespostaTeclado r = resposta_da_tecla(celula_);
    calado = r == RespostaTeclado::Nenhuma;
    if (!calado) ++respostas;
    if (r == RespostaTeclado::Aceito && de_layout_) {
        ++aceitos;
        if (ao_aceitar) ao_aceitar(aceitos);
    }
    return r;
}

void abre_para_gravacao(MSComm& porta, int numero, const QString& parametros) {
    porta.setSettings(parametros);
    porta.setCommPort(numero);
    porta.setPortOpen(true);
    porta.setInBufferCount(0);
    porta.setOutBufferCount(0);
    porta.setNullDiscard(false);
    porta.setSThreshold(1);
    porta.setRThreshold(1);
    porta.setInputLen(1);
    porta.setInputMode(0);
}

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

ResultadoGravacao executa_gravacao(CanalGravacao& canal, const Layout& codigos,
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
