// "check": every problem of a layout file, each with its section, key and line.
#include "comandos.h"

#include "editor/conversao.h"
#include "files/layout.h"
#include "link/protocolo.h"
#include "shell/erro.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cstdio>

namespace vantora::prog {

namespace {

struct Problema {
    int linha; // 0 when the key is nowhere in the file
    QString secao;
    QString chave;
    QString texto;
    bool aviso = false; // the window opens and sends the file all the same
};

const QSet<QString>& secoesNossas() {
    static const QSet<QString> s = {QStringLiteral("teclado"), QStringLiteral("tab1"), QStringLiteral("tab2"),
                                    QStringLiteral("tab3"), QStringLiteral("tab4")};
    return s;
}

// "T5 (tecla 6)": the file's key name with the key number `show` and `send` use.
QString nome_chave(int entrada) {
    const QString t = QStringLiteral("T%1").arg(entrada);
    return entrada < QTD_TECLAS ? t + QStringLiteral(" (tecla %1)").arg(entrada + 1) : t;
}

QString dobra(const QString& s) {
    return s.trimmed().toCaseFolded();
}

class Verificacao {
  public:
    explicit Verificacao(const PerfilPrivado& ini) : ini_(ini) {
        // The window reads the first section of a name only: a repeated one is reported
        // once, with all its lines, and its keys are not looked at one by one.
        QHash<QString, QList<int>> repetidas;
        bool ignorada = false;
        for (const auto& l : ini.linhas_nomeadas()) {
            if (l.cabecalho) {
                const QString nome = dobra(l.secao);
                ignorada = secoes_.contains(nome);
                if (ignorada)
                    repetidas[nome] << l.numero;
                else
                    secoes_.insert(nome, l.numero);
                if (!ignorada && !secoesNossas().contains(nome))
                    aviso(l.numero, l.secao, {}, QStringLiteral("seção desconhecida: ignorada"));
                continue;
            }
            if (ignorada) continue;
            const QString id = dobra(l.secao) + QLatin1Char('\n') + dobra(l.chave);
            if (chaves_.contains(id))
                aviso(l.numero, l.secao, l.chave,
                      QStringLiteral("chave repetida: vale a da linha %1").arg(chaves_[id]));
            else
                chaves_.insert(id, l.numero);
            todas_.push_back(l);
        }
        for (auto it = repetidas.cbegin(); it != repetidas.cend(); ++it) {
            QStringList outras;
            for (int n : it.value())
                outras << QString::number(n);
            const int primeira = secoes_.value(it.key());
            aviso(primeira, secao_escrita(ini, primeira), {},
                  QStringLiteral(
                      "seção repetida nas linhas %1 e %2: a janela lê só a da linha %1 e ignora a outra")
                      .arg(primeira)
                      .arg(outras.join(QStringLiteral(", "))));
        }
    }

    static QString secao_escrita(const PerfilPrivado& ini, int linha) {
        for (const auto& l : ini.linhas_nomeadas())
            if (l.numero == linha) return l.secao;
        return {};
    }

    void aviso(int linha, const QString& secao, const QString& chave, const QString& texto) {
        problemas.push_back({linha, secao, chave, texto, true});
    }

    void anota(int linha, const QString& secao, const QString& chave, const QString& texto) {
        problemas.push_back({linha, secao, chave, texto});
    }

    // Line of a key, or of its section's header when the key is missing.
    int linha(const QString& secao, const QString& chave) const {
        const QString id = dobra(secao) + QLatin1Char('\n') + dobra(chave);
        return chaves_.value(id, secoes_.value(dobra(secao), 0));
    }
    bool existe(const QString& secao, const QString& chave) const {
        return chaves_.contains(dobra(secao) + QLatin1Char('\n') + dobra(chave));
    }

    void tipo() {
        const QString t = Le_Ini(ini_, QStringLiteral("Teclado"), QStringLiteral("Tipo"));
        if (t == tipoLayout()) return;
        anota(linha(QStringLiteral("Teclado"), QStringLiteral("Tipo")), QStringLiteral("Teclado"),
              QStringLiteral("Tipo"),
              existe(QStringLiteral("Teclado"), QStringLiteral("Tipo"))
                  ? QStringLiteral("o tipo é \"%1\", não \"Vantora\": a janela recusa o arquivo (%2)")
                        .arg(t.trimmed(), mensagemOutroTeclado())
                  : QStringLiteral("falta Tipo=Vantora: a janela recusa o arquivo (%1)")
                        .arg(mensagemOutroTeclado()));
    }

    void opcoes() {
        const std::array<const char*, 3> chaves = {"Prot", "ProtDisp", "ProtDispBNC"};
        for (const char* c : chaves) {
            const QString chave = QString::fromLatin1(c);
            const QString v = Le_Ini(ini_, QStringLiteral("Teclado"), chave);
            const int l = linha(QStringLiteral("Teclado"), chave);
            if (v == QLatin1String(" ")) {
                aviso(l, QStringLiteral("Teclado"), chave,
                      existe(QStringLiteral("Teclado"), chave)
                          ? QStringLiteral(
                                "o valor começa com \"-2\" e é lido como ausente: a caixa fica desmarcada")
                          : QStringLiteral("ausente: a caixa fica desmarcada"));
                continue;
            }
            try {
                const int n = converte_numero_inicial(v);
                if (n < 0 || n > 2)
                    anota(l, QStringLiteral("Teclado"), chave,
                          QStringLiteral("valor %1 fora de 0, 1 e 2: a janela não abre o arquivo (erro 380)")
                              .arg(n));
            } catch (const ErroExecucao& e) {
                anota(l, QStringLiteral("Teclado"), chave,
                      QStringLiteral("\"%1\" fora da faixa: a janela não abre o arquivo (erro %2)")
                          .arg(v)
                          .arg(e.numero()));
            }
        }
    }

    void tabelas() {
        for (int n = 1; n <= 4; ++n) {
            const QString secao = QStringLiteral("Tab%1").arg(n);
            bool alguma = false;
            for (int i = 0; i < QTD_SLOTS && !alguma; ++i)
                alguma = existe(secao, QStringLiteral("T%1").arg(i));
            if (!alguma) {
                anota(linha(secao, QString()), secao, QString(),
                      QStringLiteral("T0–T71 ausentes: a janela não abre o arquivo (erro 13)"));
                continue;
            }
            for (int i = 0; i < QTD_SLOTS; ++i) {
                const QString chave = QStringLiteral("T%1").arg(i);
                const QString v = Le_Ini(ini_, secao, chave);
                const int l = linha(secao, chave);
                const bool sentinela = i >= PRIMEIRO_SENTINELA;
                if (v == QLatin1String(" ")) {
                    if (sentinela) continue; // a missing sentinel reads as 0: the row's default is shown
                    anota(l, secao, nome_chave(i),
                          existe(secao, chave)
                              ? QStringLiteral(
                                    "o valor começa com \"-2\" e é lido como ausente: a janela não abre o "
                                    "arquivo (erro 13)")
                              : QStringLiteral("ausente: a janela não abre o arquivo (erro 13)"));
                    continue;
                }
                int valor = 0;
                try {
                    valor = sentinela ? converte_numero_inicial(v) : converte_inteiro(v);
                } catch (const ErroExecucao& e) {
                    anota(
                        l, secao, nome_chave(i),
                        e.numero() == ERRO_TIPOS
                            ? QStringLiteral("\"%1\" não é um número: a janela não abre o arquivo (erro 13)")
                                  .arg(v)
                            : QStringLiteral(
                                  "\"%1\" fora de -32768 a 32767: a janela não abre o arquivo (erro 6)")
                                  .arg(v));
                    continue;
                }
                if (i != 65 && (valor < 0 || valor > 255))
                    anota(l, secao, nome_chave(i),
                          QStringLiteral("código %1 fora de 0 a 255: a gravação no teclado é recusada")
                              .arg(valor));
            }
        }
    }

    // Keys the format does not name are ignored by the window; they may be typing mistakes.
    void desconhecidas() {
        QSet<QString> conhecidas;
        for (const char* c : {"tipo", "prot", "protdisp", "protdispbnc"})
            conhecidas.insert(QStringLiteral("teclado\n") + QString::fromLatin1(c));
        for (int n = 1; n <= 4; ++n)
            for (int i = 0; i < QTD_SLOTS; ++i)
                conhecidas.insert(QStringLiteral("tab%1\nt%2").arg(n).arg(i));
        for (const auto& l : todas_) {
            if (!secoesNossas().contains(dobra(l.secao))) continue;
            if (!conhecidas.contains(dobra(l.secao) + QLatin1Char('\n') + dobra(l.chave)))
                aviso(l.numero, l.secao, l.chave,
                      dobra(l.secao) == QLatin1String("teclado")
                          ? QStringLiteral("opção desconhecida: ignorada")
                          : QStringLiteral("chave desconhecida: ignorada"));
        }
    }

    std::vector<Problema> problemas;

  private:
    const PerfilPrivado& ini_;
    QHash<QString, int> secoes_;
    QHash<QString, int> chaves_;
    std::vector<PerfilPrivado::LinhaNomeada> todas_;
};

} // namespace

int check(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption estrito(QStringLiteral("strict"),
                                     QStringLiteral("Sai com 1 também quando só há avisos."));
    p.addOption(estrito);
    int status = 0;
    if (!analisa(p, QStringLiteral("Uso: vantora-prog check ARQUIVO [--strict]"),
                 QStringLiteral(
                     "Aponta todos os problemas do arquivo de layout, cada um com a linha, a seção e a "
                     "chave (T5 é a tecla 6, como em \"show\").\n"
                     "erro: o que faz a janela ou \"send\" recusar o arquivo ou mudá-lo (tipo errado, T0–T71 "
                     "ausentes ou que não são números, códigos fora de 0 a 255, opções fora de 0 a 2).\n"
                     "aviso: o que a janela ignora (chaves e seções desconhecidas, seções e chaves "
                     "repetidas, opções ausentes).\n"
                     "Saída: 0 sem erros (com --strict, sem erros nem avisos), 1 com erros (ou avisos com "
                     "--strict), 2 arquivo ilegível."),
                 args, status))
        return status;
    if (p.positionalArguments().size() != 1) {
        escreve(stderr,
                QStringLiteral("vantora-prog: indique um arquivo de layout (vantora-prog check --help)\n"));
        return 2;
    }
    const QString caminho = p.positionalArguments().first();
    PerfilPrivado ini;
    if (!le_perfil(caminho, ini)) return 2;
    Verificacao v(ini);
    v.tipo();
    v.opcoes();
    v.tabelas();
    v.desconhecidas();
    std::stable_sort(v.problemas.begin(), v.problemas.end(),
                     [](const Problema& a, const Problema& b) { return a.linha < b.linha; });
    int erros = 0;
    for (const Problema& pr : v.problemas) {
        const QString onde = pr.linha > 0 ? QStringLiteral("%1:%2").arg(caminho).arg(pr.linha) : caminho;
        const QString chave = pr.chave.isEmpty() ? QString() : QLatin1Char(' ') + pr.chave;
        escreve(stdout, QStringLiteral("%1: %2: [%3]%4: %5\n")
                            .arg(onde, pr.aviso ? QStringLiteral("aviso") : QStringLiteral("erro"), pr.secao,
                                 chave, pr.texto));
        erros += pr.aviso ? 0 : 1;
    }
    const int avisos = int(v.problemas.size()) - erros;
    if (v.problemas.empty()) {
        escreve(stdout, caminho + QStringLiteral(": sem problemas\n"));
        return 0;
    }
    escreve(stdout, QStringLiteral("%1: %2 erro(s), %3 aviso(s)\n")
                        .arg(caminho, QString::number(erros), QString::number(avisos)));
    return erros > 0 || p.isSet(estrito) ? 1 : 0;
}

} // namespace vantora::prog
