#include "link/gravacao.h"

#include "base/erro.h"
#include "link/mscomm.h"
#include "link/protocolo.h"

#include <atomic>

#ifdef Q_OS_WIN
#include <windows.h>
// after windows.h, whose types it uses
#include <timeapi.h>
#endif

namespace vantora {

namespace {
std::atomic<int> resolucoes{0};
} // namespace

ResolucaoTimer::ResolucaoTimer() {
#ifdef Q_OS_WIN
    timeBeginPeriod(1);
#endif
    ++resolucoes;
}

ResolucaoTimer::~ResolucaoTimer() {
#ifdef Q_OS_WIN
    timeEndPeriod(1);
#endif
    --resolucoes;
}

int ResolucaoTimer::pedidos() {
    return resolucoes;
}

GravacaoSerial::GravacaoSerial(MSComm& porta, const Layout& codigos, std::function<int()> opcoes,
                               QObject* pai)
    : QObject(pai), porta_(porta), troca_(codigos_da_troca(codigos), std::move(opcoes)) {
    relogio_.start();
    prazo_.setSingleShot(true);
    prazo_.setTimerType(Qt::PreciseTimer);
    connect(&prazo_, &QTimer::timeout, this, &GravacaoSerial::ao_evento);
}

GravacaoSerial::~GravacaoSerial() {
    QObject::disconnect(ligacao_);
}

Instante GravacaoSerial::agora() const {
    return std::chrono::duration_cast<Instante>(std::chrono::nanoseconds(relogio_.nsecsElapsed()));
}

void GravacaoSerial::inicia() {
    if (terminada() || ligacao_) return;
    resolucao_.emplace();
    ligacao_ = connect(&porta_, &MSComm::OnComm, this, &GravacaoSerial::ao_evento);
    executa(troca_.inicia(agora()));
}

void GravacaoSerial::responde(RespostaTeclado r) {
    if (!ligacao_ || terminada()) return;
    if (interromper && interromper()) troca_.interrompe();
    executa(troca_.recebe(r, agora()));
}

void GravacaoSerial::encerra() {
    if (!terminada()) executa(troca_.encerra(FimTroca::Interrompido));
}

// A byte received, the port lost, or a deadline come.
void GravacaoSerial::ao_evento() {
    if (terminada()) return;
    if (interromper && interromper()) troca_.interrompe();
    if (porta_.PortaPerdida()) {
        // Reported once here; the control has closed the port already.
        executa(troca_.encerra(FimTroca::PortaPerdida));
        return;
    }
    if (sender() == &porta_) {
        if (porta_.CommEvent() != comEvReceive) return;
        const QByteArray b = porta_.Input();
        executa(troca_.recebe(reinterpret_cast<const unsigned char*>(b.constData()), std::size_t(b.size()),
                              agora()));
    } else {
        executa(troca_.tempo(agora()));
    }
}

void GravacaoSerial::executa(AcoesTroca a) {
    if (terminada()) return;
    try {
        for (const unsigned char b : a.escreve)
            porta_.setOutput(QByteArray(1, static_cast<char>(b)));
    } catch (const ErroExecucao& e) {
        a = troca_.encerra(FimTroca::Erro, e.numero(), e.descricao());
    }
    emit progrediu(troca_.progresso());
    if (!a.terminou) {
        if (a.prazo) {
            const auto falta = std::chrono::ceil<std::chrono::milliseconds>(*a.prazo - agora()).count();
            prazo_.start(int(std::max<long long>(0, falta)));
        }
        return;
    }
    prazo_.stop();
    QObject::disconnect(ligacao_);
    resolucao_.reset();
    resultado_ = troca_.resultado();
    if (resultado_->fim == FimTroca::Erro && resultado_->descricao.empty())
        resultado_->descricao = descricaoPadrao(resultado_->erro);
    emit terminou();
}

void abre_para_gravacao(MSComm& porta, int numero, const QString& parametros) {
    porta.setSettings(parametros);
    porta.setCommPort(numero);
    porta.setPortOpen(true);
    porta.descarta_e_recebe_por_byte();
}

} // namespace vantora
