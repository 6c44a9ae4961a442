#include "comandos.h"

#include "apresenta.h"
#include "editor/conversao.h"
#include "files/layout.h"
#include "link/espera.h"
#include "link/gravacao.h"
#include "link/mscomm.h"
#include "link/portas.h"
#include "link/protocolo.h"
#include "shell/configuracao.h"
#include "shell/erro.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vantora::prog {

namespace {

// Exit statuses.
constexpr int OK = 0;
constexpr int RECUSADO = 1; // the keyboard did not accept the layout; check found problems
constexpr int ERRO = 2;     // bad file, bad port, bad usage

void escreve(FILE* f, const QString& texto) {
    std::fputs(texto.toLocal8Bit().constData(), f);
    std::fflush(f);
}
void diz(const QString& texto) {
    escreve(stdout, texto + QLatin1Char('\n'));
}
void reclama(const QString& texto) {
    escreve(stderr, QStringLiteral("vantora-prog: ") + texto + QLatin1Char('\n'));
}

bool terminal(FILE* f) {
#ifdef Q_OS_UNIX
    return isatty(fileno(f));
#else
    (void)f;
    return false;
#endif
}

// Reads a layout file as the window's "Abrir" does. Returns false (with the reason
// printed) for a file the window would refuse.
bool le_layout(const QString& caminho, Layout& layout) {
    const QFileInfo info(caminho);
    if (!info.exists()) {
        reclama(QStringLiteral("%1: arquivo não encontrado").arg(caminho));
        return false;
    }
    if (!info.isFile()) {
        reclama(QStringLiteral("%1: não é um arquivo").arg(caminho));
        return false;
    }
    try {
        if (!Le_Layout(PerfilPrivado::le_arquivo(caminho), layout)) {
            reclama(QStringLiteral("%1: %2").arg(caminho, mensagemOutroTeclado()));
            return false;
        }
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("%1: erro %2 (%3) ao ler o layout; \"vantora-prog check\" mostra onde")
                    .arg(caminho)
                    .arg(e.numero())
                    .arg(e.descricao()));
        return false;
    }
    return true;
}

std::optional<Modelo> modelo(const QString& texto) {
    if (texto == QLatin1String("65")) return Modelo::Teclas65;
    if (texto == QLatin1String("44")) return Modelo::Teclas44;
    return std::nullopt;
}

// --- ports and send ---

// The system's ports plus the paths named with --port, as the window would list
// them with VANTORA_EXTRA_PORTS.
class InventarioComCaminhos final : public InventarioPortas {
  public:
    explicit InventarioComCaminhos(std::unique_ptr<InventarioPortas> sistema)
        : sistema_(std::move(sistema)) {}
    // Number under which a path given on the command line is opened.
    int acrescenta(const QString& caminho) {
        const int numero = 32000 + int(extras_.size());
        extras_.push_back(
            {QStringLiteral("Porta %1 (COM%2)").arg(caminho).arg(numero), caminho, caminho, numero});
        return numero;
    }
    QList<DispositivoSerial> lista() override {
        QList<DispositivoSerial> l = sistema_->lista();
        for (const auto& e : extras_) {
            if (QFileInfo::exists(e.caminho)) l << e;
        }
        return l;
    }
    QString nome_por_id(const QString& id) override {
        for (const auto& e : extras_) {
            if (e.id == id) return QFileInfo::exists(e.caminho) ? e.nome : QString();
        }
        return sistema_->nome_por_id(id);
    }

  private:
    std::unique_ptr<InventarioPortas> sistema_;
    QList<DispositivoSerial> extras_;
};

// The exchange over the serial control, answers read as the window's receive
// handler reads them.
class CanalSerial final : public CanalGravacao {
  public:
    CanalSerial(MSComm& porta, QString nome) : porta_(porta), nome_(std::move(nome)) {
        QObject::connect(&porta_, &MSComm::OnComm, &porta_, [this] {
            if (porta_.CommEvent() != comEvReceive) return;
            const QByteArray b = porta_.Input();
            if (b.isEmpty()) return;
            if (uchar(b[0]) == RESPOSTA_ACEITO)
                resposta_ = RESPOSTA_SIM;
            else if (uchar(b[0]) == RESPOSTA_RECUSADO)
                resposta_ = RESPOSTA_NAO;
        });
    }
    void envia_registro(int indice, int c1, int c2, int c3, int c4) override {
        resposta_ = 0;
        for (int v : {int(INICIO_REGISTRO), indice, c1, c2, c3, c4})
            porta_.setOutput(QByteArray(1, char(v)));
    }
    void envia_fim() override {
        resposta_ = 0;
        porta_.setOutput(QByteArray(1, char(COMANDO_FIM)));
    }
    int espera_resposta() override {
        for (int contador = 0; contador <= 100; ++contador) {
            Aguarda_Ms(5);
            if (porta_.PortaPerdida())
                throw ErroExecucao(ERRO_SERIAL_ESCRITA, QStringLiteral("a porta deixou de responder"));
            if (resposta_ == RESPOSTA_SIM || resposta_ == RESPOSTA_NAO) break;
        }
        return resposta_;
    }
    void avanca(int passos) override {
        passo_ += passos;
        if (!terminal(stderr)) return;
        constexpr int LARGURA = 40;
        const int cheio = passo_ * LARGURA / PASSOS_GRAVACAO;
        escreve(stderr, QStringLiteral("\r%1 [%2%3] %4/%5")
                            .arg(nome_)
                            .arg(QString(cheio, QLatin1Char('#')))
                            .arg(QString(LARGURA - cheio, QLatin1Char('.')))
                            .arg(passo_, 2)
                            .arg(PASSOS_GRAVACAO));
    }
    void termina_linha() const {
        if (terminal(stderr) && passo_ > 0) escreve(stderr, QStringLiteral("\n"));
    }

  private:
    MSComm& porta_;
    QString nome_;
    int resposta_ = 0;
    int passo_ = 0;
};

// The window sends what its sentinel boxes show: box 0 of a row holds the row's
// default when table 1 has 0 there. A file sent from here goes out the same way.
CodigosLayout como_a_janela_envia(CodigosLayout c) {
    for (int slot = PRIMEIRO_SENTINELA; slot < QTD_SLOTS; ++slot)
        c.Codigos_Tab1[size_t(slot)] = converte_inteiro(texto_sentinela(c, slot, 0));
    return c;
}

int grava_numa_porta(InventarioComCaminhos& inventario, int numero, const QString& nome,
                     const QString& parametros, const CodigosLayout& codigos, int opcoes) {
    AberturaPortasQt abertura(inventario);
    MSComm porta(&abertura);
    try {
        porta.setSettings(parametros);
        porta.setCommPort(std::int16_t(numero));
        porta.setPortOpen(true);
        porta.setInBufferCount(0);
        porta.setOutBufferCount(0);
        porta.setNullDiscard(false);
        porta.setSThreshold(1);
        porta.setRThreshold(1);
        porta.setInputLen(1);
        porta.setInputMode(0);
    } catch (const ErroExecucao& e) {
        if (e.numero() == ERRO_PORTA_ABERTA)
            reclama(
                QStringLiteral("%1: Não foi possivel abrir esta porta serial (ocupada por outro programa)")
                    .arg(nome));
        else
            reclama(QStringLiteral("%1: erro %2 (%3) ao abrir a porta")
                        .arg(nome)
                        .arg(e.numero())
                        .arg(e.descricao()));
        return ERRO;
    }
    CanalSerial canal(porta, nome);
    int status = OK;
    try {
        if (executa_gravacao(canal, codigos, opcoes) == ResultadoGravacao::Gravado) {
            canal.termina_linha();
            diz(QStringLiteral("%1: Gravação do teclado efetuada.").arg(nome));
        } else {
            canal.termina_linha();
            reclama(QStringLiteral("%1: Erro de comunicação com o teclado (o teclado não aceitou o layout)")
                        .arg(nome));
            status = RECUSADO;
        }
    } catch (const ErroExecucao& e) {
        canal.termina_linha();
        reclama(QStringLiteral("%1: erro %2 (%3) durante a gravação; o teclado não foi gravado por completo")
                    .arg(nome)
                    .arg(e.numero())
                    .arg(e.descricao()));
        status = ERRO;
    }
    porta.setPortOpen(false);
    return status;
}

} // namespace

bool analisa(QCommandLineParser& p, const QString& uso, const QString& descricao, const QStringList& args,
             int& status) {
    p.setApplicationDescription(descricao);
    const QCommandLineOption ajuda({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Mostra esta ajuda."));
    p.addOption(ajuda);
    if (!p.parse(QStringList{QStringLiteral("vantora-prog")} + args)) {
        reclama(p.errorText());
        status = ERRO;
        return false;
    }
    if (p.isSet(ajuda)) {
        QString texto = p.helpText();
        texto.replace(QRegularExpression(QStringLiteral("^Usage: \\S+ \\[options\\]")), uso);
        texto.replace(QStringLiteral("Options:"), QStringLiteral("Opções:"));
        texto.replace(QStringLiteral("Arguments:"), QStringLiteral("Argumentos:"));
        escreve(stdout, texto);
        status = OK;
        return false;
    }
    return true;
}

int ports(const QStringList& args) {
    QCommandLineParser p;
    int status = OK;
    if (!analisa(p, QStringLiteral("Uso: vantora-prog ports"),
                 QStringLiteral("Lista as portas seriais com o número COM e o dispositivo, como a caixa "
                                "\"Porta Serial:\" da janela (inclui VANTORA_EXTRA_PORTS)."),
                 args, status))
        return status;
    auto inventario = criaInventarioSistema();
    Mdl_Serial serial(inventario.get());
    try {
        serial.Busca_Portas();
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("erro %1 (%2) ao procurar as portas").arg(e.numero()).arg(e.descricao()));
        return ERRO;
    }
    const QList<DispositivoSerial> dispositivos = inventario->lista();
    if (serial.Qtd_Portas == 0) {
        diz(QStringLiteral("Nenhuma porta serial encontrada."));
        return OK;
    }
    for (int i = 1; i <= serial.Qtd_Portas; ++i) {
        const Info_Porta& e = serial.Lista_Portas[size_t(i)];
        const QString caminho = i - 1 < dispositivos.size() ? dispositivos[i - 1].caminho : QString();
        diz(QStringLiteral("COM%1\t%2\t%3").arg(e.Numero, caminho, e.Nome));
    }
    return OK;
}

int send(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption porta(
        QStringLiteral("port"),
        QStringLiteral("Porta: número COM (como na janela) ou caminho do dispositivo. Pode "
                       "ser repetida para gravar vários teclados, um depois do outro. "
                       "Sem ela, a última porta aberta na janela."),
        QStringLiteral("N|CAMINHO"));
    const QCommandLineOption velocidade(QStringLiteral("speed"),
                                        QStringLiteral("9600 ou 57600 (padrão 57600)."),
                                        QStringLiteral("BPS"), QStringLiteral("57600"));
    p.addOption(porta);
    p.addOption(velocidade);
    int status = OK;
    if (!analisa(
            p, QStringLiteral("Uso: vantora-prog send ARQUIVO [--port N|CAMINHO]... [--speed 9600|57600]"),
            QStringLiteral("Grava o layout no teclado pela porta serial, com a mesma troca de mensagens da "
                           "janela.\nSaída: 0 gravado, 1 o teclado não aceitou, 2 arquivo ou porta com "
                           "problema."),
            args, status))
        return status;
    if (p.positionalArguments().size() != 1) {
        reclama(QStringLiteral("indique um arquivo de layout (vantora-prog send --help)"));
        return ERRO;
    }
    const QString bps = p.value(velocidade);
    if (bps != QLatin1String("9600") && bps != QLatin1String("57600")) {
        reclama(QStringLiteral("velocidade inválida: %1 (use 9600 ou 57600)").arg(bps));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    CodigosLayout codigos;
    try {
        codigos = como_a_janela_envia(layout.codigos);
    } catch (const ErroExecucao&) {
        return ERRO; // cannot happen: the display rule gives numbers
    }
    // Nothing goes out unless every value fits in a byte.
    if (const auto problema = valor_fora_da_faixa(codigos)) {
        reclama(*problema);
        return ERRO;
    }
    const int opcoes = byte_opcoes(layout.caixas[Layout::Prot], layout.caixas[Layout::ProtDisp],
                                   layout.caixas[Layout::ProtDispBNC]);

    QStringList portas = p.values(porta);
    if (portas.isEmpty()) {
        auto cfg = criaConfiguracaoSistema(QStringLiteral("vantora-config"));
        portas << cfg->le(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("1"));
    }
    InventarioComCaminhos inventario(criaInventarioSistema());
    int pior = OK;
    for (const QString& alvo : portas) {
        bool numerico = false;
        const int numero = alvo.toInt(&numerico);
        int n = numero;
        QString nome = QStringLiteral("COM%1").arg(numero);
        if (!numerico) {
            n = inventario.acrescenta(alvo);
            nome = alvo;
        } else if (inventario.caminho(numero).isEmpty()) {
            reclama(
                QStringLiteral("%1: porta não encontrada (vantora-prog ports lista as portas)").arg(nome));
            pior = qMax(pior, ERRO);
            continue;
        } else {
            nome += QStringLiteral(" (%1)").arg(inventario.caminho(numero));
        }
        pior = qMax(pior,
                    grava_numa_porta(inventario, n, nome, bps + QStringLiteral(",N,8,1"), codigos, opcoes));
    }
    return pior;
}

int show(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption mod(QStringLiteral("model"),
                                 QStringLiteral("65 (Vantora, padrão) ou 44 (Norva)."),
                                 QStringLiteral("65|44"), QStringLiteral("65"));
    const QCommandLineOption formato(QStringLiteral("format"), QStringLiteral("text (padrão) ou csv."),
                                     QStringLiteral("text|csv"), QStringLiteral("text"));
    p.addOption(mod);
    p.addOption(formato);
    int status = OK;
    if (!analisa(p, QStringLiteral("Uso: vantora-prog show ARQUIVO [--model 65|44] [--format text|csv]"),
                 QStringLiteral(
                     "Mostra as teclas na grade do teclado, com as legendas dos códigos das tabelas 1 a "
                     "4, os seis sentinelas e as opções."),
                 args, status))
        return status;
    const auto m = modelo(p.value(mod));
    const QString f = p.value(formato);
    if (p.positionalArguments().size() != 1 || !m ||
        (f != QLatin1String("text") && f != QLatin1String("csv"))) {
        reclama(QStringLiteral("uso: vantora-prog show ARQUIVO [--model 65|44] [--format text|csv]"));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    Catalogo cat;
    cat.preenche();
    const LayoutApresentado l{layout.codigos, layout.caixas};
    escreve(stdout, f == QLatin1String("csv") ? layout_em_csv(l, cat, *m) : layout_em_texto(l, cat, *m));
    return OK;
}

int legend(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption saida(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                   QStringLiteral("A folha: SAIDA.pdf (A4) ou SAIDA.png (300 dpi)."),
                                   QStringLiteral("SAIDA"));
    const QCommandLineOption mod(QStringLiteral("model"),
                                 QStringLiteral("65 (Vantora, padrão) ou 44 (Norva)."),
                                 QStringLiteral("65|44"), QStringLiteral("65"));
    const QCommandLineOption passo(QStringLiteral("pitch"),
                                   QStringLiteral("Distância entre teclas em milímetros (padrão 19.05)."),
                                   QStringLiteral("MM"), QStringLiteral("19.05"));
    p.addOption(saida);
    p.addOption(mod);
    p.addOption(passo);
    int status = OK;
    if (!analisa(p,
                 QStringLiteral("Uso: vantora-prog legend ARQUIVO -o SAIDA.pdf|SAIDA.png [--model 65|44] "
                                "[--pitch MM]"),
                 QStringLiteral("Folha de legendas em tamanho real: uma célula por tecla com as legendas dos "
                                "códigos das tabelas 1 a 4, e marcas de corte."),
                 args, status))
        return status;
    const auto m = modelo(p.value(mod));
    bool passoOk = false;
    const double mm = p.value(passo).toDouble(&passoOk);
    if (p.positionalArguments().size() != 1 || !p.isSet(saida) || !m || !passoOk) {
        reclama(QStringLiteral(
            "uso: vantora-prog legend ARQUIVO -o SAIDA.pdf|SAIDA.png [--model 65|44] [--pitch MM]"));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    Catalogo cat;
    cat.preenche();
    FolhaLegenda folha;
    folha.modelo = *m;
    folha.passoMm = mm;
    const QString erro = grava_legenda(p.value(saida), {layout.codigos, layout.caixas}, cat, folha);
    if (!erro.isEmpty()) {
        reclama(QStringLiteral("%1: %2").arg(p.value(saida), erro));
        return ERRO;
    }
    diz(QStringLiteral("Legendas gravadas em %1").arg(p.value(saida)));
    return OK;
}

} // namespace vantora::prog
