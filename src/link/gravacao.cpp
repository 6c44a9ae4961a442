#include "link/gravacao.h"

#include "link/espera.h"
#include "link/mscomm.h"
#include "link/protocolo.h"
#include "base/erro.h"

#include <array>

namespace vantora {

namespace {

constexpr int LIMITE_FALHAS = 6;
constexpr int PAUSA_MS = 5;
constexpr int PAUSAS_RESPOSTA = 101; // the wait for one answer
// How long the line must stay without an answer before a record that went unanswered
// goes out again: as long as the wait itself.
constexpr qint64 QUIETO_MS = qint64(PAUSAS_RESPOSTA) * PAUSA_MS;
// Late answers in a row (none answered in its first wait between them) after which a
// keyboard counts as no longer answering: its answers, all in doubt, fail their records.
constexpr int LIMITE_TARDIAS = 3;

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
    conta_envio(indice);
    for (int v : valores)
        porta_.setOutput(QByteArray(1, static_cast<char>(v)));
}

void TrocaSerial::envia_fim() {
    celula_ = 0;
    de_layout_ = false;
    conta_envio(-1);
    porta_.setOutput(QByteArray(1, static_cast<char>(COMANDO_FIM)));
}

void TrocaSerial::conta_envio(int indice) {
    if (indice != indice_ || envios_ == 0) {
        indice_ = indice;
        envios_ = ouvidas_ = 0;
        em_duvida_ = false;
        desde_primeiro_.start();
    }
    ++envios_;
    espalhado_ms_ = desde_primeiro_.elapsed();
}

void TrocaSerial::pausa() {
    if (!Aguarda_Ms(PAUSA_MS)) throw ProgramaEncerrando{};
    if (porta_.PortaPerdida()) throw PortaPerdidaNaGravacao{};
}

// Pauses until `ms` go by without an answer, discarding the answers that arrive (the
// answer cell is emptied first). False when more answers came than the record was
// sent: the line follows no exchange, and its answers cannot be trusted.
bool TrocaSerial::aquieta(qint64 ms) {
    celula_ = 0;
    QElapsedTimer quieto;
    quieto.start();
    while (quieto.elapsed() < ms) {
        pausa();
        if (resposta_da_tecla(celula_) == RespostaTeclado::Nenhuma) continue;
        celula_ = 0;
        ++respostas;
        ++tardias_;
        if (++ouvidas_ > envios_) return false;
        quieto.restart();
    }
    return true;
}

RespostaTeclado TrocaSerial::espera_resposta() {
    RespostaTeclado r = RespostaTeclado::Nenhuma;
    for (int contador = 0; contador < PAUSAS_RESPOSTA && r == RespostaTeclado::Nenhuma; ++contador) {
        pausa();
        r = resposta_da_tecla(celula_);
    }
    if (r != RespostaTeclado::Nenhuma) {
        ++ouvidas_;
        ++respostas;
        if (!em_duvida_) tardias_ = 0;
    }
    if (de_layout_ && r == RespostaTeclado::Nenhuma) {
        // Its answer may still be on its way: not to be taken for the next send's.
        em_duvida_ = true;
        (void)aquieta(QUIETO_MS);
    } else if (de_layout_ && em_duvida_) {
        // A send before this one went unanswered: its answer comes, if at all, about as
        // long after this one's as the sends lay apart; until the line is quiet that
        // long, the next record waits. A line that keeps answering, or a keyboard
        // whose answers keep coming late, leaves this answer in doubt too.
        if (!aquieta(QUIETO_MS + espalhado_ms_) || tardias_ >= LIMITE_TARDIAS) r = RespostaTeclado::Nenhuma;
    }
    calado = r == RespostaTeclado::Nenhuma;
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
