#include "link/troca.h"

#include <algorithm>

namespace vantora {

namespace {

using namespace std::chrono_literals;

constexpr int LIMITE_FALHAS = 6;
constexpr Instante PAUSA = 5ms;
constexpr long long PAUSAS_RESPOSTA = 101; // the wait for one answer
// How long the line must stay without an answer before a record that went unanswered
// goes out again: as long as the wait itself.
constexpr Instante QUIETO = PAUSA * PAUSAS_RESPOSTA;
// Late answers in a row (none answered in its first wait between them) after which a
// keyboard counts as no longer answering: its answers, all in doubt, fail their records.
constexpr int LIMITE_TARDIAS = 3;
constexpr int ERRO_CHAMADA_INVALIDA = 5; // a value that is no byte
constexpr int ERRO_SERIAL_ESCRITA = 8020;
constexpr int QTD_TECLAS = 65;
constexpr int ULTIMO_SENTINELA = 71;

// "O teclado ficou ...: grave-o de novo." as a sentence.
std::string frase(std::string texto) {
    if (!texto.empty() && texto[0] >= 'a' && texto[0] <= 'z') texto[0] = char(texto[0] - 'a' + 'A');
    return texto + '.';
}

} // namespace

std::optional<RespostaTeclado> resposta_do_byte(unsigned char byte) {
    if (byte == RESPOSTA_ACEITO) return RespostaTeclado::Aceito;
    if (byte == RESPOSTA_RECUSADO) return RespostaTeclado::Recusado;
    return std::nullopt;
}

Troca::Troca(const CodigosTroca& codigos, std::function<int()> opcoes)
    : codigos_(codigos), opcoes_(std::move(opcoes)) {}

Instante Troca::olhada(long long k) const {
    return grade_ + PAUSA * k;
}

// The first look at or after `t` (never before the first pause's end).
long long Troca::olhada_em(Instante t) const {
    const long long k = (t - grade_ + PAUSA - Instante(1)) / PAUSA;
    return std::max(1LL, k);
}

AcoesTroca Troca::acoes(AcoesTroca a) const {
    if (fase_ == Fase::Esperando || fase_ == Fase::Aquietando)
        a.prazo = olhada(celula_ ? proxima_ : std::max(proxima_, ultima_));
    return a;
}

AcoesTroca Troca::inicia(Instante agora) {
    AcoesTroca a;
    if (fase_ != Fase::Parada) return a;
    indice_ = 1;
    envia(a, agora);
    return acoes(std::move(a));
}

AcoesTroca Troca::recebe(const unsigned char* bytes, std::size_t n, Instante agora) {
    AcoesTroca a;
    // What was due before these bytes arrived is looked at without them.
    avanca(a, agora - Instante(1), agora);
    for (std::size_t i = 0; i < n; ++i) {
        const auto r = resposta_do_byte(bytes[i]);
        if (!r || (fase_ != Fase::Esperando && fase_ != Fase::Aquietando)) continue;
        proxima_ = std::max(proxima_, olhada_em(agora));
        celula_ = r;
    }
    avanca(a, agora, agora);
    return acoes(std::move(a));
}

AcoesTroca Troca::recebe(RespostaTeclado r, Instante agora) {
    const unsigned char b = r == RespostaTeclado::Aceito ? RESPOSTA_ACEITO : RESPOSTA_RECUSADO;
    return recebe(&b, 1, agora);
}

AcoesTroca Troca::tempo(Instante agora) {
    AcoesTroca a;
    avanca(a, agora, agora);
    return acoes(std::move(a));
}

AcoesTroca Troca::encerra(FimTroca fim, int erro, std::string descricao) {
    AcoesTroca a;
    if (terminada()) return a;
    termina(a, fim, erro);
    resultado_->descricao = std::move(descricao);
    return a;
}

void Troca::termina(AcoesTroca& a, FimTroca fim, int erro) {
    ResultadoTroca r;
    r.fim = fim;
    r.aceitos = aceitos_;
    r.registro = indice_ > 0 ? indice_ : aceitos_ + 1;
    r.respostas = respostas_;
    r.erro = erro;
    resultado_ = std::move(r);
    fase_ = Fase::Fim;
    a.terminou = true;
}

// Writes the message in flight (or stops, when told to).
void Troca::envia(AcoesTroca& a, Instante agora) {
    if (interrompido_) {
        termina(a, FimTroca::Interrompido);
        return;
    }
    ++progresso_;
    std::array<int, 6> valores{};
    std::size_t n = 6;
    if (indice_ < 0) {
        valores[0] = COMANDO_FIM;
        n = 1;
    } else if (indice_ == 0) {
        valores = {INICIO_REGISTRO, 0, 1, 0, opcoes_(), 0};
    } else {
        // Key record i carries entry i - 1; entry 65 (the placeholder key) is never sent.
        const auto e = static_cast<std::size_t>(indice_ <= QTD_TECLAS ? indice_ - 1 : indice_);
        valores = {INICIO_REGISTRO, indice_, codigos_[0][e], codigos_[1][e], codigos_[2][e], codigos_[3][e]};
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (valores[i] < 0 || valores[i] > 255) {
            termina(a, FimTroca::Erro, ERRO_CHAMADA_INVALIDA);
            return;
        }
    }
    if (envios_ == 0) {
        ouvidas_ = 0;
        em_duvida_ = false;
        primeiro_ = agora;
    }
    ++envios_;
    espalhado_ = agora - primeiro_;
    for (std::size_t i = 0; i < n; ++i)
        a.escreve.push_back(static_cast<unsigned char>(valores[i]));
    celula_.reset();
    resposta_.reset();
    grade_ = agora;
    proxima_ = 1;
    ultima_ = PAUSAS_RESPOSTA;
    fase_ = Fase::Esperando;
}

// Looks at the answer at every pause's end up to `limite`; what follows is sent `agora`.
void Troca::avanca(AcoesTroca& a, Instante limite, Instante agora) {
    while (fase_ == Fase::Esperando || fase_ == Fase::Aquietando) {
        // Without an answer heard nothing changes before the phase's last look.
        const long long k = celula_ ? proxima_ : std::max(proxima_, ultima_);
        const Instante em = olhada(k);
        if (em > limite) return;
        proxima_ = k + 1;
        if (fase_ == Fase::Esperando) {
            resposta_ = celula_;
            fim_da_espera(a, agora);
            continue;
        }
        if (celula_) {
            // A late answer: discarded, and the quiet starts again. More answers than
            // sends: the line follows no exchange, and its answers cannot be trusted.
            celula_.reset();
            ++respostas_;
            ++tardias_;
            if (++ouvidas_ > envios_) {
                quieto_ok_ = false;
                fim_do_registro(a, agora);
                continue;
            }
            quieto_desde_ = em;
            ultima_ = olhada_em(quieto_desde_ + quieto_por_);
        } else if (k >= ultima_) {
            fim_do_registro(a, agora);
        }
    }
}

void Troca::aquieta(Instante desde, Instante por) {
    celula_.reset();
    quieto_desde_ = desde;
    quieto_por_ = por;
    quieto_ok_ = true;
    ultima_ = olhada_em(desde + por);
    fase_ = Fase::Aquietando;
}

void Troca::fim_da_espera(AcoesTroca& a, Instante agora) {
    if (resposta_) {
        ++ouvidas_;
        ++respostas_;
        if (!em_duvida_) tardias_ = 0;
    }
    const bool de_layout = indice_ > 0; // the flags record is no record of the layout
    const Instante em = olhada(proxima_ - 1);
    if (de_layout && !resposta_) {
        // Its answer may still be on its way: not to be taken for the next send's.
        em_duvida_ = true;
        aquieta(em, QUIETO);
    } else if (de_layout && em_duvida_) {
        // A send before this one went unanswered: its answer comes, if at all, about as
        // long after this one's as the sends lay apart; until the line is quiet that
        // long, the next record waits.
        aquieta(em, QUIETO + espalhado_);
    } else {
        quieto_ok_ = true;
        fim_do_registro(a, agora);
    }
}

void Troca::fim_do_registro(AcoesTroca& a, Instante agora) {
    // A line that kept answering, or a keyboard whose answers keep coming late, leaves
    // this answer in doubt too.
    const bool em_duvida = fase_ == Fase::Aquietando && (!quieto_ok_ || tardias_ >= LIMITE_TARDIAS);
    const bool respondido = resposta_.has_value() && !em_duvida;
    const bool aceito = respondido && *resposta_ == RespostaTeclado::Aceito;
    fase_ = Fase::Parada;
    const int antes = indice_;
    if (indice_ < 0) {
        termina(a, FimTroca::Gravado); // the end command's answer is not judged
        return;
    }
    if (indice_ == 0) {
        indice_ = -1;
    } else if (aceito) {
        ++aceitos_;
        falhas_ = 0;
        indice_ = indice_ == ULTIMO_SENTINELA ? 0 : indice_ + 1; // keys, sentinels, flags
    } else {
        falhas_ += respondido ? 1 : 2;
        --progresso_;
        if (falhas_ >= LIMITE_FALHAS) {
            (void)opcoes_(); // read as the window always did, unused
            termina(a, respostas_ == 0 ? FimTroca::NaoRespondeu
                       : !respondido   ? FimTroca::ParouDeResponder
                                       : FimTroca::Recusado);
            return;
        }
    }
    if (indice_ != antes) envios_ = 0; // a new record: its sends counted afresh
    envia(a, agora);
}

std::string texto_gravacao_parcial(int aceitos) {
    if (aceitos <= 0) return "o teclado não foi alterado";
    const std::string total = std::to_string(REGISTROS_LAYOUT);
    if (aceitos >= REGISTROS_LAYOUT)
        return "o teclado aceitou os " + total +
               " registros, mas não recebeu as opções e o comando de fim; grave-o de novo";
    const std::string quais = aceitos <= QTD_TECLAS
                                  ? "teclas 1 a " + std::to_string(aceitos)
                                  : "as 65 teclas e " + std::to_string(aceitos - QTD_TECLAS) + " sentinela(s)";
    return "o teclado ficou parcialmente gravado: aceitou " + std::to_string(aceitos) + " de " + total +
           " registros (" + quais + "); grave-o de novo";
}

std::string texto_resultado(const ResultadoTroca& r, bool janela) {
    const std::string parcial = texto_gravacao_parcial(r.aceitos);
    const std::string calado = "o teclado não respondeu (porta errada, teclado desligado ou desconectado?); "
                               "nada foi gravado";
    const std::string recusa = "Erro de comunicação com o teclado";
    switch (r.fim) {
    case FimTroca::Gravado:
        return "Gravação do teclado efetuada.";
    case FimTroca::Recusado:
    case FimTroca::ParouDeResponder:
    case FimTroca::NaoRespondeu:
        if (janela) // after the keyboard's own words, what it now holds
            return recusa + (r.fim == FimTroca::NaoRespondeu ? "\n\n" + frase(calado)
                             : r.aceitos > 0                 ? "\n\n" + frase(parcial)
                                                             : std::string());
        if (r.fim == FimTroca::NaoRespondeu) return calado;
        if (r.fim == FimTroca::ParouDeResponder)
            return "o teclado parou de responder no registro " + std::to_string(r.registro) + "; " + parcial;
        return recusa + " (o teclado não aceitou o layout); " + parcial;
    case FimTroca::Interrompido:
        return janela ? std::string() : "gravação interrompida; " + parcial;
    case FimTroca::PortaPerdida:
    case FimTroca::Erro:
        break;
    }
    if (janela)
        return r.fim == FimTroca::PortaPerdida ? "A porta serial deixou de responder durante a gravação "
                                                 "(adaptador desconectado?). " +
                                                     frase(parcial)
                                               : std::string();
    const bool perdida = r.fim == FimTroca::PortaPerdida;
    const std::string descricao = perdida ? "a porta deixou de responder" : r.descricao;
    if (r.respostas == 0) return "o teclado não respondeu (" + descricao + "); nada foi gravado";
    return "erro " + std::to_string(perdida ? ERRO_SERIAL_ESCRITA : r.erro) + " (" + descricao +
           ") durante a gravação; " + parcial;
}

} // namespace vantora
