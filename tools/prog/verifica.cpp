// "check": every problem of a layout file, each with its section, key and line.
#include "comandos.h"

#include "apresenta.h"
#include "editor/conversao.h"
#include "files/ini.h"
#include "files/layout.h"
#include "link/protocolo.h"
#include "base/erro.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace vantora::prog {

namespace {

struct Problema {
    int linha; // 0 when the key is nowhere in the file
    QString secao;
    QString chave;
    QString texto;
    bool aviso = false; // the window opens and sends the file all the same
};

// The file's names and how they are told apart are the reader's own (files/layout.h):
// "Teclado" and "Tipo" as the first name of the file has them.
const std::string& secao_teclado() {
    return nomes_layout().front().secao;
}
const std::string& chave_tipo() {
    return nomes_layout().front().chave;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A value as quoted in a message: a long one shortened.
QString citado(const QString& v) {
    return QLatin1Char('"') + (v.size() > 24 ? v.left(20) + QStringLiteral("…") : v) + QLatin1Char('"');
}

// A plain whole number ("65", "-1", "007") reads as what it says; any other form the
// window still takes ("2.5", "1e2", "&H41", "12abc") is read as the conversion gives.
bool numero_simples(const QString& v) {
    static const QRegularExpression simples(QStringLiteral("^[+-]?[0-9]+$"));
    return simples.match(v).hasMatch();
}

// What the window sends for a sentinel character read as 0: box 0 of the row shows,
// and the send takes, the row's default.
QString envio_sentinela_zero(int tabela, int entrada) {
    if (tabela != 1) return QStringLiteral("a janela envia 0 (nenhum caractere)");
    return QStringLiteral("a janela mostra e envia o padrão %1")
        .arg(converte_inteiro(texto_sentinela(Layout(), entrada, 0)));
}

// The rows' defaults, in order: "2, 3, 10, 4, 5 ou 10".
QString padroes_sentinela(const QString& conjuncao) {
    QStringList padroes;
    for (const LinhaSentinela& linha : LINHAS_SENTINELA)
        padroes << QString::number(converte_inteiro(linha.padrao));
    const QString ultimo = padroes.takeLast();
    return padroes.join(QStringLiteral(", ")) + conjuncao + ultimo;
}

// A name as the reader compares names.
std::string dobra(const std::string& s) {
    return PerfilPrivado::dobra(s);
}
// A section and a key as one folded text (a folded name holds no line break).
std::string dobra(const std::string& secao, const std::string& chave) {
    return dobra(secao) + '\n' + dobra(chave);
}

// Folded names (of sections, or of sections and keys) with the line each first
// appears on, for files of millions of lines: each name costs a hash and a line
// number, and is read back from the file only when its hash meets another's.
class PrimeirasLinhas {
  public:
    // `nome` gives the folded name of a line noted here.
    explicit PrimeirasLinhas(std::function<std::string(int)> nome) : nome_(std::move(nome)) {}

    // The line `dobrado` first appears on, or 0.
    [[nodiscard]] int linha(const std::string& dobrado) const {
        if (vagas_.empty()) return 0;
        const std::uint32_t h = hash(dobrado);
        for (std::size_t i = h & (vagas_.size() - 1); vagas_[i].linha != 0; i = (i + 1) & (vagas_.size() - 1))
            if (vagas_[i].hash == h && nome_(vagas_[i].linha) == dobrado) return vagas_[i].linha;
        return 0;
    }

    // Notes that `dobrado` appears on line `numero`; gives the line it first appears on.
    int anota(const std::string& dobrado, int numero) {
        if (const int primeira = linha(dobrado)) return primeira;
        if (2 * (qtd_ + 1) > vagas_.size()) cresce();
        const std::uint32_t h = hash(dobrado);
        std::size_t i = h & (vagas_.size() - 1);
        while (vagas_[i].linha != 0)
            i = (i + 1) & (vagas_.size() - 1);
        vagas_[i] = {h, numero};
        ++qtd_;
        return numero;
    }

  private:
    struct Vaga {
        std::uint32_t hash = 0;
        int linha = 0; // 0: free
    };
    static std::uint32_t hash(const std::string& s) {
        const std::uint64_t h = std::hash<std::string>()(s);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }
    void cresce() {
        std::vector<Vaga> velhas(std::max<std::size_t>(16, vagas_.size() * 2));
        velhas.swap(vagas_);
        for (const Vaga& v : velhas) {
            if (v.linha == 0) continue;
            std::size_t i = v.hash & (vagas_.size() - 1);
            while (vagas_[i].linha != 0)
                i = (i + 1) & (vagas_.size() - 1);
            vagas_[i] = v;
        }
    }

    std::function<std::string(int)> nome_;
    std::vector<Vaga> vagas_; // open addressing, never more than half full
    std::size_t qtd_ = 0;
};

class Verificacao {
  public:
    explicit Verificacao(const PerfilPrivado& ini) : ini_(ini) {
        // Where the window's Open stops, with the window's own reader.
        Layout lido;
        try {
            (void)Le_Layout(ini, lido, &parada_);
        } catch (const ErroExecucao&) {
            parou_ = true;
        }
        // The window reads the first section of a name only: a repeated one is reported
        // once, with all its lines, and its keys are not looked at one by one.
        std::vector<std::pair<int, int>> repetidas; // first line of the name, line of the repeat
        bool ignorada = false;
        bool nossa = false;
        std::string secao; // folded
        ini.percorre_linhas_nomeadas([&](const PerfilPrivado::LinhaNomeada& l) {
            if (l.cabecalho) {
                secao = dobra(l.secao);
                const int primeira = secoes_.anota(secao, l.numero);
                ignorada = primeira != l.numero;
                nossa = secao_layout(l.secao);
                if (ignorada)
                    repetidas.emplace_back(primeira, l.numero);
                else if (!nossa)
                    aviso(l.numero, q(l.secao), {}, QStringLiteral("seção desconhecida: ignorada"));
                return;
            }
            if (ignorada) return;
            const int primeira = chaves_.anota(secao + '\n' + dobra(l.chave), l.numero);
            if (primeira != l.numero)
                aviso(l.numero, q(l.secao), q(l.chave),
                      QStringLiteral("chave repetida: vale a da linha %1").arg(primeira));
            if (nossa) nossas_.push_back(l.numero);
        });
        std::stable_sort(repetidas.begin(), repetidas.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = repetidas.cbegin(); it != repetidas.cend();) {
            const int primeira = it->first;
            auto fim = it;
            qsizetype tamanho = 0;
            for (; fim != repetidas.cend() && fim->first == primeira; ++fim)
                tamanho += 2 + QString::number(fim->second).size();
            // Composed in place: a name repeated a million times lists a million lines.
            QString texto = QStringLiteral("seção repetida nas linhas %1 e ").arg(primeira);
            const QString resto =
                QStringLiteral(": a janela lê só a da linha %1 e ignora a outra").arg(primeira);
            texto.reserve(texto.size() + tamanho + resto.size());
            for (auto r = it; r != fim; ++r) {
                if (r != it) texto += QStringLiteral(", ");
                texto += QString::number(r->second);
            }
            texto += resto;
            aviso(primeira, q(ini.linha_nomeada(primeira).secao), {}, texto);
            it = fim;
        }
    }

    void aviso(int linha, const QString& secao, const QString& chave, const QString& texto) {
        problemas.push_back({linha, secao, chave, texto, true});
    }

    void anota(int linha, const QString& secao, const QString& chave, const QString& texto) {
        problemas.push_back({linha, secao, chave, texto});
    }

    // Line of a key, or of its section's header when the key is missing.
    int linha(const std::string& secao, const std::string& chave) const {
        const int l = chaves_.linha(dobra(secao, chave));
        return l != 0 ? l : secoes_.linha(dobra(secao));
    }
    bool existe(const std::string& secao, const std::string& chave) const {
        return chaves_.linha(dobra(secao, chave)) != 0;
    }

    // The end of an error that stops the window's Open: at the key where it stops, what
    // it keeps; elsewhere, that it would stop there as well.
    QString parada(int opcao, int tabela, int entrada, int erro, const QString& em = QString()) const {
        const bool aqui = parou_ && parada_.opcao == opcao &&
                          (opcao >= 0 || (parada_.tabela == tabela && parada_.entrada == entrada));
        const QString onde = em.isEmpty() ? QStringLiteral("aqui") : em;
        if (!aqui) return QStringLiteral("a janela pararia %1 (erro %2)").arg(onde).arg(erro);
        const QString lido = q(parada_.lido_antes());
        if (lido.isEmpty())
            return QStringLiteral("a janela para de ler %1 (erro %2), sem nada do arquivo")
                .arg(onde)
                .arg(erro);
        return QStringLiteral("a janela para de ler %1 (erro %2) e fica com %3 do arquivo; o resto continua "
                              "como estava")
            .arg(onde)
            .arg(erro)
            .arg(lido);
    }

    // A value read in a way its text does not say: cut to 254 characters, or not a
    // plain whole number. Empty when it reads as written.
    QString lido_como(const std::string& secao, const std::string& chave, const QString& v, int valor) const {
        const int inteiro = int(q(ini_.le(secao, chave, {}, std::numeric_limits<int>::max())).size());
        if (inteiro > v.size())
            return QStringLiteral("%1 tem %2 caracteres: a janela lê só os %3 primeiros, como %4")
                .arg(citado(v))
                .arg(inteiro)
                .arg(v.size())
                .arg(valor);
        if (numero_simples(v)) return {};
        return QStringLiteral("%1 é lido como %2").arg(citado(v)).arg(valor);
    }

    void tipo() {
        const std::string t = Le_Ini(ini_, secao_teclado(), chave_tipo());
        if (t == tipoLayout()) return;
        anota(linha(secao_teclado(), chave_tipo()), q(secao_teclado()), q(chave_tipo()),
              existe(secao_teclado(), chave_tipo())
                  ? QStringLiteral("o tipo é \"%1\", não \"Vantora\": a janela recusa o arquivo (%2)")
                        .arg(q(t).trimmed(), q(mensagemOutroTeclado()))
                  : QStringLiteral("falta Tipo=Vantora: a janela recusa o arquivo (%1)")
                        .arg(q(mensagemOutroTeclado())));
    }

    void opcoes() {
        for (int c = 0; c < QTD_OPCOES; ++c) {
            PosicaoLeitura onde;
            onde.opcao = c;
            const std::string secao = onde.secao();
            const std::string chave = onde.chave();
            const ValorLido lido = le_valor(ini_, onde);
            const QString v = q(lido.texto);
            const int l = linha(secao, chave);
            if (v == QLatin1String(" ")) {
                aviso(l, q(secao), q(chave),
                      existe(secao, chave)
                          ? QStringLiteral(
                                "o valor começa com \"-2\" e é lido como ausente: a caixa fica desmarcada")
                          : QStringLiteral("ausente: a caixa fica desmarcada"));
            } else if (lido.erro && lido.erro->numero() == ERRO_PROPRIEDADE) {
                anota(l, q(secao), q(chave),
                      QStringLiteral("valor %1 fora de 0, 1 e 2: %2")
                          .arg(lido.valor)
                          .arg(parada(c, 0, -1, ERRO_PROPRIEDADE)));
            } else if (lido.erro) {
                anota(l, q(secao), q(chave),
                      QStringLiteral("%1 fora da faixa: %2")
                          .arg(citado(v), parada(c, 0, -1, lido.erro->numero())));
            } else if (const QString como = lido_como(secao, chave, v, lido.valor); !como.isEmpty()) {
                aviso(l, q(secao), q(chave), como);
            }
        }
    }

    void tabelas() {
        for (int n = 1; n <= QTD_TABELAS; ++n) {
            // Where the reader reads entry i of this table.
            const auto posicao = [n](int i) {
                PosicaoLeitura onde;
                onde.tabela = n;
                onde.entrada = i;
                return onde;
            };
            const std::string secao = posicao(0).secao();
            const QString secao_q = q(secao);
            bool alguma = false, sentinelas = false;
            for (int i = 0; i < QTD_SLOTS; ++i) {
                const bool tem = existe(secao, posicao(i).chave());
                alguma = alguma || tem;
                sentinelas = sentinelas || (tem && i >= PRIMEIRO_SENTINELA);
            }
            if (!alguma) {
                anota(linha(secao, {}), secao_q, QString(),
                      QStringLiteral("T0–T%1 ausentes: %2")
                          .arg(QTD_SLOTS - 1)
                          .arg(parada(-1, n, 0, ERRO_TIPOS, QStringLiteral("em T0"))));
                continue;
            }
            if (!sentinelas) {
                aviso(linha(secao, {}), secao_q, QString(),
                      QStringLiteral("T%1–T%2 ausentes: lidos como 0, %3")
                          .arg(PRIMEIRO_SENTINELA)
                          .arg(QTD_SLOTS - 1)
                          .arg(n == 1 ? QStringLiteral("a janela mostra e envia os padrões ") +
                                            padroes_sentinela(QStringLiteral(" e "))
                                      : envio_sentinela_zero(n, PRIMEIRO_SENTINELA)));
            }
            for (int i = 0; i < QTD_SLOTS; ++i) {
                const bool sentinela = i >= PRIMEIRO_SENTINELA;
                if (sentinela && !sentinelas) break; // told above, in one line
                const PosicaoLeitura onde = posicao(i);
                const std::string chave = onde.chave();
                const ValorLido lido = le_valor(ini_, onde);
                const QString v = q(lido.texto);
                const QString entrada = q(nome_entrada(i));
                const int l = linha(secao, chave);
                if (v == QLatin1String(" ")) {
                    const QString ausente =
                        existe(secao, chave)
                            ? QStringLiteral("o valor começa com \"-2\" e é lido como ausente")
                            : QStringLiteral("ausente");
                    if (sentinela)
                        aviso(l, secao_q, entrada,
                              QStringLiteral("%1: lido como 0, %2").arg(ausente, envio_sentinela_zero(n, i)));
                    else
                        anota(l, secao_q, entrada,
                              QStringLiteral("%1: %2").arg(ausente, parada(-1, n, i, ERRO_TIPOS)));
                    continue;
                }
                if (lido.erro) {
                    const int e = lido.erro->numero();
                    anota(l, secao_q, entrada,
                          (e == ERRO_TIPOS ? QStringLiteral("%1 não é um número: %2")
                                           : QStringLiteral("%1 fora de -32768 a 32767: %2"))
                              .arg(citado(v), parada(-1, n, i, e)));
                    continue;
                }
                const int valor = lido.valor;
                if (i != 65 && (valor < 0 || valor > 255)) {
                    anota(l, secao_q, entrada,
                          QStringLiteral("código %1 fora de 0 a 255: a gravação no teclado é recusada")
                              .arg(valor));
                    continue;
                }
                QString como = lido_como(secao, chave, v, valor);
                if (sentinela && valor == 0 && n == 1 && !como.isEmpty())
                    como += QStringLiteral(", ") + envio_sentinela_zero(n, i);
                if (!como.isEmpty()) aviso(l, secao_q, entrada, como);
            }
        }
    }

    // Keys the format does not name are ignored by the window; they may be typing mistakes.
    void desconhecidas() {
        for (const int n : nossas_) {
            const PerfilPrivado::LinhaNomeada l = ini_.linha_nomeada(n);
            if (!nome_layout(l.secao, l.chave))
                aviso(l.numero, q(l.secao), q(l.chave),
                      dobra(l.secao) == dobra(secao_teclado())
                          ? QStringLiteral("opção desconhecida: ignorada")
                          : QStringLiteral("chave desconhecida: ignorada"));
        }
    }

    std::vector<Problema> problemas;

  private:
    const PerfilPrivado& ini_;
    PosicaoLeitura parada_; // where the window's Open stops, when parou_
    bool parou_ = false;
    // The names are read back from the file: a section's, and a key's with its section's.
    PrimeirasLinhas secoes_{[this](int n) { return dobra(ini_.linha_nomeada(n).secao); }};
    PrimeirasLinhas chaves_{[this](int n) {
        const PerfilPrivado::LinhaNomeada l = ini_.linha_nomeada(n);
        return dobra(l.secao, l.chave);
    }};
    std::vector<int> nossas_; // key lines of the first sections of our names
};

} // namespace

int check(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption estrito(QStringLiteral("strict"),
                                     QStringLiteral("Sai com 1 também quando só há avisos."));
    p.addOption(estrito);
    int status = 0;
    if (!analisa(
            p, QStringLiteral("Uso: vantora-prog check ARQUIVO [--strict]"),
            QStringLiteral(
                "Aponta todos os problemas do arquivo de layout, cada um com a linha, a seção e a "
                "chave (T5 é a tecla 6, como em \"show\").\n"
                "erro: o que faz a janela ou \"send\" recusar o arquivo ou parar de lê-lo (tipo errado, "
                "T0–T65 ausentes ou que não são números, números fora de -32768 a 32767, códigos fora de "
                "0 a 255, opções fora de 0 a 2); a janela fica com o que leu antes do primeiro, e a "
                "mensagem diz com o quê.\n"
                "aviso: o que a janela ignora ou lê de um jeito que o texto não diz (chaves e seções "
                "desconhecidas, seções e chaves repetidas, opções ausentes, sentinelas T66–T71 ausentes "
                "ou que não são números, lidas como 0, quando o primeiro caractere vai como o padrão da "
                "linha: %1; valores como 2.5, 1e2 ou &H41 e valores de mais de 254 "
                "caracteres, cada um com o que a janela lê).\n"
                "Um arquivo em UTF-8 ou UTF-16 com BOM (\"UTF-8\" e \"Unicode\" do Bloco de Notas) é "
                "lido como texto; a primeira linha diz a codificação.\n"
                "Saída: 0 sem erros (com --strict, sem erros nem avisos), 1 com erros (ou avisos com "
                "--strict), 2 arquivo ilegível.")
                .arg(padroes_sentinela(QStringLiteral(" ou "))),
            args, status))
        return status;
    if (!argumentos(p, QStringLiteral("check"), 1)) return 2;
    const QString caminho = p.positionalArguments().first();
    PerfilPrivado ini;
    if (!le_perfil(caminho, ini)) return 2;
    // A file Notepad saved as "UTF-8" or "Unicode": read as text, saved back in Windows-1252.
    if (ini.codificacao() != PerfilPrivado::Codificacao::Ansi) {
        // Why Save would refuse to write over it, as Save itself says it.
        QString recusa = ini.tem_caracteres_fora_do_1252()
                             ? QStringLiteral("tem caracteres que não existem em Windows-1252")
                             : q(PerfilPrivado::motivo_recusa(ini.texto()));
        escreve(stdout, QStringLiteral("%1: texto em %2: a janela o lê%3\n")
                            .arg(visivel(caminho), q(PerfilPrivado::nome_codificacao(ini.codificacao())),
                                 recusa.isEmpty() ? QStringLiteral(" e, ao salvar, grava em Windows-1252, sem BOM")
                                                  : QStringLiteral(", mas não o salva por cima: ") + recusa));
    }
    Verificacao v(ini);
    v.tipo();
    v.opcoes();
    v.tabelas();
    v.desconhecidas();
    // Read no more: its memory goes before the report is composed (moved out, since a
    // string assigned an empty one keeps its buffer).
    { const PerfilPrivado lido = std::move(ini); }
    std::stable_sort(v.problemas.begin(), v.problemas.end(),
                     [](const Problema& a, const Problema& b) { return a.linha < b.linha; });
    int erros = 0;
    for (const Problema& pr : v.problemas) {
        const QString onde = pr.linha > 0 ? QStringLiteral("%1:%2").arg(caminho).arg(pr.linha) : caminho;
        const QString chave = pr.chave.isEmpty() ? QString() : QLatin1Char(' ') + pr.chave;
        // Section names, keys and values as the file has them, control characters escaped.
        escreve(stdout, visivel(QStringLiteral("%1: %2: [%3]%4: %5")
                                    .arg(onde, pr.aviso ? QStringLiteral("aviso") : QStringLiteral("erro"),
                                         pr.secao, chave, pr.texto)) +
                            QLatin1Char('\n'));
        erros += pr.aviso ? 0 : 1;
    }
    const int avisos = int(v.problemas.size()) - erros;
    if (v.problemas.empty()) {
        escreve(stdout, visivel(caminho) + QStringLiteral(": sem problemas\n"));
        return 0;
    }
    escreve(stdout, QStringLiteral("%1: %2 erro(s), %3 aviso(s)\n")
                        .arg(visivel(caminho), QString::number(erros), QString::number(avisos)));
    return erros > 0 || p.isSet(estrito) ? 1 : 0;
}

} // namespace vantora::prog
